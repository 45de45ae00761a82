// QPmalloc blocks: zero-filled, counted while live, freed from anywhere, and the test
// control that fails exactly one chosen allocation.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "hostapi/qpunique.h"
#include "hostapi/qpxcomm.h"

namespace {

TEST(Memory, BlocksAreZeroFilledAndCounted) {
  const int32_t start = QPGetLiveBlockCount();
  for (uint32_t size : {0u, 1u, 17u, 4096u, 1u << 20}) {
    SCOPED_TRACE("size " + std::to_string(size));
    // Dirty the heap first, so that a reused block would show old bytes.
    void* dirty = QPmalloc(size);
    ASSERT_NE(nullptr, dirty);
    std::memset(dirty, 0xCC, size);
    QPfree(dirty);

    qp::UniqueQpBlock block(QPmalloc(size));
    ASSERT_NE(nullptr, block.get());
    EXPECT_EQ(start + 1, QPGetLiveBlockCount());
    const unsigned char* bytes = qp::blockAs<unsigned char>(block);
    for (uint32_t i = 0; i < size; ++i) ASSERT_EQ(0, bytes[i]) << "byte " << i;
    block.reset();
    EXPECT_EQ(start, QPGetLiveBlockCount());
  }
  QPfree(nullptr);
  EXPECT_EQ(start, QPGetLiveBlockCount());
}

TEST(Memory, FailureControlFailsExactlyTheChosenAllocation) {
  for (int32_t n : {1, 2, 5}) {
    SCOPED_TRACE("failing allocation " + std::to_string(n));
    const int32_t start = QPGetLiveBlockCount();
    QPSetAllocFailure(n);
    std::vector<qp::UniqueQpBlock> blocks;
    for (int32_t i = 1; i <= n + 3; ++i) blocks.emplace_back(QPmalloc(8));
    for (int32_t i = 1; i <= n + 3; ++i)
      EXPECT_EQ(i == n, blocks[i - 1].get() == nullptr) << "allocation " << i;
    EXPECT_EQ(start + n + 2, QPGetLiveBlockCount());
    blocks.clear();
    EXPECT_EQ(start, QPGetLiveBlockCount());
  }
}

TEST(Memory, FailureControlCanBeSwitchedOff) {
  for (int32_t off : {0, -3}) {
    SCOPED_TRACE("switched off with " + std::to_string(off));
    QPSetAllocFailure(2);
    QPSetAllocFailure(off);
    for (int i = 0; i < 4; ++i) {
      qp::UniqueQpBlock block(QPmalloc(4));
      EXPECT_NE(nullptr, block.get()) << "allocation " << i + 1;
    }
  }
}

}  // namespace
