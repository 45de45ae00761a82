// The allocator behind the host's lists in the Win32 shell: the portable list code gets
// the common library's QPmalloc and QPfree, so the entries it makes or releases are the
// host's kind of block.
#pragma once

#include <cstddef>
#include <cstdint>

#include "hostapi/qpxcomm.h"
#include "multi/core/entry_list.h"

namespace qpmulti {

inline EntryMemory hostEntryMemory() {
  return EntryMemory{
      [](size_t size, void*) -> char* {
        const uint32_t blockSize = static_cast<uint32_t>(size);
        return blockSize == size ? static_cast<char*>(QPmalloc(blockSize)) : nullptr;
      },
      [](char* entry, void*) { QPfree(entry); },
      nullptr,
  };
}

}  // namespace qpmulti
