// Entry tagging of a member's appended entries: the one-pass tagging gives the same
// entries and allocation sizes as the step-by-step formatting, also when one chosen
// allocation is refused, and every tagged entry's identifier parses back to the member.
#include <cstring>

#include "fuzz/fuzz_lists.h"
#include "multi/core/entry_tags.h"
#include "multi/core/multi_tag.h"
#include "multi/tests/literal_lists.h"

using namespace qpmulti;
using qpmulti::testing::HostList;
using qpmulti::testing::TestHeap;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  qpfuzz::Input in(data, size);
  const unsigned member = static_cast<unsigned>(in.smallUpTo(kMemberSlots - 1));
  const TagScope scope = in.flag() ? TagScope::Index : TagScope::Search;
  const size_t refuse = in.flag() ? in.smallUpTo(15) : SIZE_MAX;
  const size_t fromPick = in.byte();
  const size_t toPick = in.byte();
  qpfuzz::ListInput list = qpfuzz::readList(in, 64);
  const size_t to = toPick % (list.texts.size() + 1);
  const size_t from = fromPick % (to + 1);

  HostList mine(list.texts, list.present);
  HostList theirs(list.texts, list.present);
  TestHeap myHeap;
  TestHeap theirHeap;
  myHeap.refuse = theirHeap.refuse = refuse;
  size_t tagged = tagMemberEntries(mine.data(), from, to, member, scope, myHeap.memory());
  literal::tagMemberEntries(theirs.data(), from, to, member, scope, theirHeap.memory());
  FUZZ_CHECK(mine.texts() == theirs.texts());
  FUZZ_CHECK(myHeap.sizes == theirHeap.sizes);
  FUZZ_CHECK(myHeap.released.size() == theirHeap.released.size());
  FUZZ_CHECK(tagged == myHeap.released.size());
  FUZZ_CHECK(mine.tailIsClean());

  int32_t slots[kMemberSlots];
  for (unsigned i = 0; i < kMemberSlots; ++i) slots[i] = static_cast<int32_t>(i);
  for (size_t i = 0; i < mine.count(); ++i) {
    const char* e = mine.at(i);
    bool inRange = i >= from && i < to;
    if (e == nullptr || !inRange || e == HostList::kPoison) continue;
    bool changed = e != list.texts[i];
    if (!changed) continue;
    // Rewritten: the old text up to its first separator, then the tag, then the rest.
    const std::string& old = list.texts[i];
    size_t head = old.find(kEntrySeparator) + 1;
    FUZZ_CHECK(head != 0 && std::strncmp(e, old.c_str(), head) == 0);
    MultiTag tag;
    FUZZ_CHECK(ParseMultiTag(e + head, slots, &tag));
    FUZZ_CHECK(tag.index == member && old.compare(head, std::string::npos, tag.rest) == 0);
  }
  return 0;
}
