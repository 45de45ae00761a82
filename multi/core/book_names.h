// Address-book results of members other than the primary one: book names and recipients
// carry the member's type prefix ("<mailbox type>:") so that a name or address the user
// picks leads back to that member. Portable.
#pragma once

#include <cstddef>

#include "multi/core/member_address.h"

namespace qpmulti {

// A type prefix is held in this many bytes ("<mailbox type>:").
constexpr size_t kTypePrefixSize = 152;
// The typed form of a public address-book entry is built in (and written back within)
// this many bytes: the host's entry buffer takes a full address.
constexpr size_t kPublicEntrySize = 500;

// The member that answers a typed name: the lowest slot whose type prefix begins `name`
// (letter case aside). `prefixes` holds one prefix per slot, null or empty for a slot that
// takes no part. Returns the slot, or -1 when no prefix begins the name.
int findTypedSlot(const char* name, const char* const* prefixes, size_t slotCount);

// Length of the text a recipient entry is rewritten into, without the terminator:
// "<full name> <<prefix><bare>>" with a full name, "<<prefix><bare>>" without. The full
// name is taken as given (already encoded, maybe empty).
size_t typedRecipientLength(const char* fullName, const char* prefix, const char* bare);
// Writes that text into `out` (`size` bytes, always terminated); true when it all fit.
bool formatTypedRecipient(const char* fullName, const char* prefix, const char* bare, char* out,
                          size_t size);

// The typed form of a public entry a member found: the entry is split by the caller into
// full name and bare address (`fullName`, `bareAddress`), typed with the member's mailbox
// type `type` as TypeMemberAddress does, and written into `entry` only when the whole
// typed form fits kPublicEntrySize; otherwise the entry stays as the member wrote it.
// Returns true when the entry was rewritten.
bool typePublicEntry(const char* fullName, const char* bareAddress, const char* type,
                     EncodeInPlace encode, void* context, char* entry);

}  // namespace qpmulti
