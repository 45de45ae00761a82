// Step-by-step versions of the list operations, for the equivalence tests and the
// benchmarks.
#include "multi/tests/literal_lists.h"

#include <cstdio>
#include <cstring>

namespace qpmulti::literal {

namespace {

char fold(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

int compareNoCase(const char* a, const char* b) {
  for (;; ++a, ++b) {
    unsigned char ca = static_cast<unsigned char>(fold(*a));
    unsigned char cb = static_cast<unsigned char>(fold(*b));
    if (ca != cb) return ca < cb ? -1 : 1;
    if (ca == '\0') return 0;
  }
}

int compareNoCase(const char* a, const char* b, size_t n) {
  for (size_t i = 0; i < n; ++i) {
    unsigned char ca = static_cast<unsigned char>(fold(a[i]));
    unsigned char cb = static_cast<unsigned char>(fold(b[i]));
    if (ca != cb) return ca < cb ? -1 : 1;
    if (ca == '\0') return 0;
  }
  return 0;
}

// lstrcpyN: at most size - 1 characters, always terminated.
void copyBounded(char* out, const char* text, size_t size) {
  size_t i = 0;
  for (; i + 1 < size && text[i] != '\0'; ++i) out[i] = text[i];
  out[i] = '\0';
}

void stripTrailingSpaces(char* text) {
  size_t n = std::strlen(text);
  while (n > 0 && (text[n - 1] == ' ' || text[n - 1] == '\t' || text[n - 1] == '\r' ||
                   text[n - 1] == '\n')) {
    --n;
  }
  text[n] = '\0';
}

void baseName(const char* entry, char (&out)[500]) {
  copyBounded(out, entry, sizeof out);
  if (char* mark = std::strstr(out, " - ")) *mark = '\0';
  stripTrailingSpaces(out);
}

// Releases entries[k], moves the rest down and nulls the freed last position.
void removeAt(char** entries, size_t k, size_t& count, const EntryMemory& memory) {
  memory.release(entries[k], memory.context);
  for (size_t j = k; j + 1 < count; ++j) entries[j] = entries[j + 1];
  entries[count - 1] = nullptr;
  --count;
}

}  // namespace

bool sameFolderName(const char* a, const char* b) {
  if (a == nullptr || b == nullptr) return false;
  char first[500];
  char second[500];
  baseName(a, first);
  baseName(b, second);
  return compareNoCase(first, second) == 0;
}

size_t mergeFolderList(char** entries, size_t count, size_t firstNew, const EntryMemory& memory) {
  for (size_t i = firstNew; i < count; ++i) {
    for (size_t k = i + 1; k < count;) {
      if (!sameFolderName(entries[i], entries[k])) {
        ++k;
        continue;
      }
      if (std::strstr(entries[i], " - ") == nullptr) {
        char* held = entries[i];
        entries[i] = entries[k];
        entries[k] = held;
      }
      removeAt(entries, k, count, memory);
    }
  }
  return count;
}

size_t removeDuplicateResults(char** entries, size_t count, const EntryMemory& memory) {
  for (size_t i = 0; i < count; ++i) {
    if (entries[i] == nullptr) continue;
    const char* first = std::strchr(entries[i], '\xFF');
    if (first == nullptr) continue;
    const char* second = std::strchr(first + 1, '\xFF');
    if (second == nullptr) continue;
    size_t length = static_cast<size_t>(second - first - 1);
    if (length == 0) continue;  // an empty segment removes nothing
    const char* segment = first + 1;
    for (size_t k = i + 1; k < count;) {
      const char* other = entries[k] == nullptr ? nullptr : std::strchr(entries[k], '\xFF');
      if (other != nullptr && compareNoCase(other + 1, segment, length) == 0) {
        removeAt(entries, k, count, memory);
      } else {
        ++k;
      }
    }
  }
  return count;
}

void tagMemberEntries(char** entries, size_t from, size_t to, unsigned member, TagScope scope,
                      const EntryMemory& memory) {
  for (size_t i = from; i < to; ++i) {
    char* entry = entries[i];
    if (entry == nullptr || std::strchr(entry, '\xFF') == nullptr) continue;
    const char* identifier = std::strchr(entry, '\xFF') + 1;
    if (scope == TagScope::Index && compareNoCase(identifier, "DFT:", 4) == 0) continue;
    size_t size = std::strlen(entry) + 32;
    char* tagged = memory.allocate(size, memory.context);
    if (tagged == nullptr) continue;
    *std::strchr(entry, '\xFF') = '\0';  // StrStripHardSpaces
    std::snprintf(tagged, size, "%s%cMULTI:%u:%s", entry, '\xFF', member, identifier);
    memory.release(entry, memory.context);
    entries[i] = tagged;
  }
}

}  // namespace qpmulti::literal
