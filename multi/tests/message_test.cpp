// The message lists of QPXMULTI.DLL over real sample mail stores: the merged and tagged
// index, the index poll, the search and its removal of repeats, and the operations on one
// message routed by its MULTI tag. Journals show which member received what.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "host/mailstore/message_view.h"
#include "host/mailstore/rfc822.h"
#include "multi/tests/message_fixture.h"

namespace {

using messagetest::HostList;
using messagetest::journalLines;
using messagetest::putMessage;
using messagetest::simpleMessage;
using Texts = std::vector<std::string>;

// The text part the sample mail store shows for a message.
std::string shown(const std::string& message, unsigned flags = 0) {
  return qp::mailstore::indexText(qp::mailstore::parseMessage(message), flags);
}

class Messages : public messagetest::MessageTest {};

TEST_F(Messages, IndexTagsEachMembersEntriesAndAsksARepeatedAccountOnce) {
  const std::string lunch = simpleMessage("Jane Doe <jane@example.com>", "Lunch");
  const std::string report = simpleMessage("ann@example.com", "Report");
  const std::string draft = simpleMessage("bob@example.com", "Unfinished");
  qptest::MailDatabase& alice = addMember(1, "alice", "POP3");
  qptest::MailDatabase& bob = addMember(2, "bob", "IMAP");
  addSameAccount(3, "ALICE", "pop3", "pw-alice", alice);  // letter case aside the same account
  putMessage(alice, "Inbox", "00000001", lunch);
  putMessage(alice, "Inbox", "00000002", report, 0x1);
  putMessage(bob, "Inbox", "00000001", report);
  putMessage(bob, "Inbox", "00000002", draft, 0x8);
  std::ofstream(bob.path() + "\\Inbox\\NOTICE.TXT") << "Mailbox almost full\r\n";
  const QPSESSION host = loggedIn();
  HostList list;
  list.add("kept as it was|Inbox/00000009");

  // Bob appended three entries, Alice two: the greater count is the result.
  EXPECT_EQ(buildIndex(host, list), 3);
  EXPECT_EQ(list.texts(),
            (Texts{"kept as it was|Inbox/00000009", shown(lunch) + "|MULTI:0:Inbox/00000001",
                   shown(report, 0x1) + "|MULTI:0:Inbox/00000002",
                   "Mailbox almost full",  // no separator: nothing to tag
                   shown(report) + "|MULTI:1:Inbox/00000001",
                   shown(draft, 0x8) + "|DFT:Inbox/00000002"}));
  EXPECT_EQ(journalLines(alice, "BuildMailMessageIndex").size(), 1u) << alice.journal();
  EXPECT_EQ(journalLines(bob, "BuildMailMessageIndex").size(), 1u);
}

TEST_F(Messages, IndexWithoutTableOrMembersOrFolderGivesMinusOne) {
  qptest::MailDatabase& alice = addMember(1, "alice", "POP3");
  putMessage(alice, "Inbox", "00000001", simpleMessage("a@b", "x"));
  const QPSESSION noTable = openHost();
  const QPSESSION emptyTable = openHost();
  auto* slots = static_cast<QPSESSION*>(QPmalloc(200));
  for (unsigned i = 0; i < qpmulti::kMemberSlots; ++i) slots[i] = -1;
  *GetUserData(emptyTable, 0, nullptr) = slots;  // freed by the fixture
  const QPSESSION withMember = loggedIn();
  struct Case {
    const char* what;
    QPSESSION host;
    const char* folder;
  } cases[] = {{"no table", noTable, "Inbox"},
               {"no member in the table", emptyTable, "Inbox"},
               {"folder no member has", withMember, "Archive"},
               {"folder name leaving the database", withMember, "..\\Inbox"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    HostList list;
    list.add("before|x");
    EXPECT_EQ(buildIndex(c.host, list, c.folder), -1);
    EXPECT_EQ(list.texts(), (Texts{"before|x"}));
  }
}

TEST_F(Messages, IndexPollStopsAtTheFirstMemberWhoseIndexChanged) {
  qptest::MailDatabase* dbs[3] = {&addMember(1, "alice", "POP3"), &addMember(2, "bob", "IMAP"),
                                  &addMember(3, "carol", "SMTP")};
  for (qptest::MailDatabase* db : dbs)
    putMessage(*db, "Inbox", "00000001", simpleMessage("a@b", "x"));
  const QPSESSION host = loggedIn();
  HostList list(16);
  buildIndex(host, list);
  auto poll = [&] {
    return messages_.checkIndexUpdated(host, profile_.c_str(), reinterpret_cast<intptr_t>("Inbox"),
                                       0, 0, 0, 0);
  };
  EXPECT_EQ(poll(), 0);  // nothing changed since the index: every member asked
  for (qptest::MailDatabase* db : dbs)
    EXPECT_EQ(journalLines(*db, "CheckMessageIndexUpdated").size(), 1u);

  putMessage(*dbs[1], "Inbox", "00000002", simpleMessage("new@b", "new mail"));
  EXPECT_EQ(poll(), 2);
  EXPECT_EQ(journalLines(*dbs[0], "CheckMessageIndexUpdated").size(), 2u);
  EXPECT_EQ(journalLines(*dbs[1], "CheckMessageIndexUpdated").size(), 2u);
  EXPECT_EQ(journalLines(*dbs[2], "CheckMessageIndexUpdated").size(), 1u) << "asked after a 2";

  const QPSESSION noTable = openHost();
  EXPECT_EQ(messages_.checkIndexUpdated(noTable, "", 0, 0, 0, 0, 0), -1);
}

TEST_F(Messages, SearchTagsEveryCopyAndRemovesRepeatsOverTheWholeList) {
  const std::string lunch = simpleMessage("Jane Doe <jane@example.com>", "Lunch on Friday");
  const std::string other = simpleMessage("ann@example.com", "Report");
  const std::string draft = simpleMessage("bob@example.com", "lunch menu draft");
  qptest::MailDatabase& alice = addMember(1, "alice", "POP3");
  qptest::MailDatabase& bob = addMember(2, "bob", "IMAP");
  addSameAccount(3, "alice", "POP3", "pw-alice", alice);
  putMessage(alice, "Inbox", "00000001", lunch);
  putMessage(alice, "Inbox", "00000002", other);
  putMessage(bob, "Drafts", "00000001", draft, 0x8);
  const QPSESSION host = loggedIn();
  HostList list;
  list.add("no separator");
  list.add("empty segment||removes nothing");  // a segment-less entry matched everything once

  const std::vector<std::string> expected = {
      "no separator",
      "empty segment||removes nothing",
      shown(lunch) + "|MULTI:0:Inbox/00000001|Inbox",
      shown(draft, 0x8) + "|MULTI:1:DFT:Drafts/00000001|Drafts",  // drafts are tagged here
      shown(lunch) + "|MULTI:2:Inbox/00000001|Inbox",             // the account asked again
  };
  EXPECT_EQ(search(host, list, "LUNCH"), 5);
  EXPECT_EQ(list.texts(), expected);
  // The same search again into the same list: every new entry repeats an old one.
  EXPECT_EQ(search(host, list, "lunch"), 5);
  EXPECT_EQ(list.texts(), expected);
  EXPECT_TRUE(list.nullAfterCount());
  EXPECT_EQ(journalLines(alice, "DoMessageSearchFolder").size(), 4u);

  const QPSESSION noTable = openHost();
  EXPECT_EQ(search(noTable, list, "lunch"), 0);
}

TEST_F(Messages, SingleMessageOperationsReachTheTaggedMemberWithoutTheTag) {
  qptest::MailDatabase& alice = addMember(1, "alice", "POP3");
  qptest::MailDatabase& bob = addMember(2, "bob", "IMAP");
  const std::string text = simpleMessage("a@b", "x");
  putMessage(alice, "Inbox", "00000001", text);
  putMessage(bob, "Inbox", "00000001", text);
  putMessage(bob, "Inbox", "00000002", text);
  const QPSESSION host = loggedIn();
  const QPSESSION memberBob = table(host)[1];
  const std::string bobName = "\"bob\"";

  EXPECT_EQ(messages_.updateStatus(host, "", 0, 0, "multi:1:Inbox/00000001", 0x5, 0x0, 0, 0), 1);
  EXPECT_EQ(journalLines(bob, "UpdateMailMessageStatus"),
            (Texts{"UpdateMailMessageStatus " + std::to_string(memberBob) + " " + bobName +
                   " \"Inbox/00000001\" 5 0"}));
  EXPECT_NE(storetest::readFile(bob.path() + "\\Inbox\\FOLDER.DAT").find("status.00000001=0x5"),
            std::string::npos);

  const int32_t handle = messages_.openFile(host, "", "MULTI:1:Inbox/00000002");
  ASSERT_NE(handle, -1);
  {
    qp::UniqueFile file(LongToHandle(handle));
    char bytes[256] = "";
    DWORD got = 0;
    ReadFile(file.get(), bytes, sizeof bytes - 1, &got, nullptr);
    EXPECT_EQ(std::string(bytes, got), text);
  }

  EXPECT_EQ(messages_.deleteMessage(host, "", 7, "MULTI:1:Inbox/00000002"), 1);
  EXPECT_EQ(journalLines(bob, "DeleteMailMessage"),
            (Texts{"DeleteMailMessage " + std::to_string(memberBob) + " " + bobName +
                   " 7 \"Inbox/00000002\""}));
  EXPECT_EQ(GetFileAttributesA((bob.path() + "\\Inbox\\00000002.MSG").c_str()),
            INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(journalLines(alice, "DeleteMailMessage").empty());
}

TEST_F(Messages, UntaggedIdentifiersCallNoMember) {
  qptest::MailDatabase& alice = addMember(1, "alice", "POP3");
  qptest::MailDatabase& bob = addMember(2, "bob", "IMAP");
  putMessage(alice, "Inbox", "00000001", simpleMessage("a@b", "x"));
  const QPSESSION host = loggedIn();
  const QPSESSION noTable = openHost();
  struct Case {
    QPSESSION host;
    const char* id;
  } cases[] = {
      {host, "Inbox/00000001"},           {host, "MULTI:2:Inbox/00000001"},  // empty slot
      {host, "MULTI:77:Inbox/00000001"},  {host, "MULT:0:Inbox/00000001"},  {host, nullptr},
      {noTable, "MULTI:0:Inbox/00000001"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id ? c.id : "(null)");
    char address[qpmulti::kLoadAddressBufferSize] = "untouched";
    EXPECT_EQ(messages_.load(c.host, "", c.id, 0, 0, nullptr, nullptr, address, 0, 0, 0, 0, nullptr,
                             0, 0, 0, 0, 0, 0, 0),
              0);
    EXPECT_STREQ(address, "untouched");
    EXPECT_EQ(messages_.updateStatus(c.host, "", 0, 0, c.id, 1, 0, 0, 0), 0);
    EXPECT_EQ(messages_.deleteMessage(c.host, "", 0, c.id), 0);
    EXPECT_EQ(messages_.openFile(c.host, "", c.id), -1);
  }
  for (const char* operation : {"LoadMailMessage", "UpdateMailMessageStatus", "DeleteMailMessage",
                                "OpenRFC822MessageFile"}) {
    EXPECT_TRUE(journalLines(alice, operation).empty()) << operation;
    EXPECT_TRUE(journalLines(bob, operation).empty()) << operation;
  }
}

// Under allocation failures every entry is either tagged or exactly as the member wrote
// it, none is lost once appended, and no block leaks.
TEST_F(Messages, FailedAllocationsLeaveEntriesAsTheMemberWroteThem) {
  const std::string lunch = simpleMessage("Jane Doe <jane@example.com>", "Lunch");
  qptest::MailDatabase& alice = addMember(1, "alice", "POP3");
  qptest::MailDatabase& bob = addMember(2, "bob", "IMAP");
  putMessage(alice, "Inbox", "00000001", lunch);
  putMessage(bob, "Inbox", "00000001", lunch);
  putMessage(bob, "Inbox", "00000002", lunch);
  const QPSESSION host = loggedIn();
  const std::vector<std::string> tagged = {shown(lunch) + "|MULTI:0:Inbox/00000001",
                                           shown(lunch) + "|MULTI:1:Inbox/00000001",
                                           shown(lunch) + "|MULTI:1:Inbox/00000002"};
  size_t untaggedSeen = 0;
  for (int32_t n = 1; n <= 8; ++n) {
    SCOPED_TRACE("allocation " + std::to_string(n) + " fails");
    const int32_t blocks = QPGetLiveBlockCount();
    {
      HostList list;
      QPSetAllocFailure(n);
      buildIndex(host, list);
      QPSetAllocFailure(0);
      // Whatever a member could append keeps its place; each entry is tagged or plain.
      size_t next = 0;
      for (const std::string& entry : list.texts()) {
        while (next < tagged.size() && entry != tagged[next] &&
               entry != shown(lunch) + "|" + tagged[next].substr(tagged[next].find("Inbox/")))
          ++next;
        ASSERT_LT(next, tagged.size()) << "unexpected entry " << entry;
        if (entry != tagged[next]) ++untaggedSeen;
        ++next;
      }
    }
    EXPECT_EQ(QPGetLiveBlockCount(), blocks);
  }
  EXPECT_GE(untaggedSeen, 1u) << "no failure ever hit the tagging";
}

}  // namespace
