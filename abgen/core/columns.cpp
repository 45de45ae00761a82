// The input-file column parser: four columns, quoted or not, each cut to its limit.
#include "abgen/core/columns.h"

#include <cstring>

namespace abgen {

namespace {

struct Column {
  EntryField field;
  size_t limit;  // characters kept; the rest of the column is passed over
};

constexpr Column kColumns[] = {
    {kNameField, 50}, {kAddressField, 255}, {kColumn3Field, 40}, {kColumn4Field, 500}};

static_assert(50 < kNameField.size && 255 < kAddressField.size && 40 < kColumn3Field.size &&
                  500 < kColumn4Field.size,
              "every column limit leaves room for the terminating zero");

const char* skip(BlankSkipper skipBlanks, const char* p) {
  const char* next = skipBlanks(p);
  return next != nullptr ? next : p + std::strlen(p);  // a skipper that gives up: line ends
}

}  // namespace

const char* skipSpacesAndTabs(const char* text) {
  while (*text == ' ' || *text == '\t') ++text;
  return text;
}

bool splitLine(const char* line, BookEntry& entry, BlankSkipper skipBlanks) {
  entry.clear();
  if (line == nullptr) return false;
  if (skipBlanks == nullptr) skipBlanks = skipSpacesAndTabs;
  const char* p = line;
  for (const Column& column : kColumns) {
    p = skip(skipBlanks, p);
    const bool quoted = *p == '"';
    if (quoted) ++p;
    // The entry is zeroed, so the kept text is terminated wherever it stops.
    char* out = entry.field(column.field);
    size_t kept = 0;
    while (*p != '\0' && *p != '"' && (quoted || *p != ',')) {
      if (kept < column.limit) out[kept++] = *p;
      ++p;
    }
    if (*p == '"') ++p;  // the closing quote, or the quote that ended an unquoted column
    p = skip(skipBlanks, p);
    if (*p == ',') ++p;
  }
  return entry.complete();
}

bool splitLineBytes(const uint8_t* data, size_t size, BookEntry& entry) {
  char line[kLineBufferSize];
  size_t n = size < sizeof line - 1 ? size : sizeof line - 1;
  if (n > 0) std::memcpy(line, data, n);
  line[n] = '\0';
  return splitLine(line, entry, skipSpacesAndTabs);
}

}  // namespace abgen
