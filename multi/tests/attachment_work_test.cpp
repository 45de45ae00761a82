// The attachment lists of a message added to a folder: copies of the host's lists (what a
// failed allocation does to them), the replacement of an entry by its qualified path, and
// the reference built for an attachment that is not a local file.
#include "multi/core/attachment_work.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "multi/tests/host_list.h"

namespace qpmulti {
namespace {

using testing::TestHeap;

std::vector<std::string> textsOf(char* const* entries, size_t slots) {
  std::vector<std::string> out;
  for (size_t i = 0; i < slots && entries[i] != nullptr; ++i) out.push_back(entries[i]);
  return out;
}

struct Copy {
  TestHeap heap;
  std::vector<char*> slots = std::vector<char*>(kAttachmentSlots, nullptr);
  ~Copy() {
    for (char* entry : slots) std::free(entry);
  }
};

TEST(CopyEntryList, CopiesUpToTheNullOrTheLimitAndStopsAtAFailedAllocation) {
  const char* source[] = {"a.txt", "", "c.doc", nullptr, "after the end"};
  struct Case {
    const char* name;
    size_t limit;
    size_t refuse;  // the allocation (from 0) that fails
    std::vector<std::string> copied;
  };
  const Case cases[] = {
      {"whole list", kMaxAttachments, SIZE_MAX, {"a.txt", "", "c.doc"}},
      {"limit", 2, SIZE_MAX, {"a.txt", ""}},
      {"second allocation fails", kMaxAttachments, 1, {"a.txt"}},
      {"first allocation fails", kMaxAttachments, 0, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Copy copy;
    copy.heap.refuse = c.refuse;
    EXPECT_EQ(copyEntryList(source, copy.slots.data(), c.limit, copy.heap.memory()),
              c.copied.size());
    EXPECT_EQ(textsOf(copy.slots.data(), kAttachmentSlots), c.copied);
    // The entries after the copied ones stay null, and no allocation is tried after a failure.
    for (size_t i = c.copied.size(); i < kAttachmentSlots; ++i)
      ASSERT_EQ(copy.slots[i], nullptr) << "slot " << i;
    EXPECT_EQ(copy.heap.sizes.size(), c.copied.size());
  }
}

TEST(CopyEntryList, StopsAfterTwoHundredEntriesOfALongerList) {
  std::vector<std::string> texts;
  std::vector<const char*> source;
  for (size_t i = 0; i < kMaxAttachments + 5; ++i) texts.push_back("f" + std::to_string(i));
  for (const std::string& t : texts) source.push_back(t.c_str());
  source.push_back(nullptr);
  Copy copy;
  EXPECT_EQ(copyEntryList(source.data(), copy.slots.data(), kMaxAttachments, copy.heap.memory()),
            kMaxAttachments);
  EXPECT_STREQ(copy.slots[kMaxAttachments - 1], "f199");
  EXPECT_EQ(copy.slots[kMaxAttachments], nullptr);

  Copy none;
  EXPECT_EQ(copyEntryList(nullptr, none.slots.data(), kMaxAttachments, none.heap.memory()), 0u);
  EXPECT_EQ(none.heap.allocations, 0u);
}

TEST(ReplaceEntryText, ReleasesTheOldEntryOnlyWhenTheNewOneIsMade) {
  for (bool fails : {false, true}) {
    SCOPED_TRACE(fails ? "allocation fails" : "allocation works");
    TestHeap heap;
    heap.refuse = fails ? 0 : SIZE_MAX;
    char* entry = testing::copyOf("MULTI:1:ref");
    char* const old = entry;
    EXPECT_EQ(replaceEntryText(&entry, "C:\\tmp\\a.txt", heap.memory()), !fails);
    if (fails) {
      EXPECT_EQ(entry, old);
      EXPECT_TRUE(heap.released.empty());
    } else {
      EXPECT_STREQ(entry, "C:\\tmp\\a.txt");
      EXPECT_EQ(heap.released, std::vector<const char*>{old});
      EXPECT_EQ(heap.sizes, std::vector<size_t>{std::strlen("C:\\tmp\\a.txt") + 1});
    }
    std::free(entry);
  }
}

TEST(AttachmentReference, IsBuiltWholeOrNotAtAll) {
  constexpr size_t kSize = 152;
  // "MULTI:" + file + "/" + name takes 7 characters besides the entries.
  const std::string fits(kSize - 1 - 7 - 4, 'f');
  struct Case {
    std::string file;
    const char* name;
    const char* expected;  // null: refused
  };
  const std::string longest = "MULTI:" + fits + "/a.gz";
  const std::string longName(200, 'n');
  const Case cases[] = {
      {"MULTI:1:POP3:17", "report.pdf", "MULTI:MULTI:1:POP3:17/report.pdf"},
      {"MULTI:0:9", nullptr, "MULTI:MULTI:0:9/"},
      {fits, "a.gz", longest.c_str()},
      {fits, "ab.gz", nullptr},
      {fits + "fffff", "", nullptr},
      {"x", longName.c_str(), nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file.substr(0, 20) + " / " +
                 (c.name ? std::string(c.name).substr(0, 20) : "null"));
    char out[kSize + 8];
    std::memset(out, '#', sizeof out);
    EXPECT_EQ(attachmentReference(c.file.c_str(), c.name, out, kSize), c.expected != nullptr);
    EXPECT_STREQ(out, c.expected ? c.expected : "");
    for (size_t i = kSize; i < sizeof out; ++i) ASSERT_EQ(out[i], '#') << "byte " << i;
  }
}

}  // namespace
}  // namespace qpmulti
