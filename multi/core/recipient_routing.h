// Recipient routing of outgoing mail: which member session delivers which recipient.
// Untyped recipients are typed (Internet addresses with the Internet member's mailbox
// type, all others with the primary member's), then each member's recipients are taken
// out of the host's arrays in one pass per member, untyped again for the member. Also
// the recognised type of an address that the address comparison works with. Portable:
// the host's address functions and allocator come in as callbacks.
#pragma once

#include <cstddef>

#include "multi/core/entry_list.h"
#include "multi/core/member_address.h"

namespace qpmulti {

// An address array holds at most this many entries before its terminating null pointer.
constexpr size_t kAddressArrayEntries = 50000;
// Type prefixes ("<type>:") and recognised types are formed in buffers of this size.
constexpr size_t kTypePrefixSize = 152;

// The host's address functions: the bare address (StripFullName), the full name
// (ParseFullNameFromAddress) and the in-place encoding of a name (EncodeFullName).
struct AddressText {
  void (*bare)(const char* address, char* out, size_t size, void* context);
  void (*fullName)(const char* address, char* out, size_t size, void* context);
  EncodeInPlace encode;
  void* context;
};

// The text a member receives for a taken recipient: for sending the bare address as it
// stands, for validation the bare address encoded (a full name is encoded either way).
enum class RecipientForm { kSend, kValidate };

// The entries in use: up to the first null pointer, never more than kAddressArrayEntries.
size_t countAddresses(char* const* entries);

// An Internet address: no ":", an "@", a "." after the first "@", and when a "{" also
// follows that "@", the first "." after it comes before the first "{".
bool isInternetAddress(const char* bare);

// True when `bare` begins with `type` and ":" (letter case aside); an empty type
// carries nothing.
bool carriesType(const char* bare, const char* type);

// The mailbox types the routing works with: `members` holds one type per slot (null or
// empty for an empty slot), slot 0 the primary member's.
struct MemberTypes {
  const char* const* members;
  size_t count;
  const char* primary() const { return count > 0 && members[0] ? members[0] : ""; }
  // True when some non-empty slot has `type` (letter case aside).
  bool has(const char* type) const;
};

// The Internet member's type from the profile's value: empty when the value is empty,
// equals `noneText` (the dialog's entry for no interface) or names a type no slot has.
// Returns the value or "".
const char* internetType(const char* value, const char* noneText, const MemberTypes& types);

// Types every entry of the array: an untyped Internet address gets `internet` (when not
// empty), then every entry that carries no member's type gets the primary member's. An
// entry whose new text cannot be allocated or would not fit in kTypedAddressSize stays
// as it was.
void typeRecipients(char** entries, const char* internet, const MemberTypes& types,
                    const AddressText& text, const EntryMemory& memory);

// Moves the entries that carry `type` out of entries[0..count) to the end of
// `taken` (which holds takenCount entries and has room for the moved ones), in their
// order, untyped in `form`; the others move down in their order and the freed places
// become null. Returns the new count of `entries`; `takenCount` grows by the number
// moved. An entry whose member text cannot be allocated stays where it is.
size_t takeMemberRecipients(char** entries, size_t count, const char* type, RecipientForm form,
                            char** taken, size_t& takenCount, const AddressText& text,
                            const EntryMemory& memory);

// The rest step: every entry that carries `type` is rewritten in place untyped in `form`
// (as takeMemberRecipients writes it); the others stay. When the new text cannot be
// allocated the entry stays as it was.
void untypeRemaining(char** entries, size_t count, const char* type, RecipientForm form,
                     const AddressText& text, const EntryMemory& memory);

// After validation: every entry of `validated` gets `type` again (typed address form) and
// is appended to `target` (targetCount entries, at most kAddressArrayEntries); the
// validated entries are released and their array left empty. An entry that cannot be
// retyped is appended as the member left it; one that finds no room is released.
void retypeValidated(char** validated, const char* type, char** target, size_t& targetCount,
                     const AddressText& text, const EntryMemory& memory);

// The recognised type of an address for comparison: when `bare` holds ":" and only
// letters A..Z/a..z (or nothing) stand before the first one, those letters go to `type`
// (size bytes, cut to fit) and the text after that ":" is returned; otherwise `type` is
// empty and `bare` is returned.
const char* splitRecognisedType(const char* bare, char* type, size_t size);

}  // namespace qpmulti
