// The MULTI tag parse: any text with any set of occupied slots parses without reading
// past the text, a recognised tag names an occupied slot and leaves a rest inside the
// text, and a tag written by the entry tagging parses back to its member and its rest.
#include <cstring>

#include "common/text.h"
#include "fuzz/fuzz_input.h"
#include "multi/core/entry_tags.h"
#include "multi/core/multi_tag.h"
#include "multi/tests/host_list.h"

using namespace qpmulti;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  qpfuzz::Input in(data, size);
  int32_t slots[kMemberSlots];
  for (unsigned i = 0; i < kMemberSlots; ++i) slots[i] = kEmptySlot;
  // Up to 8 occupied slots; a slot number past the table marks nothing.
  for (size_t n = in.smallUpTo(8); n > 0; --n) {
    size_t slot = in.byte();
    if (slot < kMemberSlots) slots[slot] = static_cast<int32_t>(slot);
  }
  const unsigned member = static_cast<unsigned>(in.upTo(SIZE_MAX)) * 997u % 100000u;
  const std::string text = in.text();

  // Any text.
  MultiTag tag;
  bool tagged = ParseMultiTag(text.c_str(), slots, &tag);
  const char* end = text.c_str() + text.size();
  FUZZ_CHECK(tag.rest >= text.c_str() && tag.rest <= end);
  if (tagged) {
    FUZZ_CHECK(tag.index < kMemberSlots && slots[tag.index] != kEmptySlot);
    FUZZ_CHECK(qp::startsWithNoCase(text.c_str(), "MULTI:"));
  } else {
    FUZZ_CHECK(tag.rest == text.c_str() && tag.index == 0);
  }
  FUZZ_CHECK(!ParseMultiTag(text.c_str(), nullptr, &tag) && tag.rest == text.c_str());

  // Round trip: "x\xFF<text>" tagged for `member` parses back to the member and <text>.
  std::string entry = std::string("x") + kEntrySeparator + text;
  qpmulti::testing::TestHeap heap;
  char* e = qpmulti::testing::copyOf(entry);
  bool rewritten = TagListEntry(&e, member, TagScope::Search, heap.memory());
  FUZZ_CHECK(rewritten);
  const char* tagText = std::strchr(e, kEntrySeparator) + 1;
  int32_t all[kMemberSlots];
  for (unsigned i = 0; i < kMemberSlots; ++i) all[i] = static_cast<int32_t>(i);
  MultiTag back;
  bool parsed = ParseMultiTag(tagText, all, &back);
  FUZZ_CHECK(parsed == (member < kMemberSlots));
  if (parsed) {
    FUZZ_CHECK(back.index == member);
    FUZZ_CHECK(text == back.rest);
  }
  std::free(e);
  return 0;
}
