// Bounded copies and case-insensitive comparison for fixed-size text buffers.
#include "common/text.h"

#include <cstring>

namespace qp {

bool copyText(char* destination, size_t size, const char* source) {
  if (size == 0) return source == nullptr || *source == '\0';
  if (source == nullptr) source = "";
  // Reads no further than one character past what fits: the source need not be
  // terminated within reach.
  size_t length = strnlen(source, size);
  size_t n = length < size - 1 ? length : size - 1;
  std::memmove(destination, source, n);
  destination[n] = '\0';
  return n == length;
}

bool appendText(char* destination, size_t size, const char* source) {
  if (size == 0) return false;
  size_t used = strnlen(destination, size);
  if (used == size) {  // not terminated: repair rather than run past the end
    destination[size - 1] = '\0';
    return false;
  }
  return copyText(destination + used, size - used, source);
}

char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

int compareNoCase(const char* a, const char* b) {
  if (a == nullptr) a = "";
  if (b == nullptr) b = "";
  for (;; ++a, ++b) {
    unsigned char ca = static_cast<unsigned char>(lowerAscii(*a));
    unsigned char cb = static_cast<unsigned char>(lowerAscii(*b));
    if (ca != cb) return ca < cb ? -1 : 1;
    if (ca == '\0') return 0;
  }
}

bool equalsNoCase(const char* a, const char* b) { return compareNoCase(a, b) == 0; }

bool equalsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (lowerAscii(a[i]) != lowerAscii(b[i])) return false;
  }
  return true;
}

bool startsWithNoCase(const char* text, const char* prefix) {
  if (text == nullptr) text = "";
  if (prefix == nullptr) return true;
  for (; *prefix != '\0'; ++text, ++prefix) {
    if (lowerAscii(*text) != lowerAscii(*prefix)) return false;
  }
  return true;
}

}  // namespace qp
