// Removal of repeated search results. Several members (or one account listed twice in a
// profile) can return the same message; of entries whose identifiers agree, the first
// one stays. Portable.
#pragma once

#include <cstddef>

#include "multi/core/entry_list.h"

namespace qpmulti {

// An entry's segment is the text after its first 0xFF up to its second 0xFF; an entry
// with fewer than two separators has none. A later entry is a repeat of an earlier
// entry that stays when the text after the later entry's first 0xFF begins with the
// earlier entry's segment, letter case aside. An empty segment (two separators in a row)
// makes nothing a repeat: it would otherwise match every later entry with a separator.
// Entries without a separator and null entries are never removed and remove nothing.
//
// Removes the repeats from entries[0..count) (the whole list, entries the list held
// before the search included): each goes to memory.release (memory.allocate is not
// used), the other entries keep their order and close up, and the positions that
// became free at the end are set to null. Returns the new count, which the shell stores
// in the host's count and returns. Time about linear in the total length of the
// segments. Work memory (a byte per entry, a hash entry per kept segment) comes from the
// C++ heap; when it runs out, std::bad_alloc is thrown before any entry was touched.
size_t removeDuplicateResults(char** entries, size_t count, const EntryMemory& memory);

}  // namespace qpmulti
