// Texts of the profile dialogs; see dialog_texts.h.
#include "multi/core/dialog_texts.h"

#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "common/text.h"

namespace qpmulti {

namespace {

constexpr char kEntrySeparator[] = " - ";

const char* orEmpty(const char* text) { return text != nullptr ? text : ""; }

// Copies the first `length` characters of `text` (cut to the buffer).
void copyPart(char* out, size_t size, const char* text, size_t length) {
  if (size == 0) return;
  const size_t n = length < size - 1 ? length : size - 1;
  std::memcpy(out, text, n);
  out[n] = '\0';
}

// First occurrence of `part` in `text` without regard to ASCII case, or null.
const char* findNoCase(const char* text, const char* part) {
  for (; *text != '\0'; ++text) {
    if (qp::startsWithNoCase(text, part)) return text;
  }
  return nullptr;
}

}  // namespace

void formatMemberEntry(char* out, size_t size, unsigned login, const char* userName,
                       const char* interfaceName, const char* password, const char* mailDatabase) {
  if (size == 0) return;
  char number[16];
  std::snprintf(number, sizeof number, "%u: ", login);
  qp::copyText(out, size, number);
  qp::appendText(out, size, orEmpty(userName));
  for (const char* column : {interfaceName, password, mailDatabase}) {
    qp::appendText(out, size, "\t");
    qp::appendText(out, size, orEmpty(column));
  }
}

void memberEntryInterface(const char* entry, char* out, size_t size) {
  const char* first = std::strchr(orEmpty(entry), '\t');
  if (first == nullptr) {
    qp::copyText(out, size, "");
    return;
  }
  ++first;
  const char* second = std::strchr(first, '\t');
  copyPart(out, size, first,
           second != nullptr ? static_cast<size_t>(second - first) : std::strlen(first));
}

void memberEntrySummary(const char* entry, char* out, size_t size) {
  if (size == 0) return;
  entry = orEmpty(entry);
  const char* first = std::strchr(entry, '\t');
  const char* second = first != nullptr ? std::strchr(first + 1, '\t') : nullptr;
  copyPart(out, size, entry,
           second != nullptr ? static_cast<size_t>(second - entry) : std::strlen(entry));
  if (first != nullptr && static_cast<size_t>(first - entry) < size - 1) out[first - entry] = ' ';
}

void formatInterfaceEntry(char* out, size_t size, const char* name, const char* description) {
  qp::copyText(out, size, orEmpty(name));
  qp::appendText(out, size, kEntrySeparator);
  qp::appendText(out, size, orEmpty(description));
}

void interfaceOfEntry(const char* entry, char* out, size_t size) {
  entry = orEmpty(entry);
  const char* separator = std::strstr(entry, kEntrySeparator);
  copyPart(out, size, entry,
           separator != nullptr ? static_cast<size_t>(separator - entry) : std::strlen(entry));
}

EntryMatch matchInterfaceEntry(const char* entry, const char* name) {
  entry = orEmpty(entry);
  name = orEmpty(name);
  if (!qp::startsWithNoCase(entry, name)) return EntryMatch::None;
  const char* rest = entry + std::strlen(name);
  const bool exact =
      *name != '\0' && (*rest == '\0' || std::strncmp(rest, kEntrySeparator, 3) == 0);
  return exact ? EntryMatch::Exact : EntryMatch::Prefix;
}

void interfaceNameFromFileName(const char* fileName, char* out, size_t size) {
  fileName = orEmpty(fileName);
  const char* name = std::strlen(fileName) > 3 ? fileName + 3 : "";
  const char* dot = std::strchr(name, '.');
  copyPart(out, size, name, dot != nullptr ? static_cast<size_t>(dot - name) : std::strlen(name));
}

bool isExcludedLibraryFile(const char* fileName) {
  fileName = orEmpty(fileName);
  for (const char* part : {"QPXNW", "QPXMULTI", "32", "16"}) {
    if (findNoCase(fileName, part) != nullptr) return true;
  }
  return false;
}

bool helpFileName(const char* programFile, char* out, size_t size) {
  if (size == 0) return false;
  out[0] = '\0';
  programFile = orEmpty(programFile);
  const size_t length = std::strlen(programFile);
  if (length < 4 || length >= size) return false;
  copyPart(out, size, programFile, length - 4);
  return qp::appendText(out, size, ".HLP");
}

}  // namespace qpmulti
