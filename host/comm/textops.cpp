// Text operations behind the common library's text exports: blanks, hard spaces,
// case-insensitive search, display-name tidying and user-profile booleans.
#include "host/comm/textops.h"

#include <cstring>

#include "common/text.h"

namespace qpcomm {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

bool isControl(char c) {
  unsigned char u = static_cast<unsigned char>(c);
  return u < 0x20 || u == 0x7F;
}

}  // namespace

const char* findNonBlank(const char* text) {
  if (text == nullptr) return nullptr;
  while (isBlank(*text)) ++text;
  return text;
}

void stripTrailingSpaces(char* text) {
  if (text == nullptr) return;
  size_t length = std::strlen(text);
  while (length > 0) {
    char c = text[length - 1];
    if (c != ' ' && c != '\t' && c != '\r' && c != '\n') break;
    --length;
  }
  text[length] = '\0';
}

void stripHardSpaces(char* text) {
  if (text == nullptr) return;
  char* hard = std::strchr(text, '\xFF');
  if (hard != nullptr) *hard = '\0';
}

const char* findNoCase(const char* text, const char* part) {
  if (text == nullptr || part == nullptr) return nullptr;
  if (*part == '\0') return text;
  for (; *text != '\0'; ++text) {
    const char* t = text;
    const char* p = part;
    while (*p != '\0' && qp::lowerAscii(*t) == qp::lowerAscii(*p)) {
      ++t;
      ++p;
    }
    if (*p == '\0') return text;
    if (*t == '\0') return nullptr;  // the rest of the text is shorter than `part`
  }
  return nullptr;
}

void normalizeName(char* name, size_t size) {
  if (name == nullptr || size == 0) return;
  // The name may fill its buffer without a terminator; it then ends at the last byte.
  size_t length = strnlen(name, size);
  if (length == size) length = size - 1;

  size_t out = 0;
  bool pendingSpace = false;
  for (size_t in = 0; in < length; ++in) {
    char c = name[in];
    if (isBlank(c) || isControl(c)) {
      pendingSpace = out > 0;  // blanks in front of the name are dropped
      continue;
    }
    if (pendingSpace) name[out++] = ' ';
    pendingSpace = false;
    name[out++] = c;
  }
  // Blanks at the end are dropped with pendingSpace; clear the freed bytes so that the
  // record holds no stale text behind the name.
  std::memset(name + out, 0, length + 1 - out);
}

int parseProfileBool(const char* text, int defaultValue) {
  if (text == nullptr) return defaultValue;
  const char* start = findNonBlank(text);
  size_t length = std::strlen(start);
  while (length > 0 && isBlank(start[length - 1])) --length;

  static const char* const kTrue[] = {"yes", "true", "on", "1"};
  static const char* const kFalse[] = {"no", "false", "off", "0"};
  auto matches = [&](const char* word) {
    if (std::strlen(word) != length) return false;
    for (size_t i = 0; i < length; ++i) {
      if (qp::lowerAscii(start[i]) != word[i]) return false;
    }
    return true;
  };
  for (const char* word : kTrue) {
    if (matches(word)) return 1;
  }
  for (const char* word : kFalse) {
    if (matches(word)) return 0;
  }
  return defaultValue;
}

}  // namespace qpcomm
