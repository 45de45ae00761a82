// The host's lists as the multi-session library sees them: arrays of texts that the
// host's allocator owns, where the library rewrites and removes entries. The portable
// list operations take the allocator as callbacks, so that the Windows side hands them
// QPmalloc and QPfree and the native tests hand them malloc and free. Portable.
#pragma once

#include <cstddef>

namespace qpmulti {

// Separates an entry's text from its identifier (and an identifier from further text).
constexpr char kEntrySeparator = '\xFF';

// The allocator behind a list's entries. `allocate` returns a block of `size` bytes or
// null when none is left; `release` frees an entry the list no longer holds. The
// Windows side passes wrappers of QPmalloc and QPfree with a null context.
struct EntryMemory {
  char* (*allocate)(size_t size, void* context);
  void (*release)(char* entry, void* context);
  void* context;
};

// Closes up entries[from..count): entries whose `keep` flag (indexed from `from`) is
// zero are handed to memory.release, the kept ones move down in their order, and the
// positions that became free at the end are set to null. Returns the new count. One
// pass: every entry moves at most once. The merges below use it; a shell rarely needs it.
size_t compactEntries(char** entries, size_t from, size_t count, const unsigned char* keep,
                      const EntryMemory& memory);

}  // namespace qpmulti
