// The step-by-step member split.
#include "multi/tests/literal_routing.h"

#include <cstdio>
#include <cstring>

#include "common/text.h"

namespace qpmulti::literal {
namespace {

// Stores a copy of `text` at the first free place of `array`.
void addToAddressList(char** array, const char* text, const EntryMemory& memory) {
  size_t i = 0;
  while (i < kAddressArrayEntries && array[i] != nullptr) ++i;
  if (i == kAddressArrayEntries) return;
  size_t length = std::strlen(text);
  char* copy = memory.allocate(length + 1, memory.context);
  if (copy == nullptr) return;
  std::memcpy(copy, text, length + 1);
  array[i] = copy;
}

// Releases entry i and moves every later place, up to the last one, one place down.
void removeEntry(char** array, size_t i, const EntryMemory& memory) {
  memory.release(array[i], memory.context);
  size_t k = i;
  for (; k + 1 < kAddressArrayEntries; ++k) array[k] = array[k + 1];
  array[k] = nullptr;
}

}  // namespace

size_t takeMemberRecipients(char** entries, const char* type, RecipientForm form, char** taken,
                            const AddressText& text, const EntryMemory& memory) {
  char prefix[kTypePrefixSize];
  std::snprintf(prefix, sizeof prefix, "%s:", type);
  size_t prefixLength = std::strlen(prefix);
  size_t n = 0;
  size_t i = 0;
  while (i < kAddressArrayEntries && entries[i] != nullptr) {
    char bare[kBareAddressSize];
    char name[kBareAddressSize];
    text.bare(entries[i], bare, sizeof bare, text.context);
    text.fullName(entries[i], name, sizeof name, text.context);
    if (qp::equalsNoCase(name, bare)) name[0] = '\0';
    if (!qp::startsWithNoCase(bare, prefix)) {
      ++i;
      continue;
    }
    ++n;
    std::memmove(bare, bare + prefixLength, std::strlen(bare + prefixLength) + 1);
    if (qp::equalsNoCase(name, bare)) name[0] = '\0';
    if (name[0] != '\0') text.encode(name, sizeof name, text.context);
    char out[2 * kBareAddressSize + 4];
    if (name[0] != '\0') {
      std::snprintf(out, sizeof out, "%s <%s>", name, bare);
    } else {
      if (form == RecipientForm::kValidate) text.encode(bare, sizeof bare, text.context);
      qp::copyText(out, bare);
    }
    addToAddressList(taken, out, memory);
    removeEntry(entries, i, memory);
  }
  return n;
}

}  // namespace qpmulti::literal
