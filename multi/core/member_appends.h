// A counted host list after one member's call: members only append at the count and
// raise it, but a misbehaving one may lower the count below the host's own entries or
// count null entries. Settling keeps the list sound for the tagging and merges that
// follow and for the host, which reads every counted entry. Portable.
#pragma once

#include <cstdint>

namespace qpmulti {

// Settles entries[before..after) after a member's call that found the count at `before`
// and left it at `after`; returns the count to keep.
// - A count below `before` goes back to `before`: the entries below it are the host's or
//   earlier members' and still stand, so nothing that was in the list is lost.
// - Null entries in the appended range are closed up (they carry nothing); the positions
//   that became free at the end are set to null.
// A negative `before` says nothing about the list: `after` is returned unchanged.
int32_t settleAppended(char** entries, int32_t before, int32_t after);

}  // namespace qpmulti
