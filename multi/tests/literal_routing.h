// The step-by-step member split, for comparison only: every taken recipient is appended
// by a scan for the end of the member array and removed from the host's array by moving
// every later entry (up to the last possible one) one place down, as the written
// procedure does it. The randomised tests and the benchmark check the library's one-pass
// split against it. Never linked into the library.
#pragma once

#include <cstddef>

#include "multi/core/recipient_routing.h"

namespace qpmulti::literal {

// Takes the entries of `entries` (an address array of kAddressArrayEntries + 1 pointers)
// that carry `type` into `taken` (the same size) in `form`; returns how many it took.
size_t takeMemberRecipients(char** entries, const char* type, RecipientForm form, char** taken,
                            const AddressText& text, const EntryMemory& memory);

}  // namespace qpmulti::literal
