// Removal of repeated search results: the one-pass removal gives the same list, entry
// for entry, as the step-by-step removal; the result is a subsequence of the input in
// which no kept entry repeats an earlier kept one; what went was released once.
#include <cstring>

#include "common/text.h"
#include "fuzz/fuzz_lists.h"
#include "multi/core/search_dedup.h"
#include "multi/tests/literal_lists.h"

using namespace qpmulti;
using qpmulti::testing::HostList;
using qpmulti::testing::TestHeap;

namespace {

// The segment of an entry: after its first separator up to its second; false without.
bool segmentOf(const char* entry, std::string& segment) {
  const char* first = entry ? std::strchr(entry, kEntrySeparator) : nullptr;
  const char* second = first ? std::strchr(first + 1, kEntrySeparator) : nullptr;
  if (second == nullptr) return false;
  segment.assign(first + 1, second);
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  qpfuzz::Input in(data, size);
  qpfuzz::ListInput list = qpfuzz::readList(in, 64);
  const size_t count = list.texts.size();

  HostList mine(list.texts, list.present);
  HostList theirs(list.texts, list.present);
  TestHeap myHeap;
  TestHeap theirHeap;
  mine.setCount(removeDuplicateResults(mine.data(), count, myHeap.memory()));
  theirs.setCount(literal::removeDuplicateResults(theirs.data(), count, theirHeap.memory()));
  FUZZ_CHECK(mine.texts() == theirs.texts());
  FUZZ_CHECK(mine.origins() == theirs.origins());
  FUZZ_CHECK(myHeap.released.size() == theirHeap.released.size());
  FUZZ_CHECK(myHeap.sizes.empty());
  FUZZ_CHECK(mine.count() + myHeap.released.size() == count);
  FUZZ_CHECK(mine.tailIsClean());

  std::vector<std::string> before;
  for (size_t i = 0; i < count; ++i) before.push_back(list.present[i] ? list.texts[i] : "(null)");
  FUZZ_CHECK(qpfuzz::isSubsequence(mine.texts(), before));
  std::vector<int> origins = mine.origins();
  for (size_t i = 0; i + 1 < origins.size(); ++i) {
    if (origins[i] >= 0 && origins[i + 1] >= 0) FUZZ_CHECK(origins[i] < origins[i + 1]);
  }
  // No kept entry is a repeat of an earlier kept one.
  for (size_t i = 0; i < mine.count(); ++i) {
    std::string segment;
    if (!segmentOf(mine.at(i), segment) || segment.empty()) continue;
    for (size_t k = i + 1; k < mine.count(); ++k) {
      const char* later = mine.at(k) ? std::strchr(mine.at(k), kEntrySeparator) : nullptr;
      if (later == nullptr) continue;
      FUZZ_CHECK(!qp::startsWithNoCase(later + 1, segment.c_str()));
    }
  }
  return 0;
}
