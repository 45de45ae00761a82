// Step-by-step versions of the list operations, for comparison only: each follows the
// written procedure literally (compare every entry with every later one, close up the
// array after every removal), so the randomised tests can check that the library's
// one-pass versions give the same lists, and the benchmarks can show what they save.
// Never linked into the library.
#pragma once

#include <cstddef>

#include "multi/core/entry_list.h"
#include "multi/core/entry_tags.h"

namespace qpmulti::literal {

// The base name comparison: a 500-byte copy, cut at " - ", trailing blanks removed,
// compared without regard to case.
bool sameFolderName(const char* a, const char* b);

// For every position i from firstNew and every later k: when the two name the same
// folder, the entries trade places if the one at i has no " - ", then the one at k is
// released and the rest of the array moves down.
size_t mergeFolderList(char** entries, size_t count, size_t firstNew, const EntryMemory& memory);

// For every position i whose entry has a non-empty segment, every later entry whose text
// after its first separator begins with that segment is released and the rest of the
// array moves down.
size_t removeDuplicateResults(char** entries, size_t count, const EntryMemory& memory);

// For every entry from `from` to `to`: end it at its first separator, format
// "%s%cMULTI:%u:%s" into a block of its length + 32, release the old entry.
void tagMemberEntries(char** entries, size_t from, size_t to, unsigned member, TagScope scope,
                      const EntryMemory& memory);

}  // namespace qpmulti::literal
