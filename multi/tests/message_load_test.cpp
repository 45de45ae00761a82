// Loading messages through QPXMULTI.DLL from real sample mail stores: addresses typed for
// members other than the primary one, the host's address buffer kept within its stated
// size, attachment references tagged while local files keep their paths, and attachment
// references turned back into local files by the member that holds them.
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "common/text.h"
#include "host/sess/tests/server_log.h"
#include "multi/tests/message_fixture.h"

namespace {

using messagetest::journalLines;
using messagetest::putMessage;
using Texts = std::vector<std::string>;

// A null-terminated array of 50,001 pointers as the host gives one; entries freed at the end.
class PointerArray {
 public:
  explicit PointerArray(size_t size) : entries_(size, nullptr) {}
  ~PointerArray() {
    for (char* entry : entries_) QPfree(entry);
  }
  PointerArray(const PointerArray&) = delete;
  PointerArray& operator=(const PointerArray&) = delete;
  void add(const std::string& text) {
    size_t i = 0;
    while (entries_[i] != nullptr) ++i;
    entries_[i] = static_cast<char*>(QPmalloc(static_cast<uint32_t>(text.size() + 1)));
    memcpy(entries_[i], text.c_str(), text.size() + 1);
  }
  char** data() { return entries_.data(); }
  Texts texts() const {
    Texts shown;
    for (size_t i = 0; i < entries_.size() && entries_[i] != nullptr; ++i)
      shown.push_back(entries_[i]);
    return shown;
  }

 private:
  std::vector<char*> entries_;
};

const char kPlans[] =
    "From: Jane Doe <jane@example.com>\r\n"
    "To: bob@example.com, \"Smith, Ann\" <ann@example.com>\r\n"
    "Cc: carl@example.com (Carl), \"dee@example.com\" <dee@example.com>\r\n"
    "Subject: Plans\r\n"
    "MIME-Version: 1.0\r\n"
    "Content-Type: multipart/mixed; boundary=b\r\n"
    "\r\n"
    "--b\r\n"
    "Content-Type: text/plain\r\n"
    "\r\n"
    "See the report.\r\n"
    "--b\r\n"
    "Content-Type: application/pdf\r\n"
    "Content-Disposition: attachment; filename=report.pdf\r\n"
    "Content-Transfer-Encoding: base64\r\n"
    "\r\n"
    "SGVsbG8sIHdvcmxkIQ==\r\n"
    "--b--\r\n";

class Loading : public messagetest::MessageTest {
 protected:
  struct Loaded {
    int32_t result = 0;
    std::string address;
    Texts to, cc, attachments;
  };

  // Loads `id` with the address buffer holding `address` beforehand and the attachment
  // list holding `firstAttachment` (when not empty).
  Loaded load(QPSESSION host, const char* id, const std::string& address = "",
              const std::string& firstAttachment = "") {
    PointerArray to(50001), cc(50001), attachments(201);
    if (!firstAttachment.empty()) attachments.add(firstAttachment);
    char buffer[qpmulti::kLoadAddressBufferSize];
    qp::copyText(buffer, address.c_str());
    Loaded loaded;
    loaded.result = messages_.load(host, profile_.c_str(), id, 0, 0, to.data(), cc.data(), buffer,
                                   0, 0, 0, 0, attachments.data(), 0, 0, 0, 0, 0, 0, 0);
    loaded.address = buffer;
    loaded.to = to.texts();
    loaded.cc = cc.texts();
    loaded.attachments = attachments.texts();
    return loaded;
  }

  static std::string localFile(const std::string& name, const std::string& bytes) {
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    const std::string path = std::string(temp) + name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }
  static std::string fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
};

TEST_F(Loading, AddressesOfOtherMembersAreTypedThoseOfThePrimaryStay) {
  qptest::MailDatabase& alice = addMember(1, "alice", "POP3");
  qptest::MailDatabase& bob = addMember(2, "bob", "IMAP");
  putMessage(alice, "Inbox", "00000001", kPlans);
  putMessage(bob, "Inbox", "00000001", kPlans);
  const QPSESSION host = loggedIn();
  struct Case {
    const char* id;
    const char* address;
    Texts to, cc;
  } cases[] = {
      {"MULTI:0:Inbox/00000001",
       "Jane Doe <jane@example.com>",
       {"bob@example.com", "\"Smith, Ann\" <ann@example.com>"},
       {"carl@example.com (Carl)", "\"dee@example.com\" <dee@example.com>"}},
      {"MULTI:1:Inbox/00000001",
       "Jane Doe <IMAP:jane@example.com>",
       {"IMAP:bob@example.com", "\"Smith, Ann\" <IMAP:ann@example.com>"},
       {"Carl <IMAP:carl@example.com>",
        "IMAP:dee@example.com"}},  // a name equal to the address goes
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id);
    const Loaded loaded = load(host, c.id);
    EXPECT_EQ(loaded.result, 1);
    EXPECT_EQ(loaded.address, c.address);
    EXPECT_EQ(loaded.to, c.to);
    EXPECT_EQ(loaded.cc, c.cc);
  }
  // The member received the identifier without its tag.
  EXPECT_EQ(journalLines(bob, "LoadMailMessage").size(), 1u);
  EXPECT_NE(journalLines(bob, "LoadMailMessage")[0].find(" \"Inbox/00000001\""), std::string::npos);
}

