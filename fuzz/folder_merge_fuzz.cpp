// The folder merge: the one-pass merge gives the same list, entry for entry, as the
// step-by-step merge; entries before the members' part are untouched; every entry that
// went was released once and names the same folder as one that stayed; no two kept
// entries of the members' part name the same folder.
#include "fuzz/fuzz_lists.h"
#include "multi/core/folder_merge.h"
#include "multi/tests/literal_lists.h"

using namespace qpmulti;
using qpmulti::testing::HostList;
using qpmulti::testing::TestHeap;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  qpfuzz::Input in(data, size);
  const size_t firstPick = in.byte();
  qpfuzz::ListInput list = qpfuzz::readList(in, 64);
  const size_t count = list.texts.size();
  const size_t firstNew = firstPick % (count + 1);

  HostList mine(list.texts, list.present);
  HostList theirs(list.texts, list.present);
  TestHeap myHeap;
  TestHeap theirHeap;
  mine.setCount(mergeFolderList(mine.data(), count, firstNew, myHeap.memory()));
  theirs.setCount(literal::mergeFolderList(theirs.data(), count, firstNew, theirHeap.memory()));
  FUZZ_CHECK(mine.texts() == theirs.texts());
  FUZZ_CHECK(mine.origins() == theirs.origins());
  FUZZ_CHECK(myHeap.released.size() == theirHeap.released.size());
  FUZZ_CHECK(myHeap.sizes.empty());
  FUZZ_CHECK(mine.count() + myHeap.released.size() == count);
  FUZZ_CHECK(mine.tailIsClean());

  std::vector<int> origins = mine.origins();
  for (size_t i = 0; i < firstNew; ++i) FUZZ_CHECK(origins[i] == static_cast<int>(i) || origins[i] == -2);
  for (size_t i = firstNew; i < mine.count(); ++i) {
    for (size_t k = i + 1; k < mine.count(); ++k) {
      FUZZ_CHECK(!SameFolderName(mine.at(i), mine.at(k)));
    }
  }
  // Every original entry of the members' part either stayed or matches one that stayed.
  for (size_t j = firstNew; j < count; ++j) {
    if (!list.present[j]) continue;
    bool accounted = false;
    for (size_t i = firstNew; i < mine.count() && !accounted; ++i) {
      accounted = origins[i] == static_cast<int>(j) ||
                  (mine.at(i) != nullptr && SameFolderName(mine.at(i), list.texts[j].c_str()));
    }
    FUZZ_CHECK(accounted);
  }
  // The comparison itself against its step-by-step version.
  for (size_t j = 0; j + 1 < count; ++j) {
    const char* a = list.texts[j].c_str();
    const char* b = list.texts[j + 1].c_str();
    FUZZ_CHECK(SameFolderName(a, b) == literal::sameFolderName(a, b));
    FUZZ_CHECK(SameFolderName(a, b) == SameFolderName(b, a));
  }
  return 0;
}
