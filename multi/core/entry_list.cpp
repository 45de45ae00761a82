// Closing up a host list after removals.
#include "multi/core/entry_list.h"

namespace qpmulti {

size_t compactEntries(char** entries, size_t from, size_t count, const unsigned char* keep,
                      const EntryMemory& memory) {
  size_t kept = from;
  for (size_t i = from; i < count; ++i) {
    if (keep[i - from]) {
      entries[kept++] = entries[i];
    } else if (entries[i] != nullptr) {
      memory.release(entries[i], memory.context);
    }
  }
  for (size_t i = kept; i < count; ++i) entries[i] = nullptr;
  return kept;
}

}  // namespace qpmulti
