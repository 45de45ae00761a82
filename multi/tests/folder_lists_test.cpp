// The folder list: which entries name the same folder, the merge of the members' lists,
// and the names of the marker files and the rules directory.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "multi/core/folder_merge.h"
#include "multi/core/folder_paths.h"
#include "multi/tests/host_list.h"

namespace qpmulti {
namespace {

using testing::HostList;
using testing::TestHeap;

TEST(SameFolderName, ComparesBaseNamesLetterCaseAndTrailingBlanksAside) {
  const std::string longName(kMaxBaseName, 'f');
  struct Case {
    std::string a;
    std::string b;
    bool same;
  };
  const Case cases[] = {
      {"Inbox", "INBOX", true},
      {"Inbox", "Inbox  \t\r\n", true},
      {"Inbox - 3 unread", "inbox", true},
      {"Inbox  - 3 unread", "Inbox - 5 - x", true},
      {"Inbox-3", "Inbox", false},
      {"Inbox -3", "Inbox", false},
      {"In box", "Inbox", false},
      {" Inbox", "Inbox", false},
      {" - a", "", true},
      {"Sent", "Sent Items", false},
      // Only the first kMaxBaseName characters make the base name.
      {longName + "a", longName + "b", true},
      {longName.substr(1) + "a", longName.substr(1) + "b", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.a + " / " + c.b);
    EXPECT_EQ(c.same, SameFolderName(c.a.c_str(), c.b.c_str()));
    EXPECT_EQ(c.same, SameFolderName(c.b.c_str(), c.a.c_str()));
  }
  EXPECT_FALSE(SameFolderName(nullptr, ""));
  EXPECT_FALSE(SameFolderName("", nullptr));
}

TEST(MergeFolderList, ShowsEachFolderOnceAtItsFirstPosition) {
  struct Case {
    const char* name;
    std::vector<std::string> entries;
    size_t firstNew;
    std::vector<int> kept;  // former positions, in the merged order
  };
  const Case cases[] = {
      {"two members list the same folders", {"Inbox", "Sent", "inbox", "SENT "}, 0, {2, 3}},
      {"the entry with a description wins, at the earlier position",
       {"Inbox", "Drafts", "Inbox - 4 new"},
       0,
       {2, 1}},
      {"the first entry with a description wins", {"A - 1", "a", "A - 2", "a"}, 0, {0}},
      {"a description after several without", {"a", "A", "a - 9", "a"}, 0, {2}},
      {"without descriptions the last one wins", {"x", "Y", "X", "y ", "x\t"}, 0, {4, 3}},
      {"entries before the call stay", {"Inbox", "Sent", "inbox - 2", "Inbox"}, 2, {0, 1, 2}},
      {"old entries are not compared among themselves", {"a", "A", "a"}, 2, {0, 1, 2}},
      {"nothing new", {"a", "a"}, 2, {0, 1}},
      {"different folders stay in order", {"c", "b - 1", "a"}, 0, {0, 1, 2}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    HostList list(c.entries);
    TestHeap heap;
    list.setCount(mergeFolderList(list.data(), list.count(), c.firstNew, heap.memory()));
    EXPECT_EQ(c.kept, list.origins());
    EXPECT_EQ(c.entries.size() - c.kept.size(), heap.released.size());
    EXPECT_EQ(0u, heap.allocations);
    EXPECT_TRUE(list.tailIsClean());
  }
}

TEST(MergeFolderList, NullEntriesStayAndMergeWithNothing) {
  HostList list({"a", "", "A", ""}, {true, false, true, false});
  TestHeap heap;
  list.setCount(mergeFolderList(list.data(), list.count(), 0, heap.memory()));
  EXPECT_EQ((std::vector<int>{2, -2, -2}), list.origins());
  EXPECT_TRUE(list.tailIsClean());
}

TEST(NewMailMarkerPath, NamesOnePlainFileInTheUserDirectory) {
  struct Case {
    const char* folder;
    const char* expected;
  };
  const Case cases[] = {
      {nullptr, "C:\\QP\\USERS\\jane\\New-Mail.NRL"},
      {"", "C:\\QP\\USERS\\jane\\New-Mail.NRL"},
      {"Inbox", "C:\\QP\\USERS\\jane\\Inbox.NRL"},
      {"News:comp.lang.c", "C:\\QP\\USERS\\jane\\comp.lang.c.NRL"},
      {"nEWS:host/comp.lang.c", "C:\\QP\\USERS\\jane\\comp.lang.c.NRL"},
      {"News:host/a/b", "C:\\QP\\USERS\\jane\\a_b.NRL"},
      {"Newsletters", "C:\\QP\\USERS\\jane\\Newsletters.NRL"},
      // Names that would leave the directory or name a stream of another file.
      {"..\\..\\WIN.INI", "C:\\QP\\USERS\\jane\\.._.._WIN.INI.NRL"},
      {"Work/2024", "C:\\QP\\USERS\\jane\\Work_2024.NRL"},
      {"a:b*?\"<>|\x01", "C:\\QP\\USERS\\jane\\a_b_______.NRL"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected);
    char out[kMarkerPathSize];
    EXPECT_TRUE(NewMailMarkerPath("C:\\QP\\USERS\\jane\\", c.folder, out, sizeof out));
    EXPECT_STREQ(c.expected, out);
  }
}

TEST(NewMailMarkerPath, RefusesAPathThatDoesNotFit) {
  char out[kMarkerPathSize];
  std::string folder(kMarkerPathSize, 'f');
  std::memset(out, 'x', sizeof out);
  EXPECT_FALSE(NewMailMarkerPath("C:\\U\\", folder.c_str(), out, sizeof out));
  EXPECT_STREQ("", out);

  // One character short of the ".NRL".
  char small[sizeof "C:\\U\\Inbox.NRL" - 1];
  EXPECT_FALSE(NewMailMarkerPath("C:\\U\\", "Inbox", small, sizeof small));
  EXPECT_STREQ("", small);
  char exact[sizeof "C:\\U\\Inbox.NRL"];
  EXPECT_TRUE(NewMailMarkerPath("C:\\U\\", "Inbox", exact, sizeof exact));

  EXPECT_FALSE(NewMailMarkerPath("", "Inbox", out, sizeof out));
  EXPECT_FALSE(NewMailMarkerPath(nullptr, "Inbox", out, sizeof out));
}

TEST(NewMailMarkerName, RefusesABufferWithoutRoom) {
  // Found by fuzzing: "News:" names an empty marker, which "fit" a zero-byte buffer,
  // and the buffer was then read.
  struct Case {
    const char* folder;
    size_t size;
  };
  const Case cases[] = {{"News:", 0}, {"News:host/", 0}, {"Inbox", 0}, {"", 0}, {"Inbox", 5}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.folder);
    std::vector<char> out(c.size + 1, 'x');
    EXPECT_FALSE(newMailMarkerName(c.folder, out.data(), c.size));
    EXPECT_EQ(out[c.size], 'x');
    if (c.size > 0) {
      EXPECT_EQ(out[0], '\0');
    }
  }
}

TEST(RulesPaths, DirectoryAndPattern) {
  char out[260];
  EXPECT_TRUE(rulesDirectory("C:\\QP\\USERS\\jane\\", true, out, sizeof out));
  EXPECT_STREQ("C:\\QP\\USERS\\jane\\RULES\\", out);
  EXPECT_TRUE(rulesDirectory("C:\\QP\\USERS\\jane\\", false, out, sizeof out));
  EXPECT_STREQ("C:\\QP\\USERS\\jane\\RULES", out);
  EXPECT_FALSE(rulesDirectory("", true, out, sizeof out));

  struct Case {
    const char* directory;
    const char* pattern;
  };
  const Case cases[] = {
      {"C:\\QP\\USERS\\jane\\RULES\\", "C:\\QP\\USERS\\jane\\RULES\\RULE*.INI"},
      {"D:\\member\\rules", "D:\\member\\rules\\RULE*.INI"},
      {"/srv/rules/", "/srv/rules/RULE*.INI"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.directory);
    EXPECT_TRUE(rulesFilePattern(c.directory, out, sizeof out));
    EXPECT_STREQ(c.pattern, out);
  }
  EXPECT_FALSE(rulesFilePattern("", out, sizeof out));
  char small[sizeof "C:\\R\\RULE*.INI" - 1];
  EXPECT_FALSE(rulesFilePattern("C:\\R\\", small, sizeof small));
  EXPECT_STREQ("", small);
}

}  // namespace
}  // namespace qpmulti
