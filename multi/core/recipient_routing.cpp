// Recipient typing, the per-member split and the recognised type of an address.
#include "multi/core/recipient_routing.h"

#include <cstdio>
#include <cstring>

#include "common/text.h"

namespace qpmulti {
namespace {

// A QPmalloc'd copy of `text`, or null.
char* copyEntry(const char* text, const EntryMemory& memory) {
  size_t length = std::strlen(text);
  char* copy = memory.allocate(length + 1, memory.context);
  if (copy != nullptr) std::memcpy(copy, text, length + 1);
  return copy;
}

// Replaces entries[i] with a copy of `text`; the old entry stays when none can be made.
void replaceEntry(char** entries, size_t i, const char* text, const EntryMemory& memory) {
  char* copy = copyEntry(text, memory);
  if (copy == nullptr) return;
  memory.release(entries[i], memory.context);
  entries[i] = copy;
}

struct Split {
  char bare[kBareAddressSize];
  char name[kBareAddressSize];
};

void splitAddress(const char* address, Split& split, const AddressText& text) {
  split.bare[0] = split.name[0] = '\0';
  text.bare(address, split.bare, sizeof split.bare, text.context);
  text.fullName(address, split.name, sizeof split.name, text.context);
}

// The member's text of an entry (split into `split`, its name may be encoded) that
// carries a type of `prefixLength` characters, or null when it cannot be allocated.
char* untypedEntry(Split& split, size_t prefixLength, RecipientForm form,
                   const AddressText& text, const EntryMemory& memory) {
  const char* bare = split.bare + prefixLength;
  char out[kBareAddressSize + kBareAddressSize + 4];
  // A name that repeats the address, typed or not, is no full name.
  if (split.name[0] != '\0' && !qp::equalsNoCase(split.name, split.bare) &&
      !qp::equalsNoCase(split.name, bare)) {
    text.encode(split.name, sizeof split.name, text.context);
    std::snprintf(out, sizeof out, "%s <%s>", split.name, bare);
  } else if (form == RecipientForm::kValidate) {
    char encoded[kBareAddressSize];
    qp::copyText(encoded, bare);
    text.encode(encoded, sizeof encoded, text.context);
    qp::copyText(out, encoded);
  } else {
    qp::copyText(out, bare);
  }
  return copyEntry(out, memory);
}

// Replaces entries[i] with its typed form for `type`, when that fits.
void typeEntry(char** entries, size_t i, const Split& split, const char* type,
               const AddressText& text, const EntryMemory& memory) {
  char typed[kTypedAddressSize];
  if (TypeMemberAddress(split.name, split.bare, type, text.encode, text.context, typed,
                        sizeof typed)) {
    replaceEntry(entries, i, typed, memory);
  }
}

// False when `address` nowhere holds `type` followed by ":": its bare address, a part of
// its text, then cannot begin with them. Saves splitting the entries of other members.
// A bare address drops comments, so an address with "(" is always split.
bool mayCarryType(const char* address, const char* type, size_t typeLength) {
  if (std::strchr(address, '(') != nullptr) return true;
  for (const char* colon = std::strchr(address, ':'); colon != nullptr;
       colon = std::strchr(colon + 1, ':')) {
    if (static_cast<size_t>(colon - address) >= typeLength &&
        qp::startsWithNoCase(colon - typeLength, type)) {
      return true;
    }
  }
  return false;
}

bool isLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

}  // namespace

size_t countAddresses(char* const* entries) {
  size_t count = 0;
  while (count < kAddressArrayEntries && entries[count] != nullptr) ++count;
  return count;
}

bool isInternetAddress(const char* bare) {
  if (std::strchr(bare, ':') != nullptr) return false;
  const char* at = std::strchr(bare, '@');
  if (at == nullptr) return false;
  const char* dot = std::strchr(at, '.');
  if (dot == nullptr) return false;
  const char* brace = std::strchr(at, '{');
  return brace == nullptr || dot < brace;
}

bool carriesType(const char* bare, const char* type) {
  if (type == nullptr || type[0] == '\0') return false;
  size_t length = std::strlen(type);
  return qp::startsWithNoCase(bare, type) && bare[length] == ':';
}

bool MemberTypes::has(const char* type) const {
  for (size_t k = 0; k < count; ++k) {
    if (members[k] != nullptr && members[k][0] != '\0' && qp::equalsNoCase(members[k], type)) {
      return true;
    }
  }
  return false;
}

const char* internetType(const char* value, const char* noneText, const MemberTypes& types) {
  if (value == nullptr || value[0] == '\0') return "";
  if (noneText != nullptr && qp::equalsNoCase(value, noneText)) return "";
  return types.has(value) ? value : "";
}

void typeRecipients(char** entries, const char* internet, const MemberTypes& types,
                    const AddressText& text, const EntryMemory& memory) {
  size_t count = countAddresses(entries);
  const char* primary = types.primary();
  Split split;
  for (size_t i = 0; i < count; ++i) {
    if (internet != nullptr && internet[0] != '\0') {
      splitAddress(entries[i], split, text);
      if (isInternetAddress(split.bare)) typeEntry(entries, i, split, internet, text, memory);
    }
    splitAddress(entries[i], split, text);
    bool typed = false;
    for (size_t k = 0; k < types.count && !typed; ++k) {
      typed = types.members[k] != nullptr && carriesType(split.bare, types.members[k]);
    }
    if (!typed) typeEntry(entries, i, split, primary, text, memory);
  }
}

size_t takeMemberRecipients(char** entries, size_t count, const char* type, RecipientForm form,
                            char** taken, size_t& takenCount, const AddressText& text,
                            const EntryMemory& memory) {
  size_t prefixLength = std::strlen(type) + 1;
  Split split;
  size_t kept = 0;
  for (size_t i = 0; i < count; ++i) {
    char* entry = entries[i];
    char* moved = nullptr;
    if (mayCarryType(entry, type, prefixLength - 1)) {
      splitAddress(entry, split, text);
      if (carriesType(split.bare, type) && takenCount < kAddressArrayEntries) {
        moved = untypedEntry(split, prefixLength, form, text, memory);
      }
    }
    if (moved != nullptr) {
      taken[takenCount++] = moved;
      memory.release(entry, memory.context);
    } else {
      entries[kept++] = entry;
    }
  }
  for (size_t i = kept; i < count; ++i) entries[i] = nullptr;
  return kept;
}

void untypeRemaining(char** entries, size_t count, const char* type, RecipientForm form,
                     const AddressText& text, const EntryMemory& memory) {
  size_t prefixLength = std::strlen(type) + 1;
  Split split;
  for (size_t i = 0; i < count; ++i) {
    if (!mayCarryType(entries[i], type, prefixLength - 1)) continue;
    splitAddress(entries[i], split, text);
    if (!carriesType(split.bare, type)) continue;
    char* untyped = untypedEntry(split, prefixLength, form, text, memory);
    if (untyped == nullptr) continue;
    memory.release(entries[i], memory.context);
    entries[i] = untyped;
  }
}

void retypeValidated(char** validated, const char* type, char** target, size_t& targetCount,
                     const AddressText& text, const EntryMemory& memory) {
  size_t count = countAddresses(validated);
  Split split;
  for (size_t i = 0; i < count; ++i) {
    splitAddress(validated[i], split, text);
    typeEntry(validated, i, split, type, text, memory);
    if (targetCount < kAddressArrayEntries) {
      target[targetCount++] = validated[i];
    } else {
      memory.release(validated[i], memory.context);
    }
    validated[i] = nullptr;
  }
}

const char* splitRecognisedType(const char* bare, char* type, size_t size) {
  if (size > 0) type[0] = '\0';
  const char* colon = std::strchr(bare, ':');
  if (colon == nullptr) return bare;
  for (const char* c = bare; c < colon; ++c) {
    if (!isLetter(*c)) return bare;
  }
  size_t length = static_cast<size_t>(colon - bare);
  if (size > 0) {
    if (length >= size) length = size - 1;
    std::memcpy(type, bare, length);
    type[length] = '\0';
  }
  return colon + 1;
}

}  // namespace qpmulti
