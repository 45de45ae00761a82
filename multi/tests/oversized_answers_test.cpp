// Oversized host arguments and member answers of QPXMULTI: folder names, identifiers and
// attachment references far beyond any buffer; a message of a non-primary member with
// huge addresses and a long attachment name; long book names, a huge book line, a long
// full name, and addresses compared beyond their buffers. Texts come back whole or cut
// the documented way, none is lost, nothing is written past a buffer.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "hostapi/qpxcomm.h"
#include "multi/book_exports.h"
#include "multi/core/member_address.h"
#include "multi/folder_exports.h"
#include "multi/send_exports.h"
#include "multi/tests/oversized_fixture.h"

namespace {

using namespace oversizedtest;
using messagetest::putMessage;

// ---- Host arguments of a logged-in session -------------------------------------------------

TEST_F(Oversized, FolderNamesAndIdentifiersFarBeyondAnyBuffer) {
  qptest::MailDatabase& alice = addMember(1, "alice", "POP3");
  addMember(2, "bob", "IMAP");
  putMessage(alice, "Inbox", "00000001", messagetest::simpleMessage("a@example.com", "Hi"));
  const QPSESSION host = loggedIn();
  decltype(&::QPIDoesFolderHaveNewMail) hasNewMail = nullptr;
  decltype(&::QPISetFolderNewMailStatus) setNewMail = nullptr;
  decltype(&::QPIGetMailMessageFolderInfo) folderInfo = nullptr;
  membertest::bindExport(library_.get(), "QPIDoesFolderHaveNewMail", hasNewMail);
  membertest::bindExport(library_.get(), "QPISetFolderNewMailStatus", setNewMail);
  membertest::bindExport(library_.get(), "QPIGetMailMessageFolderInfo", folderInfo);

  // The marker path is built in 252 bytes below the user's directory: whatever the
  // folder name, a marker is made only under its whole name.
  for (size_t length : {size_t{200}, size_t{251}, size_t{252}, size_t{253}, kFarBeyond}) {
    SCOPED_TRACE("folder name of " + std::to_string(length));
    ++caseCount;
    const std::string folder = pattern(length);
    const int32_t made = setNewMail(host, profile_.c_str(), folder.c_str(), 1);
    EXPECT_EQ(hasNewMail(host, profile_.c_str(), folder.c_str()), made == 1 ? 1 : 0);
    EXPECT_EQ(hasNewMail(host, profile_.c_str(), folder.substr(0, 150).c_str()),
              length == 150 && made == 1 ? 1 : 0);  // never a marker under a cut name
    setNewMail(host, profile_.c_str(), folder.c_str(), 0);
    GuardedBuffer info(QP_TEXT_SMALL, true);
    int32_t count = -7;
    folderInfo(host, profile_.c_str(), folder.c_str(), &count, info.data());
    info.expectIntact();
  }
  // Identifiers and attachment references routed to a member, far beyond every buffer.
  for (const std::string& id :
       {"MULTI:1:" + pattern(kFarBeyond), "MULTI:" + pattern(kFarBeyond), pattern(kFarBeyond)}) {
    ++caseCount;
    EXPECT_EQ(messages_.deleteMessage(host, profile_.c_str(), 0, id.c_str()), 0);
    GuardedBuffer path(qpmulti::kAttachmentPathSize, true);
    GuardedBuffer extension(qpmulti::kExtensionBufferSize, true);
    int32_t temporary = -7;
    messages_.qualify(host, profile_.c_str(), id.c_str(), path.data(), extension.data(),
                      &temporary);
    path.expectIntact();
    extension.expectIntact();
  }
  // Slot numbers beyond every slot, also ones that wrap around 32 bits to slot 0: they
  // name no member, and alice's message stays.
  const std::string message = alice.path() + "\\Inbox\\00000001.MSG";
  for (const std::string& slot :
       {std::string("4294967296"), std::string("18446744073709551616"), std::string("50"),
        std::string(kFarBeyond, '0') + "1"}) {
    SCOPED_TRACE(slot.substr(0, 30));
    ++caseCount;
    const std::string id = "MULTI:" + slot + ":Inbox/00000001";
    EXPECT_EQ(messages_.deleteMessage(host, profile_.c_str(), 0, id.c_str()), 0);
    EXPECT_NE(GetFileAttributesA(message.c_str()), INVALID_FILE_ATTRIBUTES) << "deleted";
  }
}

// ---- Member answers --------------------------------------------------------------------------

// A message of a non-primary member with a huge From and To and an attachment of a long
// name: every address comes back typed (parts cut the documented way) or as the member
// wrote it, the others are untouched and none is lost; the reference is tagged whole.
TEST_F(Oversized, HugeAddressesAndLongAttachmentNamesOfAMember) {
  qptest::MailDatabase& alice = addMember(1, "alice", "POP3");
  qptest::MailDatabase& bob = addMember(2, "bob", "IMAP");
  const std::string attachmentName = pattern(300) + ".txt";
  struct Case {
    const char* what;
    std::string from;
    std::string hugeTo;
  };
  const Case cases[] = {
      {"bare 499", pattern(487) + "@example.com", pattern(499)},
      {"bare 500", pattern(488) + "@example.com", pattern(500)},
      {"bare 501", pattern(489) + "@example.com", pattern(501)},
      {"named far beyond", "\"" + pattern(kFarBeyond) + "\" <x@example.com>",
       "\"" + pattern(kFarBeyond / 2) + "\" <" + pattern(kFarBeyond / 2) + "@example.com>"},
  };
  struct Loaded {
    std::string address;
    std::vector<std::string> to, attachments;
  };
  const QPSESSION host = loggedIn();
  auto load = [&](const std::string& id) {
    PointerArray to(64), cc(64), attachments(8);
    GuardedBuffer address(qpmulti::kLoadAddressBufferSize, true);
    EXPECT_NE(messages_.load(host, profile_.c_str(), id.c_str(), 0, 0, to.data(), cc.data(),
                             address.data(), 0, 0, 0, 0, attachments.data(), 0, 0, 0, 0, 0, 0, 0),
              0);
    address.expectIntact();
    return Loaded{address.text(), to.texts(), attachments.texts()};
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ++caseCount;
    const std::string name = "0000000" + std::to_string(++n);
    const std::string text =
        "From: " + c.from + "\r\nTo: first@example.com, " + c.hugeTo +
        ", last@example.com\r\nSubject: big\r\nDate: Mon, 8 Jan 2024 09:00:00 +0000\r\n"
        "MIME-Version: 1.0\r\nContent-Type: multipart/mixed; boundary=b\r\n\r\n--b\r\n"
        "Content-Type: text/plain\r\n\r\nHello.\r\n--b\r\nContent-Type: text/plain\r\n"
        "Content-Disposition: attachment; filename=" +
        attachmentName + "\r\n\r\ndata\r\n--b--\r\n";
    // The primary member's copy shows what the member itself writes.
    putMessage(alice, "Inbox", name, text);
    putMessage(bob, "Inbox", name, text);
    const Loaded own = load("MULTI:0:Inbox/" + name);
    const Loaded typed = load("MULTI:1:Inbox/" + name);

    // The address buffer: typed, or left as the member wrote it when the typed form
    // does not fit.
    if (typed.address != own.address) {
      EXPECT_NE(typed.address.find("IMAP:"), std::string::npos) << typed.address.substr(0, 200);
    }
    ASSERT_EQ(own.to.size(), 3u);
    ASSERT_EQ(typed.to.size(), 3u) << "an address was lost";
    EXPECT_EQ(typed.to[0], "IMAP:first@example.com");
    EXPECT_EQ(typed.to[2], "IMAP:last@example.com");
    // The huge one: typed from its parts cut to their buffers.
    EXPECT_NE(typed.to[1].find("IMAP:"), std::string::npos) << typed.to[1].substr(0, 200);
    EXPECT_LT(typed.to[1].size(), qpmulti::kFullNameSize + qpmulti::kBareAddressSize + 16);
    ASSERT_EQ(own.attachments.size(), 1u);
    ASSERT_EQ(typed.attachments.size(), 1u);
    const std::string ownPrefix = "MULTI:0:POP3:";
    ASSERT_EQ(own.attachments[0].rfind(ownPrefix, 0), 0u) << own.attachments[0];
    EXPECT_EQ(typed.attachments[0], "MULTI:1:IMAP:" + own.attachments[0].substr(ownPrefix.size()));
    EXPECT_NE(typed.attachments[0].find(attachmentName), std::string::npos) << typed.attachments[0];
  }
}

// Book names, recipients and the identity as members answer them, and addresses far
// beyond every buffer handed to the comparison.
TEST_F(Oversized, BooksRecipientsAndIdentityOfMembers) {
  addMember(1, "alice", "POP3", "FullName=" + pattern(300) + "\r\n");
  qptest::MailDatabase& bob = addMember(2, "bob", "IMAP");
  // The longest book name the sample library opens (64), and one it only lists.
  const std::string bookName = pattern(64, 'B');
  const std::string listedName = pattern(180, 'L');
  const std::string hugeLine = pattern(kFarBeyond) + "@example.com";
  std::ofstream(bob.path() + "\\" + bookName + ".ABK", std::ios::binary)
      << "first@example.com\r\n"
      << hugeLine << "\r\nlast@example.com\r\n";
  std::ofstream(bob.path() + "\\" + listedName + ".ABK", std::ios::binary) << "x@example.com\r\n";
  const QPSESSION host = loggedIn();
  decltype(&::QPIBuildAddressBookList) bookList = nullptr;
  decltype(&::QPIBuildAvailableRecipsList) recips = nullptr;
  decltype(&::QPICompareAddress) compare = nullptr;
  membertest::bindExport(library_.get(), "QPIBuildAddressBookList", bookList);
  membertest::bindExport(library_.get(), "QPIBuildAvailableRecipsList", recips);
  membertest::bindExport(library_.get(), "QPICompareAddress", compare);

  // The identity: the member cuts its full name to its own 251 characters.
  ++caseCount;
  GuardedBuffer fullName(QP_TEXT_LARGE, true);
  EXPECT_EQ(multi_.getFullName(host, profile_.c_str(), fullName.data()), 1);
  fullName.expectIntact();
  EXPECT_EQ(fullName.text(), pattern(251));

  // Long book names come back whole behind the member's type.
  caseCount += 2;
  messagetest::HostList books;
  bookList(host, profile_.c_str(), books.data(), books.count());
  const auto names = books.texts();
  for (const std::string& name : {bookName, listedName}) {
    EXPECT_NE(std::find(names.begin(), names.end(), "IMAP:" + name), names.end())
        << names.size() << " books, the first " << (names.empty() ? "" : names[0]);
  }

  // Its recipients: none lost, the huge one typed from its parts cut to their buffers.
  ++caseCount;
  PointerArray list(64);
  recips(host, profile_.c_str(), ("IMAP:" + bookName).c_str(), list.data(), 0, 0, 0);
  const auto shown = list.texts();
  ASSERT_EQ(shown.size(), 3u);
  EXPECT_EQ(shown[0], "<IMAP:first@example.com>");
  EXPECT_EQ(shown[2], "<IMAP:last@example.com>");
  EXPECT_LT(shown[1].size(), 2 * qpmulti::kBareAddressSize) << shown[1].substr(0, 100);

  // Book names far beyond any buffer name no book.
  for (const std::string& book : {"IMAP:" + pattern(kFarBeyond), pattern(kFarBeyond)}) {
    ++caseCount;
    PointerArray none(8);
    recips(host, profile_.c_str(), book.c_str(), none.data(), 0, 0, 0);
    EXPECT_TRUE(none.texts().empty());
  }

  // Addresses that differ only behind the 500-byte buffers are not the same mailbox; a
  // bare address that does not fit is the same as no other (not even itself).
  struct Compared {
    std::string a, b;
    bool same;
  } const comparisons[] = {
      {pattern(487) + "@example.com", pattern(487) + "@EXAMPLE.com", true},
      {pattern(488) + "@example.com", pattern(488) + "@example.com", false},
      {hugeLine, hugeLine, false},
      {pattern(600) + "x@example.com", pattern(600) + "y@example.com", false},
      {pattern(kFarBeyond) + "x@example.com", pattern(kFarBeyond) + "y@example.com", false},
  };
  for (const Compared& c : comparisons) {
    SCOPED_TRACE(c.a.size());
    ++caseCount;
    EXPECT_EQ(compare(host, c.a.c_str(), c.b.c_str()) != 0, c.same);
  }
}

}  // namespace