TEST_F(Loading, BlankSenderFromAnotherMemberBecomesThatMembersOwnAddress) {
  addMember(1, "alice", "POP3");
  qptest::MailDatabase& bob = addMember(
      2, "bob", "IMAP", "FullName=Bob Builder\r\nFullAddress=Bob Builder <bob@example.com>\r\n");
  qptest::MailDatabase& carol = addMember(3, "carol", "SMTP");  // no identity at all
  const std::string noSender = "Subject: note to self\r\n\r\nx\r\n";
  putMessage(bob, "Inbox", "00000001", noSender);
  putMessage(carol, "Inbox", "00000001", noSender);
  const QPSESSION host = loggedIn();
  EXPECT_EQ(load(host, "MULTI:1:Inbox/00000001", "stale").address,
            "Bob Builder <IMAP:bob@example.com>");
  // Nothing to type: the buffer stays as the member left it rather than "SMTP:".
  EXPECT_EQ(load(host, "MULTI:2:Inbox/00000001", "stale").address, "");
}

TEST_F(Loading, TypedAddressNeverPassesTheStatedBufferSize) {
  addMember(1, "alice", "POP3");
  qptest::MailDatabase& bob = addMember(2, "bob", "IMAP");
  const std::string name(100, 'N');
  // "<name> <IMAP:<bare>>" is 108 characters longer than the bare address.
  const std::string fits(391 - 12, 'b'), tooLong(392 - 12, 'b');
  putMessage(bob, "Inbox", "00000001", "From: " + name + " <" + fits + "@example.com>\r\n\r\n");
  putMessage(bob, "Inbox", "00000002", "From: " + name + " <" + tooLong + "@example.com>\r\n\r\n");
  const QPSESSION host = loggedIn();
  struct Case {
    const char* id;
    std::string expected;
  } cases[] = {
      {"MULTI:1:Inbox/00000001", name + " <IMAP:" + fits + "@example.com>"},
      {"MULTI:1:Inbox/00000002", name + " <" + tooLong + "@example.com>"}};  // left untyped
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id);
    char buffer[qpmulti::kLoadAddressBufferSize + 100];
    memset(buffer, 'Z', sizeof buffer);
    buffer[0] = '\0';
    ASSERT_EQ(messages_.load(host, "", c.id, 0, 0, nullptr, nullptr, buffer, 0, 0, 0, 0, nullptr, 0,
                             0, 0, 0, 0, 0, 0),
              1);
    EXPECT_EQ(std::string(buffer), c.expected);
    EXPECT_LE(c.expected.size(), qpmulti::kLoadAddressBufferSize - 1);
    EXPECT_EQ(std::string(buffer + qpmulti::kLoadAddressBufferSize, 100), std::string(100, 'Z'));
  }
}

TEST_F(Loading, LocalAttachmentsKeepTheirPathsReferencesAreTagged) {
  qptest::MailDatabase& alice = addMember(1, "alice", "POP3");
  qptest::MailDatabase& bob = addMember(2, "bob", "IMAP");
  putMessage(alice, "Inbox", "00000001", kPlans);
  putMessage(bob, "Inbox", "00000003", kPlans);
  const std::string local = localFile("qpmsg-local-" + profile_ + ".txt", "local");
  const QPSESSION host = loggedIn();
  EXPECT_EQ(load(host, "MULTI:0:Inbox/00000001", "", local).attachments,
            (Texts{local, "MULTI:0:POP3:Inbox/00000001/1/report.pdf"}));
  EXPECT_EQ(load(host, "MULTI:1:Inbox/00000003", "", local).attachments,
            (Texts{local, "MULTI:1:IMAP:Inbox/00000003/1/report.pdf"}));
  DeleteFileA(local.c_str());
}

