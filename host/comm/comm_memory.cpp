// QPmalloc blocks: zero-filled blocks from the process heap, so that any library may free
// a block another one allocated (all of them go through this DLL), a count of live blocks
// for leak checks, and a test control that makes one chosen allocation fail.
#include <atomic>
#include <cstring>

#include "host/comm/comm_shell.h"
#include "hostapi/qpxcomm.h"

namespace {

std::atomic<int32_t> liveBlocks{0};
// Allocations still to go before the failing one: the call that takes it from 1 to 0
// fails. 0 = off.
std::atomic<int32_t> failCountdown{0};

bool failThisAllocation() {
  int32_t n = failCountdown.load();
  while (n > 0 && !failCountdown.compare_exchange_weak(n, n - 1)) {
  }
  return n == 1;
}

}  // namespace

void* QPAPI QPmalloc(uint32_t size) {
  if (failThisAllocation()) return nullptr;
  void* block = ::HeapAlloc(::GetProcessHeap(), HEAP_ZERO_MEMORY, size);
  if (block != nullptr) ++liveBlocks;
  return block;
}

void QPAPI QPfree(void* block) {
  if (block == nullptr) return;
  if (::HeapFree(::GetProcessHeap(), 0, block)) --liveBlocks;
}

void QPAPI QPSetAllocFailure(int32_t n) { failCountdown = n > 0 ? n : 0; }

int32_t QPAPI QPGetLiveBlockCount(void) { return liveBlocks.load(); }

int32_t QPAPI QPGetAllocFailurePending(void) { return failCountdown.load(); }

namespace qpcomm {

char* copyToBlock(const char* text, size_t length) {
  if (length >= UINT32_MAX) return nullptr;
  char* block = static_cast<char*>(QPmalloc(static_cast<uint32_t>(length + 1)));
  if (block != nullptr && length > 0) std::memcpy(block, text, length);
  return block;  // zero-filled, so already terminated
}

}  // namespace qpcomm
