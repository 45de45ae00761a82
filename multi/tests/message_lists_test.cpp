// The message lists: tagging of the entries a member appends, removal of repeated search
// results, and the typed addresses of a loaded message.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "multi/core/entry_tags.h"
#include "multi/core/member_address.h"
#include "multi/core/search_dedup.h"
#include "multi/tests/host_list.h"

namespace qpmulti {
namespace {

using testing::bars;
using testing::HostList;
using testing::TestHeap;

TEST(TagListEntry, PutsTheMemberTagAfterTheFirstSeparator) {
  struct Case {
    const char* entry;  // "|" stands for 0xFF
    unsigned member;
    TagScope scope;
    const char* expected;  // null: the entry stays as it was, unreplaced
  };
  const Case cases[] = {
      {"Subject|id7", 3, TagScope::Index, "Subject|MULTI:3:id7"},
      {"Subject|id7|more|text", 49, TagScope::Index, "Subject|MULTI:49:id7|more|text"},
      {"|", 0, TagScope::Search, "|MULTI:0:"},
      {"no separator", 1, TagScope::Search, nullptr},
      {"", 1, TagScope::Index, nullptr},
      {"Draft|DFT:12", 1, TagScope::Index, nullptr},
      {"Draft|dFt:12|x", 1, TagScope::Index, nullptr},
      {"Draft|DFT:12", 1, TagScope::Search, "Draft|MULTI:1:DFT:12"},
      {"Draft|DFT12", 2, TagScope::Index, "Draft|MULTI:2:DFT12"},
      {"Draft|DF", 2, TagScope::Index, "Draft|MULTI:2:DF"},
      {"Text|id|DFT:1", 4, TagScope::Index, "Text|MULTI:4:id|DFT:1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.entry);
    HostList list({bars(c.entry)});
    char* before = list.at(0);
    TestHeap heap;
    char** slot = list.data();
    bool rewritten = TagListEntry(slot, c.member, c.scope, heap.memory());
    if (c.expected == nullptr) {
      EXPECT_FALSE(rewritten);
      EXPECT_EQ(before, list.at(0));
      EXPECT_EQ(0u, heap.allocations);
      EXPECT_EQ(bars(c.entry), list.at(0));
    } else {
      EXPECT_TRUE(rewritten);
      EXPECT_EQ(bars(c.expected), list.at(0));
      ASSERT_EQ(1u, heap.sizes.size());
      EXPECT_EQ(std::strlen(c.entry) + kTagRoom, heap.sizes[0]);
      ASSERT_EQ(1u, heap.released.size());
      EXPECT_EQ(before, heap.released[0]);
    }
  }
}

TEST(TagListEntry, NullEntryStaysNull) {
  char* entry = nullptr;
  TestHeap heap;
  EXPECT_FALSE(TagListEntry(&entry, 1, TagScope::Search, heap.memory()));
  EXPECT_EQ(nullptr, entry);
  EXPECT_EQ(0u, heap.allocations);
}

TEST(TagMemberEntries, TagsOnlyTheAppendedRangeAndSurvivesARefusedAllocation) {
  HostList list(bars({"old|a", "new|b", "new|c", "plain", "new|d", "after|e"}));
  TestHeap heap;
  heap.refuse = 1;  // the second allocation: the entry "new|c"
  size_t tagged = tagMemberEntries(list.data(), 1, 5, 7, TagScope::Index, heap.memory());
  EXPECT_EQ(2u, tagged);
  EXPECT_EQ(bars({"old|a", "new|MULTI:7:b", "new|c", "plain", "new|MULTI:7:d", "after|e"}),
            list.texts());
  EXPECT_EQ(2u, heap.released.size());
}

TEST(RemoveDuplicateResults, KeepsTheFirstOfEntriesWhoseIdentifiersAgree) {
  struct Case {
    const char* name;
    std::vector<std::string> entries;  // "|" stands for 0xFF
    std::vector<int> kept;             // former positions of the entries that stay
  };
  const Case cases[] = {
      {"same identifier, other letter case", {"a|MULTI:0:X1|f", "b|multi:0:x1|g"}, {0}},
      {"three copies", {"a|id|", "b|id|", "c|ID|", "d|other|"}, {0, 3}},
      {"a later identifier that begins with the segment goes", {"a|id|", "b|id2|", "c|i|"}, {0, 2}},
      {"an earlier longer segment does not remove a shorter one", {"a|id2|", "b|id|"}, {0, 1}},
      {"one separator: no segment, but it can go", {"a|id", "b|id|", "c|id"}, {0, 1}},
      {"the segment of an entry with one separator is not compared",
       {"a|id", "b|idx", "c|ID|"},
       {0, 1, 2}},
      {"entries without separator stay", {"id", "a|id|", "id", "x|id"}, {0, 1, 2}},
      {"a separator right after the segment's text does not hide it",
       {"a|id|x", "b|id|y", "c|id"},
       {0}},
      {"an empty segment removes nothing", {"a||", "b|id|", "c||", "d|x"}, {0, 1, 2, 3}},
      {"an empty segment does not stop a later one", {"a||", "b|id|", "c|id|"}, {0, 1}},
      {"the whole list counts, the first entries too", {"a|k|", "b|k|", "c|k|"}, {0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    HostList list(bars(c.entries));
    TestHeap heap;
    size_t count = removeDuplicateResults(list.data(), list.count(), heap.memory());
    list.setCount(count);
    EXPECT_EQ(c.kept, list.origins());
    EXPECT_EQ(c.entries.size() - c.kept.size(), heap.released.size());
    EXPECT_EQ(0u, heap.allocations);
    EXPECT_TRUE(list.tailIsClean());
  }
}

TEST(RemoveDuplicateResults, NullEntriesStayAndRemoveNothing) {
  HostList list(bars({"a|id|", "", "b|id|", "c|x|"}), {true, false, true, true});
  TestHeap heap;
  list.setCount(removeDuplicateResults(list.data(), list.count(), heap.memory()));
  EXPECT_EQ((std::vector<int>{0, -2, 3}), list.origins());
  EXPECT_TRUE(list.tailIsClean());
}

// The test encoder quotes a text with a blank in it, as EncodeFullName does, and
// records the buffer sizes it was given.
struct EncodeLog {
  std::vector<size_t> sizes;
};
void quoteBlanks(char* text, size_t size, void* context) {
  static_cast<EncodeLog*>(context)->sizes.push_back(size);
  if (std::strchr(text, ' ') == nullptr) return;
  std::string quoted = "\"" + std::string(text) + "\"";
  if (quoted.size() < size) std::memcpy(text, quoted.c_str(), quoted.size() + 1);
}

TEST(TypeMemberAddress, PutsTheMailboxTypeBeforeTheBareAddress) {
  struct Case {
    const char* fullName;
    const char* bare;
    const char* expected;
    std::vector<size_t> encoded;  // the buffer sizes the encoder saw
  };
  const Case cases[] = {
      {"Jane Doe", "jane@example.com", "\"Jane Doe\" <IMAP:jane@example.com>", {kFullNameSize}},
      {"Jane", "jane@example.com", "Jane <IMAP:jane@example.com>", {kFullNameSize}},
      {"JANE@example.COM", "jane@example.com", "IMAP:jane@example.com", {kBareAddressSize}},
      {"", "jane@example.com", "IMAP:jane@example.com", {kBareAddressSize}},
      {nullptr, "odd box@x", "IMAP:\"odd box@x\"", {kBareAddressSize}},
      {"Jane", "", "Jane <IMAP:>", {kFullNameSize}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected);
    EncodeLog log;
    char out[kTypedAddressSize];
    std::memset(out, 'x', sizeof out);
    EXPECT_TRUE(TypeMemberAddress(c.fullName, c.bare, "IMAP", quoteBlanks, &log, out, sizeof out));
    EXPECT_STREQ(c.expected, out);
    EXPECT_EQ(c.encoded, log.sizes);
  }
}

TEST(TypeMemberAddress, CutsToTheBuffersAndSaysSo) {
  EncodeLog log;
  // A full name longer than its work buffer is cut to kFullNameSize - 1 characters.
  std::string longName(400, 'n');
  char out[kTypedAddressSize];
  EXPECT_TRUE(
      TypeMemberAddress(longName.c_str(), "a@b", "POP3", quoteBlanks, &log, out, sizeof out));
  EXPECT_EQ(std::string(kFullNameSize - 1, 'n') + " <POP3:a@b>", out);

  char small[8];
  std::memset(small, 'x', sizeof small);
  EXPECT_FALSE(TypeMemberAddress(nullptr, "jane@example.com", "IMAP", quoteBlanks, &log, small,
                                 sizeof small));
  EXPECT_STREQ("IMAP:ja", small);
}

}  // namespace
}  // namespace qpmulti
