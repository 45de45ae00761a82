// The merged folder list: every member lists its folders, and a folder that several
// members know is shown once. Portable.
#pragma once

#include <cstddef>

#include "multi/core/entry_list.h"

namespace qpmulti {

// A folder list entry is a folder name, optionally followed by " - " and further text.
// Its base name is the text before the first " - " of its first kMaxBaseName
// characters, without trailing blanks (spaces, tabs, CR, LF).
constexpr size_t kMaxBaseName = 499;

// True when two entries name the same folder: their base names are equal letter case
// aside. A null entry names no folder.
bool SameFolderName(const char* a, const char* b);

// Merges the entries the members appended, entries[firstNew..count). Entries before
// firstNew (the list as the host passed it) are neither compared nor removed. Of each
// group of entries naming the same folder one stays, in the position of the group's
// first entry: the first one of the group that contains " - ", or the last one when
// none does. The others go to memory.release (memory.allocate is not used), the kept
// entries close up in their order and the positions that became free at the end are
// set to null. Null entries are kept, in their order, and merge with nothing. Returns
// the new count, which the shell stores in the host's count and returns. Time about
// linear in the total length of the entries. Work memory (a few words per entry and a
// copy of each base name) comes from the C++ heap; when it runs out, std::bad_alloc is
// thrown before any entry was touched.
size_t mergeFolderList(char** entries, size_t count, size_t firstNew, const EntryMemory& memory);

}  // namespace qpmulti