TEST_F(Loading, AttachmentReferencesBecomeLocalFilesOfTheirMember) {
  addMember(1, "alice", "POP3");
  qptest::MailDatabase& bob = addMember(2, "bob", "IMAP");
  putMessage(bob, "Inbox", "00000003", kPlans);
  const std::string local = localFile("qpmsg-notes-" + profile_ + ".txt", "notes");
  const QPSESSION host = loggedIn();
  const QPSESSION noTable = openHost();
  struct Case {
    const char* what;
    QPSESSION host;
    std::string name;
    std::string memberGot;  // the reference bob received, "" for no call
    int32_t temporary;      // -7: not written
    std::string bytes;      // of the delivered file, "" for none
    std::string extension;
  } cases[] = {
      {"reference as loaded", host, "MULTI:1:IMAP:Inbox/00000003/1/report.pdf",
       "IMAP:Inbox/00000003/1/report.pdf", 1, "Hello, world!", "pdf"},
      {"reference without the type", host, "multi:1:Inbox/00000003/1", "IMAP:Inbox/00000003/1", 1,
       "Hello, world!", "pdf"},
      {"prefix repeated as filing builds it", host,
       "MULTI:MULTI:1:IMAP:Inbox/00000003/1/report.pdf/report.pdf",
       "IMAP:Inbox/00000003/1/report.pdf/report.pdf", 1, "Hello, world!", "pdf"},
      {"local file", host, local, "", 0, "notes", "txt"},
      {"tagged local file", host, "MULTI:1:" + local, "", 0, "notes", "txt"},
      {"untagged reference", host, "IMAP:Inbox/00000003/1", "", -7, "", ""},
      {"empty slot", host, "MULTI:5:IMAP:Inbox/00000003/1", "", -7, "", ""},
      {"no table", noTable, "MULTI:1:IMAP:Inbox/00000003/1", "", -7, "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const size_t callsBefore = journalLines(bob, "QualifyAttachmentName").size();
    qptest::DebugLogWatch log;
    char path[qpmulti::kAttachmentPathSize] = "poison";
    char extension[qpmulti::kExtensionBufferSize] = "poison";
    int32_t temporary = -7;
    messages_.qualify(c.host, "", c.name.c_str(), path, extension, &temporary);
    EXPECT_NE(log.appended().find("Qualifying attachment " + c.name), std::string::npos);
    EXPECT_EQ(temporary, c.temporary);
    EXPECT_EQ(std::string(extension), c.extension);
    const Texts calls = journalLines(bob, "QualifyAttachmentName");
    if (c.memberGot.empty()) {
      EXPECT_EQ(calls.size(), callsBefore);
    } else {
      ASSERT_EQ(calls.size(), callsBefore + 1);
      EXPECT_NE(calls.back().find(" \"" + c.memberGot + "\""), std::string::npos) << calls.back();
    }
    if (c.bytes.empty()) {
      EXPECT_STREQ(path, "poison");
      continue;
    }
    EXPECT_EQ(fileBytes(path), c.bytes) << path;
    if (c.temporary == 0) {
      EXPECT_EQ(std::string(path), local);
    } else {
      EXPECT_TRUE(DeleteFileA(path)) << path;
    }
  }
  DeleteFileA(local.c_str());
}

// Under allocation failures each address and attachment entry is typed (tagged) or left
// exactly as the member wrote it, and no block leaks.
TEST_F(Loading, FailedAllocationsLeaveEntriesAsTheMemberWroteThem) {
  addMember(1, "alice", "POP3");
  qptest::MailDatabase& bob = addMember(2, "bob", "IMAP");
  putMessage(bob, "Inbox", "00000001", kPlans);
  const QPSESSION host = loggedIn();
  const Loaded whole = load(host, "MULTI:1:Inbox/00000001");
  const Texts plainTo = {"bob@example.com", "\"Smith, Ann\" <ann@example.com>"};
  const Texts plainAttachment = {"IMAP:Inbox/00000001/1/report.pdf"};
  size_t leftPlain = 0;
  for (int32_t n = 1; n <= 10; ++n) {
    SCOPED_TRACE("allocation " + std::to_string(n) + " fails");
    const int32_t blocks = QPGetLiveBlockCount();
    QPSetAllocFailure(n);
    const Loaded loaded = load(host, "MULTI:1:Inbox/00000001");
    QPSetAllocFailure(0);
    EXPECT_EQ(QPGetLiveBlockCount(), blocks);
    for (size_t i = 0; i < loaded.to.size() && i < whole.to.size(); ++i) {
      EXPECT_TRUE(loaded.to[i] == whole.to[i] || loaded.to[i] == plainTo[i]) << loaded.to[i];
      leftPlain += loaded.to[i] == plainTo[i];
    }
    for (size_t i = 0; i < loaded.attachments.size(); ++i) {
      EXPECT_TRUE(loaded.attachments[i] == whole.attachments[i] ||
                  loaded.attachments[i] == plainAttachment[i])
          << loaded.attachments[i];
      leftPlain += loaded.attachments[i] == plainAttachment[i];
    }
  }
  EXPECT_GE(leftPlain, 2u) << "no failure ever hit the typing or tagging";
}

}  // namespace
