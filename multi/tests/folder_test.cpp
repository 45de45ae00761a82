// Folders of a multi-session host session over real sample mail stores: the merged folder
// list, folder information summed over the members, creation with its undo, renaming and
// deleting on every member, the new-mail markers in the host user's directory and the
// rules directory.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "host/mailstore/journal.h"
#include "multi/tests/folder_fixture.h"

namespace {

using foldertest::calls;
using foldertest::countOf;
using foldertest::fileExists;
using foldertest::isDirectory;
using foldertest::messagesIn;
using qp::mailstore::JournalLine;

constexpr char kMessage[] = "From: a@example.com\r\nSubject: hello\r\n\r\nbody\r\n";

class Folders : public foldertest::FolderTest {};

char* hostEntry(const char* text) {
  char* entry = static_cast<char*>(QPmalloc(static_cast<uint32_t>(std::strlen(text) + 1)));
  std::strcpy(entry, text);
  return entry;
}

TEST_F(Folders, ListShowsEachFolderOnceByTheEntryThatDescribesIt) {
  qptest::MailDatabase& pop = member(1, "POP3", {"Archive", "Inbox", "Sent"});
  qptest::MailDatabase& imap = member(2, "IMAP", {"Archive", "Drafts", "inbox", "SENT"});
  putMessage(pop, "Inbox", "00000001", kMessage);
  putMessage(pop, "Inbox", "00000002", kMessage);
  putMessage(imap, "Archive", "00000001", kMessage);
  const QPSESSION host = logIn(2);
  const std::vector<QPSESSION> slots = table(host);

  // The host's list holds an entry of its own before the call; spare positions poisoned.
  char* const kPoison = reinterpret_cast<char*>(0x1);
  std::vector<char*> list(12, kPoison);
  list[0] = hostEntry("Inbox");
  int32_t count = 1;
  const int32_t liveBefore = QPGetLiveBlockCount();

  EXPECT_EQ(folders_.buildFolderList(host, "ignored", list.data(), &count, 77, 0, 0), 5);

  // Members appended "Archive", "Inbox - 2 messages", "Sent" and "Archive - 1 message",
  // "Drafts", "inbox", "SENT". Each folder stays at its first position, shown by its first
  // entry with " - " or else its last; the host's own entry is never merged.
  ASSERT_EQ(count, 5);
  const std::vector<std::string> expected = {"Inbox", "Archive - 1 message", "Inbox - 2 messages",
                                             "SENT", "Drafts"};
  for (size_t i = 0; i < expected.size(); ++i) EXPECT_STREQ(list[i], expected[i].c_str()) << i;
  for (size_t i = 5; i < 8; ++i) EXPECT_EQ(list[i], nullptr) << "freed position " << i;
  for (size_t i = 8; i < list.size(); ++i) EXPECT_EQ(list[i], kPoison) << "beyond the list " << i;
  // Seven entries came in, three went back to the common library.
  EXPECT_EQ(QPGetLiveBlockCount() - liveBefore, 4);

  // Each member was asked once with the count as it then stood and argument 5.
  EXPECT_NE(pop.journal().find(JournalLine("BuildFolderList")
                                   .number(slots[0])
                                   .text("user1")
                                   .number(1)
                                   .number(77)
                                   .finished()),
            std::string::npos)
      << pop.journal();
  EXPECT_NE(imap.journal().find(JournalLine("BuildFolderList")
                                    .number(slots[1])
                                    .text("user2")
                                    .number(4)
                                    .number(77)
                                    .finished()),
            std::string::npos)
      << imap.journal();
  for (int32_t i = 0; i < count; ++i) QPfree(list[i]);
}

TEST_F(Folders, WithoutATableEveryExportAnswersAtOnceAndWritesNothing) {
  member(1, "POP3", {"Inbox"});
  const QPSESSION host = openHost();  // never logged in: the cell holds no table
  char text[16] = "poison";
  int32_t number = -7;
  char* entries[2] = {nullptr, nullptr};
  char folder[] = "Inbox";
  struct Case {
    const char* name;
    std::function<int32_t()> call;
    int32_t result;
  };
  const Case cases[] = {
      {"BuildFolderList",
       [&] { return folders_.buildFolderList(host, "", entries, &number, 0, 0, 0); }, -1},
      {"GetMailMessageFolderInfo",
       [&] { return folders_.getFolderInfo(host, "", folder, &number, text); }, 0},
      {"CreateMailFolder", [&] { return folders_.createFolder(host, "", folder, text); }, 0},
      {"RenameMailFolder",
       [&] { return folders_.renameFolder(host, "", reinterpret_cast<intptr_t>(folder), 0, 0); },
       0},
      {"DeleteMailFolder", [&] { return folders_.deleteFolder(host, "", folder); }, 0},
      {"DoesFolderHaveNewMail", [&] { return folders_.hasNewMail(host, profile_.c_str(), folder); },
       0},
      {"SetFolderNewMailStatus",
       [&] { return folders_.setNewMail(host, profile_.c_str(), folder, 1); }, 0},
      {"GetRulesDir", [&] { return folders_.getRulesDir(host, profile_.c_str(), text); }, 0},
      {"AddMailMessageToFolder",
       [&] {
         return folders_.addMessage(host, "", folder, 0, 0, 0, 0, 0, 0, 0, entries, entries, 0, 0);
       },
       0},
      {"FileMailMessageToFolder",
       [&] { return folders_.fileMessage(host, "", 0, "MULTI:0:Inbox/00000001", folder, 0, 0); },
       0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.call(), c.result);
    EXPECT_STREQ(text, "poison");
    EXPECT_EQ(number, -7);
    EXPECT_EQ(entries[0], nullptr);
  }
  EXPECT_FALSE(fileExists(hostUserDirectory() + "Inbox.NRL"));
  EXPECT_FALSE(isDirectory(rulesDirectory()));
}

TEST_F(Folders, InformationAddsTheMembersCountsAndShowsTheLowestSlotsText) {
  qptest::MailDatabase& pop = member(1, "POP3", {"Inbox"});
  qptest::MailDatabase& imap = member(2, "IMAP", {"Inbox", "Archive"});
  qptest::MailDatabase& smtp = member(3, "SMTP");
  putMessage(pop, "Inbox", "00000001", kMessage);
  putMessage(pop, "Inbox", "00000002", kMessage);
  putMessage(imap, "Inbox", "00000001", kMessage);
  for (const char* name : {"00000001", "00000002", "00000003"})
    putMessage(imap, "Archive", name, kMessage);
  const QPSESSION host = logIn(3);

  struct Case {
    const char* folder;
    int32_t result;
    int32_t count;
    const char* text;
  };
  const Case cases[] = {
      {"Inbox", 1, 3, "POP3 Inbox: 2 messages, 2 unread"},
      {"ARCHIVE", 1, 3, "IMAP ARCHIVE: 3 messages, 3 unread"},
      {"Nowhere", 0, 0, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.folder);
    const size_t asked[] = {journalLength(pop), journalLength(imap), journalLength(smtp)};
    int32_t count = -5;
    char text[QP_TEXT_LARGE] = "stale text";
    EXPECT_EQ(folders_.getFolderInfo(host, "", c.folder, &count, text), c.result);
    EXPECT_EQ(count, c.count);
    EXPECT_STREQ(text, c.text);
    const qptest::MailDatabase* dbs[] = {&pop, &imap, &smtp};
    for (size_t m = 0; m < 3; ++m) {
      EXPECT_EQ(callsSince(*dbs[m], asked[m]), std::vector<std::string>{"GetMailMessageFolderInfo"})
          << "member " << m;
    }
  }
}

TEST_F(Folders, CreateRefusedByTheThirdMemberIsUndoneOnlyWhereItWasNew) {
  qptest::MailDatabase& had = member(1, "POP3", {"Projects"});
  qptest::MailDatabase& fresh = member(2, "IMAP");
  qptest::MailDatabase& refusing = member(3, "SMTP");
  qptest::MailDatabase& last = member(4, "POP3");
  putMessage(had, "Projects", "00000001", kMessage);
  // A file where the folder's directory would go: the third member cannot create it.
  foldertest::writeFile(refusing.path() + "\\Projects", "in the way");
  const QPSESSION host = logIn(4);
  const size_t before[] = {journalLength(had), journalLength(fresh), journalLength(refusing),
                           journalLength(last)};

  char info[QP_TEXT_LARGE] = "";
  EXPECT_EQ(folders_.createFolder(host, "", "Projects", info), 0);

  // The member that had the folder before keeps it with its message.
  EXPECT_EQ(messagesIn(folderDir(had, "Projects")), std::vector<std::string>{"00000001"});
  EXPECT_FALSE(isDirectory(folderDir(fresh, "Projects")));
  const std::vector<std::string> asked = {"GetMailMessageFolderInfo", "CreateMailFolder"};
  EXPECT_EQ(callsSince(had, before[0]), asked);
  EXPECT_EQ(callsSince(fresh, before[1]),
            (std::vector<std::string>{"GetMailMessageFolderInfo", "CreateMailFolder",
                                      "DeleteMailFolder"}));
  EXPECT_EQ(callsSince(refusing, before[2]), asked);
  EXPECT_TRUE(callsSince(last, before[3]).empty()) << "members after the refusal are not asked";

  // A folder every member can make is made everywhere and nothing is undone.
  EXPECT_EQ(folders_.createFolder(host, "", "Plans", info), 1);
  for (const qptest::MailDatabase* db : {&had, &fresh, &refusing, &last}) {
    EXPECT_TRUE(isDirectory(folderDir(*db, "Plans"))) << db->path();
    EXPECT_EQ(countOf(calls(db->journal()), "DeleteMailFolder"), db == &fresh ? 1u : 0u);
  }
}

TEST_F(Folders, RenameAndDeleteAskEveryMemberAndGiveTheFirstNonzeroAnswer) {
  qptest::MailDatabase& lacking = member(1, "POP3");
  qptest::MailDatabase& second = member(2, "IMAP", {"Old"});
  qptest::MailDatabase& third = member(3, "SMTP", {"Old"});
  const QPSESSION host = logIn(3);

  EXPECT_EQ(folders_.renameFolder(host, "", reinterpret_cast<intptr_t>("Old"),
                                  reinterpret_cast<intptr_t>("New"), 0),
            1);
  for (const qptest::MailDatabase* db : {&second, &third}) {
    EXPECT_TRUE(isDirectory(folderDir(*db, "New"))) << db->path();
    EXPECT_FALSE(isDirectory(folderDir(*db, "Old"))) << db->path();
  }
  EXPECT_EQ(folders_.deleteFolder(host, "", "New"), 1);
  EXPECT_EQ(folders_.deleteFolder(host, "", "Nowhere"), 0);
  for (const qptest::MailDatabase* db : {&lacking, &second, &third}) {
    const std::vector<std::string> names = calls(db->journal());
    EXPECT_EQ(countOf(names, "RenameMailFolder"), 1u) << db->path();
    EXPECT_EQ(countOf(names, "DeleteMailFolder"), 2u) << db->path();
    EXPECT_FALSE(isDirectory(folderDir(*db, "New"))) << db->path();
  }
}

TEST_F(Folders, NewMailMarkersLiveInTheHostUsersDirectory) {
  qptest::MailDatabase& pop = member(1, "POP3", {"Inbox"});
  qptest::MailDatabase& imap = member(2, "IMAP", {"Inbox"});
  const QPSESSION host = logIn(2);
  struct Case {
    const char* folder;  // null: no folder name
    const char* marker;
  };
  const Case cases[] = {
      {nullptr, "New-Mail.NRL"},
      {"", "New-Mail.NRL"},
      {"Inbox", "Inbox.NRL"},
      {"news:alt.test", "alt.test.NRL"},
      {"News:comp.lang.c/unread/x", "unread_x.NRL"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.folder ? c.folder : "(null)");
    const std::string marker = hostUserDirectory() + c.marker;
    foldertest::writeFile(marker, "left from before");  // setting empties it
    const size_t told[] = {journalLength(pop), journalLength(imap)};

    EXPECT_NE(folders_.setNewMail(host, profile_.c_str(), c.folder, 1), 0);
    EXPECT_EQ(foldertest::readFile(marker), "");
    EXPECT_TRUE(fileExists(marker));
    EXPECT_NE(folders_.hasNewMail(host, profile_.c_str(), c.folder), 0);
    // The members were told, and not asked: the marker answered.
    for (const qptest::MailDatabase* db : {&pop, &imap}) {
      EXPECT_EQ(callsSince(*db, told[db == &pop ? 0 : 1]),
                std::vector<std::string>{"SetFolderNewMailStatus"});
    }

    EXPECT_NE(folders_.setNewMail(host, profile_.c_str(), c.folder, 0), 0);
    EXPECT_FALSE(fileExists(marker));
    EXPECT_EQ(folders_.setNewMail(host, profile_.c_str(), c.folder, 0), 0) << "nothing to delete";
  }
}

TEST_F(Folders, WithoutAMarkerEveryMemberIsAskedAboutNewMail) {
  qptest::MailDatabase& pop = member(1, "POP3", {"Inbox", "Sent"});
  qptest::MailDatabase& imap = member(2, "IMAP", {"Inbox", "Sent"});
  // The IMAP member's own mark: its Inbox has new mail.
  foldertest::writeFile(folderDir(imap, "Inbox") + "\\NEWMAIL.FLG", "");
  const QPSESSION host = logIn(2);
  for (auto [folder, expected] : {std::make_pair("Inbox", 1), std::make_pair("Sent", 0)}) {
    SCOPED_TRACE(folder);
    const size_t asked[] = {journalLength(pop), journalLength(imap)};
    EXPECT_EQ(folders_.hasNewMail(host, profile_.c_str(), folder), expected);
    EXPECT_EQ(callsSince(pop, asked[0]), std::vector<std::string>{"DoesFolderHaveNewMail"});
    EXPECT_EQ(callsSince(imap, asked[1]), std::vector<std::string>{"DoesFolderHaveNewMail"});
  }
}

TEST_F(Folders, RulesDirectoryIsTheFirstThatHoldsRuleFilesElseTheUsersOwn) {
  qptest::MailDatabase& primary = member(1, "POP3");
  qptest::MailDatabase& other = member(2, "IMAP");
  const QPSESSION host = logIn(2);
  const std::string own = rulesDirectory() + "\\";
  const std::string primaryRules = primary.path() + "\\RULES\\";
  const std::string otherRules = other.path() + "\\RULES\\";
  struct Case {
    const char* name;
    std::vector<std::string> ruleFiles;  // made before the call
    std::string expected;
    bool primaryAsked;
  };
  const Case cases[] = {
      {"the user's own rules", {own + "RULE1.INI", primaryRules + "RULE2.INI"}, own, false},
      {"the primary member's rules",
       {primaryRules + "RULE7.INI", own + "OTHER.INI"},
       primaryRules,
       true},
      {"no rules anywhere: the user's directory is made", {}, own, true},
      {"only the primary member is asked", {otherRules + "RULE1.INI"}, own, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::error_code ignored;
    for (const std::string& dir : {own, primaryRules, otherRules})
      std::filesystem::remove_all(dir, ignored);
    for (const std::string& file : c.ruleFiles) {
      CreateDirectoryA(file.substr(0, file.rfind('\\')).c_str(), nullptr);
      foldertest::writeFile(file, "[Rule]\r\n");
    }
    const size_t before = journalLength(primary);
    char directory[MAX_PATH];
    std::memset(directory, '#', sizeof directory);
    EXPECT_NE(folders_.getRulesDir(host, profile_.c_str(), directory), 0);
    EXPECT_EQ(std::string(directory), c.expected);
    EXPECT_TRUE(isDirectory(c.expected));
    EXPECT_EQ(countOf(callsSince(primary, before), "GetRulesDir"), c.primaryAsked ? 1u : 0u);
    EXPECT_EQ(countOf(calls(other.journal()), "GetRulesDir"), 0u);
  }
}

}  // namespace
