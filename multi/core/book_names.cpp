// Typed address-book names and recipients of members other than the primary one.
#include "multi/core/book_names.h"

#include <cstdio>
#include <cstring>

#include "common/text.h"

namespace qpmulti {

int findTypedSlot(const char* name, const char* const* prefixes, size_t slotCount) {
  if (name == nullptr || prefixes == nullptr) return -1;
  for (size_t slot = 0; slot < slotCount; ++slot) {
    const char* prefix = prefixes[slot];
    if (prefix == nullptr || prefix[0] == '\0') continue;
    if (qp::startsWithNoCase(name, prefix)) return static_cast<int>(slot);
  }
  return -1;
}

size_t typedRecipientLength(const char* fullName, const char* prefix, const char* bare) {
  const size_t name = fullName != nullptr ? std::strlen(fullName) : 0;
  const size_t typed = (prefix != nullptr ? std::strlen(prefix) : 0) +
                       (bare != nullptr ? std::strlen(bare) : 0);
  return name != 0 ? name + 3 + typed : typed + 2;  // " <" ">" or "<" ">"
}

bool formatTypedRecipient(const char* fullName, const char* prefix, const char* bare, char* out,
                          size_t size) {
  if (out == nullptr || size == 0) return false;
  if (prefix == nullptr) prefix = "";
  if (bare == nullptr) bare = "";
  const int length = fullName != nullptr && fullName[0] != '\0'
                         ? std::snprintf(out, size, "%s <%s%s>", fullName, prefix, bare)
                         : std::snprintf(out, size, "<%s%s>", prefix, bare);
  return length >= 0 && static_cast<size_t>(length) < size;
}

bool typePublicEntry(const char* fullName, const char* bareAddress, const char* type,
                     EncodeInPlace encode, void* context, char* entry) {
  if (entry == nullptr) return false;
  char typed[kPublicEntrySize];
  if (!TypeMemberAddress(fullName, bareAddress, type, encode, context, typed, sizeof typed)) {
    return false;
  }
  qp::copyText(entry, kPublicEntrySize, typed);
  return true;
}

}  // namespace qpmulti
