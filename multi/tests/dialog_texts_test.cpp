// The texts of the profile dialogs: member entries and the columns taken back out of
// them, interface entries, the interface name of a library file, the files never
// offered, and the help file name.
#include "multi/core/dialog_texts.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

using namespace qpmulti;

TEST(DialogTexts, MemberEntryColumnsComeBackOut) {
  struct Case {
    const char* name;
    const char* entry;
    const char* interfaceColumn;
    const char* summary;
  };
  const Case cases[] = {
      {"full entry", "3: jane\tPOP3\tpw\tC:\\mail", "POP3", "3: jane POP3"},
      {"no interface", "1: bob\t\t\t", "", "1: bob "},
      {"one tab only", "2: x\tIMAP", "IMAP", "2: x IMAP"},
      {"no tab", "plain", "", "plain"},
      {"empty", "", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    char column[32];
    char summary[32];
    std::memset(column, 'Q', sizeof column);
    memberEntryInterface(c.entry, column, sizeof column);
    memberEntrySummary(c.entry, summary, sizeof summary);
    EXPECT_STREQ(column, c.interfaceColumn);
    EXPECT_STREQ(summary, c.summary);
  }

  char entry[kMemberEntrySize];
  formatMemberEntry(entry, sizeof entry, 12, "jane", "POP3", "pw", nullptr);
  EXPECT_STREQ(entry, "12: jane\tPOP3\tpw\t");
}

TEST(DialogTexts, LongTextsAreCutToTheBuffer) {
  const std::string longUser(150, 'u');
  char entry[kMemberEntrySize];
  formatMemberEntry(entry, sizeof entry, 49, longUser.c_str(), longUser.c_str(), longUser.c_str(),
                    longUser.c_str());
  EXPECT_EQ(std::strlen(entry), 4 + 4 * 150 + 3u);  // everything fits the entry size

  char small[8];
  formatMemberEntry(small, sizeof small, 49, "jane", "POP3", "", "");
  EXPECT_STREQ(small, "49: jan");
  memberEntrySummary("1: abcdefgh\tPOP3", small, sizeof small);
  EXPECT_STREQ(small, "1: abcd");
  memberEntrySummary("1:\tabcdefgh\tPOP3", small, sizeof small);
  EXPECT_STREQ(small, "1: abcd");  // the tab within reach is still made a blank
  interfaceOfEntry("POP3LONGNAME - x", small, sizeof small);
  EXPECT_STREQ(small, "POP3LON");
  EXPECT_FALSE(helpFileName("C:\\A\\QPSERVER.EXE", small, sizeof small));
  EXPECT_STREQ(small, "");
}

TEST(DialogTexts, InterfaceEntriesAndTheirNames) {
  char entry[kInterfaceEntrySize];
  formatInterfaceEntry(entry, sizeof entry, "POP3", "Sample mail store (POP3)");
  EXPECT_STREQ(entry, "POP3 - Sample mail store (POP3)");

  struct Case {
    const char* entry;
    const char* name;
  };
  const Case names[] = {
      {"POP3 - Sample - store", "POP3"}, {"IMAP", "IMAP"}, {"X-Y - z", "X-Y"}, {"", ""}};
  for (const Case& c : names) {
    SCOPED_TRACE(c.entry);
    char name[32];
    interfaceOfEntry(c.entry, name, sizeof name);
    EXPECT_STREQ(name, c.name);
  }

  const Case files[] = {{"QPXPOP3.DLL", "POP3"},
                        {"qpximap.dll", "imap"},
                        {"QPXA.B.DLL", "A"},
                        {"QPX.DLL", ""},
                        {"QPX", ""},
                        {"QPXSMTP", "SMTP"}};
  for (const Case& c : files) {
    SCOPED_TRACE(c.entry);
    char name[32];
    interfaceNameFromFileName(c.entry, name, sizeof name);
    EXPECT_STREQ(name, c.name);
  }
}

TEST(DialogTexts, MemberInterfaceMatchesItsEntryExactlyBeforeByPrefix) {
  struct Case {
    const char* entry;
    const char* name;
    EntryMatch match;
  };
  const Case cases[] = {
      {"POP3 - Sample", "POP3", EntryMatch::Exact},
      {"pop3 - Sample", "POP3", EntryMatch::Exact},
      {"POP3X - Other", "POP3", EntryMatch::Prefix},
      {"POP3 - Sample", "POP", EntryMatch::Prefix},
      {"IMAP - Sample", "POP3", EntryMatch::None},
      {"IMAP - Sample", "", EntryMatch::Prefix},
      {"POP", "POP3", EntryMatch::None},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.entry) + " / " + c.name);
    EXPECT_EQ(matchInterfaceEntry(c.entry, c.name), c.match);
  }
}

TEST(DialogTexts, LibrariesNeverOffered) {
  struct Case {
    const char* file;
    bool excluded;
  };
  const Case cases[] = {
      {"QPXPOP3.DLL", false}, {"QPXNW.DLL", true},     {"qpxnwx.dll", true},
      {"QPXMULTI.DLL", true}, {"QPXMAIL32.DLL", true}, {"QPX16.DLL", true},
      {"QPXIMAP.DLL", false}, {"QPX3.DLL", false},     {"QPX1.DLL", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    EXPECT_EQ(isExcludedLibraryFile(c.file), c.excluded);
  }
}

TEST(DialogTexts, HelpFileReplacesTheProgramsExtension) {
  char help[64];
  ASSERT_TRUE(helpFileName("C:\\QP\\QPSERVER.EXE", help, sizeof help));
  EXPECT_STREQ(help, "C:\\QP\\QPSERVER.HLP");
  EXPECT_FALSE(helpFileName("EXE", help, sizeof help));
  EXPECT_STREQ(help, "");
}

}  // namespace
