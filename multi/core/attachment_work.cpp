// Copies and references of the attachment lists of a message being added to a folder.
#include "multi/core/attachment_work.h"

#include <cstring>

#include "common/text.h"

namespace qpmulti {

namespace {

char* duplicate(const char* text, const EntryMemory& memory) {
  const size_t length = std::strlen(text);
  char* entry = memory.allocate(length + 1, memory.context);
  if (entry != nullptr) std::memcpy(entry, text, length + 1);
  return entry;
}

}  // namespace

size_t copyEntryList(const char* const* source, char** copy, size_t limit,
                     const EntryMemory& memory) {
  if (source == nullptr) return 0;
  size_t copied = 0;
  while (copied < limit && source[copied] != nullptr) {
    char* entry = duplicate(source[copied], memory);
    if (entry == nullptr) break;
    copy[copied++] = entry;
  }
  return copied;
}

bool replaceEntryText(char** entry, const char* text, const EntryMemory& memory) {
  char* replacement = duplicate(text, memory);
  if (replacement == nullptr) return false;
  if (*entry != nullptr) memory.release(*entry, memory.context);
  *entry = replacement;
  return true;
}

bool attachmentReference(const char* fileEntry, const char* nameEntry, char* out, size_t size) {
  if (qp::copyText(out, size, "MULTI:") && qp::appendText(out, size, fileEntry) &&
      qp::appendText(out, size, "/") && qp::appendText(out, size, nameEntry)) {
    return true;
  }
  if (size > 0) out[0] = '\0';
  return false;
}

}  // namespace qpmulti
