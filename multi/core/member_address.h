// The typed address: how an address that a member (other than the primary one) wrote
// into a loaded message is shown to the host, with the member's mailbox type in front
// of the bare address, so that a reply to it is routed back to that member. Portable.
#pragma once

#include <cstddef>

namespace qpmulti {

// Work buffers of the address forms: a full name and a bare address.
constexpr size_t kFullNameSize = 252;
constexpr size_t kBareAddressSize = 500;
// An array entry's typed address is formed in a buffer of this size.
constexpr size_t kTypedAddressSize = 500;

// Encodes a text in place for use in an address, within `size` bytes: the shell passes a
// wrapper of the common library's EncodeFullName (context unused).
using EncodeInPlace = void (*)(char* text, size_t size, void* context);

// Forms the typed address of one address from its parts as the shell split them
// (ParseFullNameFromAddress and StripFullName; for a blank address buffer the member's
// own full name and address). The parts are copied into kFullNameSize and
// kBareAddressSize buffers (cut to fit). A full name that is empty or equal to the bare
// address (letter case aside) is dropped; otherwise it is encoded and the result is
// "<full name> <<type>:<bare address>>". Without a full name the bare address is
// encoded and the result is "<type>:<bare address>". `type` is the member's mailbox
// type; null texts count as empty. Writes into `out` (`size` bytes, always terminated,
// cut to fit) and returns true when the whole result fit.
bool TypeMemberAddress(const char* fullName, const char* bareAddress, const char* type,
                       EncodeInPlace encode, void* context, char* out, size_t size);

}  // namespace qpmulti
