// Outgoing mail of QPXMULTI.DLL over sample mail stores of different types: which member
// sends whom (each send is a file in the member's SPOOL folder), the merged result,
// attachments, validation and address comparison.
#include <windows.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "multi/tests/message_fixture.h"

namespace {

using messagetest::HostList;

using SendFn = int32_t(QPAPI*)(QPSESSION, const char*, const char*, const char*, const char*,
                               intptr_t, intptr_t, intptr_t, const char*, const char*, const char*,
                               intptr_t, intptr_t, intptr_t, intptr_t, intptr_t);
using ValidateFn = int32_t(QPAPI*)(QPSESSION, const char*, char**, char**, char**, intptr_t);
using CompareFn = int32_t(QPAPI*)(QPSESSION, const char*, const char*);

// The spool files of a member's mail database, in order, each file's text.
std::vector<std::string> spool(const qptest::MailDatabase& db) {
  std::vector<std::string> files;
  for (unsigned n = 1;; ++n) {
    char name[32];
    std::snprintf(name, sizeof name, "\\SPOOL\\SENT%04u.EML", n);
    std::ifstream in(db.path() + name, std::ios::binary);
    if (!in) return files;
    files.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
}

// The header lines of a spool file ("To: ..." and so on), without the body.
std::vector<std::string> headers(const std::string& file) {
  std::vector<std::string> out;
  size_t pos = 0;
  while (pos < file.size()) {
    size_t end = file.find("\r\n", pos);
    if (end == std::string::npos || end == pos) break;
    out.push_back(file.substr(pos, end - pos));
    pos = end + 2;
  }
  return out;
}

class SendTest : public messagetest::MessageTest {
 protected:
  void SetUp() override {
    MessageTest::SetUp();
    if (HasFatalFailure()) return;
    HMODULE m = library_.get();
    membertest::bindExport(m, "QPISendMailMessage", send_);
    membertest::bindExport(m, "QPIValidateMessageRecipients", validate_);
    membertest::bindExport(m, "QPICompareAddress", compare_);
  }

  // Primary POP3, SMTP, IMAP twice; each account answers a send with `results[i]`.
  void addMembers(const char* internet, const std::vector<int>& results = {0, 0, 0, 0}) {
    const char* types[] = {"POP3", "SMTP", "IMAP", "IMAP"};
    const char* users[] = {"pop", "smtp", "imap1", "imap2"};
    const char* addresses[] = {"pop@y.org", "smtp@y.org", "carl@x.org", "imap2@x.org"};
    for (unsigned i = 0; i < 4; ++i) {
      std::string more = "FullAddress=" + std::string(addresses[i]) +
                         "\r\nSendResult=" + std::to_string(results[i]) + "\r\n";
      dbs_.push_back(&addMember(i + 1, users[i], types[i], more));
    }
    ASSERT_TRUE(qpmulti::WriteInternetInterface(profile_.c_str(), internet) || !*internet);
  }

  int32_t sendTo(QPSESSION host, const char* to, const char* cc = "", const char* files = "",
                 const char* names = "") {
    return send_(host, profile_.c_str(), to, cc, "", 0, 0, 0, "Hello\r\nthere", files, names, 0, 0,
                 0, 0, 0);
  }

  void expectPrimaryTakesInternet(const std::string& internet);

  std::vector<qptest::MailDatabase*> dbs_;
  SendFn send_ = nullptr;
  ValidateFn validate_ = nullptr;
  CompareFn compare_ = nullptr;
};

TEST_F(SendTest, EachMemberSendsItsOwnRecipientsUntyped) {
  addMembers("smtp");
  const QPSESSION host = loggedIn();
  EXPECT_EQ(sendTo(host,
                   "Jane Doe <jane@example.com>, bob@local, IMAP:carl@x.org, "
                   "box{a.b}@x{y}.z, Al <imap:al@x.org>",
                   "POP3:dora@y.org, X400:c=de"),
            0);
  using Lines = std::vector<std::string>;
  auto first = [&](size_t member) {
    Lines files = spool(*dbs_[member]);
    return files.empty() ? Lines{} : headers(files[0]);
  };
  EXPECT_EQ(first(1), (Lines{"X-Sent-By: smtp", "To: Jane Doe <jane@example.com>", "Cc:", "Bcc:"}));
  EXPECT_EQ(first(2), (Lines{"X-Sent-By: imap1", "To: carl@x.org, Al <al@x.org>", "Cc:", "Bcc:"}));
  EXPECT_TRUE(spool(*dbs_[3]).empty()) << "the higher IMAP slot sent";
  EXPECT_EQ(first(0), (Lines{"X-Sent-By: pop", "To: bob@local, box{a.b}@x{y}.z",
                             "Cc: dora@y.org, \"X400:c=de\"", "Bcc:"}));
  for (size_t i = 0; i < 3; ++i) EXPECT_EQ(spool(*dbs_[i]).size(), 1u);
  EXPECT_NE(spool(*dbs_[0])[0].find("\r\n\r\nHello\r\nthere\r\n"), std::string::npos);
}

// Internet recipients go to the primary member when the profile names no usable
// Internet member.
void SendTest::expectPrimaryTakesInternet(const std::string& internet) {
  addMembers(internet.c_str());
  const QPSESSION host = loggedIn();
  EXPECT_EQ(sendTo(host, "jane@example.com"), 0);
  ASSERT_EQ(spool(*dbs_[0]).size(), 1u);
  EXPECT_EQ(headers(spool(*dbs_[0])[0])[1], "To: jane@example.com");
  EXPECT_TRUE(spool(*dbs_[1]).empty());
}

TEST_F(SendTest, EmptyInternetInterfaceMeansThePrimary) { expectPrimaryTakesInternet(""); }
TEST_F(SendTest, NoInterfaceEntryMeansThePrimary) {
  expectPrimaryTakesInternet(GetString(3615, 150));
}
TEST_F(SendTest, InternetTypeOfNoMemberMeansThePrimary) { expectPrimaryTakesInternet("X400"); }

TEST_F(SendTest, ResultIsTheGreatestOfTheMembersCalled) {
  addMembers("SMTP", {-1, 0, 2, 5});
  const QPSESSION host = loggedIn();
  EXPECT_EQ(sendTo(host, "a@b.org, IMAP:c@d.org, plain"), 2);
  EXPECT_EQ(sendTo(host, "a@b.org"), 0);  // only the Internet member: the primary not called
  EXPECT_EQ(spool(*dbs_[0]).size(), 1u);
  EXPECT_EQ(sendTo(host, ""), -1);
  for (size_t i = 0; i < 4; ++i)
    EXPECT_EQ(spool(*dbs_[i]).size(), i == 0 ? 1u : i == 1 ? 2u : i == 2 ? 1u : 0u);
}

TEST_F(SendTest, LocalAttachmentsPassUnchanged) {
  addMembers("SMTP");
  const QPSESSION host = loggedIn();
  const std::string local = dbs_[0]->path() + "\\note.txt";
  std::ofstream(local) << "note";
  EXPECT_EQ(sendTo(host, "a@b.org", "", local.c_str(), "note.txt"), 0);
  ASSERT_EQ(spool(*dbs_[1]).size(), 1u);
  EXPECT_NE(spool(*dbs_[1])[0].find("X-Attachment: " + local + " | note.txt"), std::string::npos);
  EXPECT_NE(GetFileAttributesA(local.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(SendTest, ValidationReturnsPrimaryThenTypedOthers) {
  addMembers("SMTP");
  const QPSESSION host = loggedIn();
  HostList a1, a2, a3;
  a1.add("Jane <JANE@Example.com>");
  a1.add("invalid@x.org");
  a1.add("Bob@Local");
  a2.add("IMAP:Carl@X.org");
  a2.add("POP3:Dora");
  validate_(host, profile_.c_str(), a1.data(), a2.data(), a3.data(), 0);
  auto texts = [](HostList& list) {
    std::vector<std::string> out;
    for (size_t i = 0; list.data()[i] != nullptr; ++i) out.push_back(list.data()[i]);
    return out;
  };
  using Lines = std::vector<std::string>;
  EXPECT_EQ(texts(a1), (Lines{"bob@local", "Jane <SMTP:jane@example.com>"}));
  EXPECT_EQ(texts(a2), (Lines{"dora", "IMAP:carl@x.org"}));
  EXPECT_TRUE(texts(a3).empty());
}

TEST_F(SendTest, CompareAddressByRecognisedType) {
  addMembers("SMTP");
  const QPSESSION host = loggedIn();
  struct Case {
    const char* first;
    const char* second;
    int32_t same;
  } cases[] = {
      {"SMTP:a@x.org", "IMAP:a@x.org", 0},
      {"A@X.org", "Joe <a@x.org>", 1},
      {"A@X.org", "b@x.org", 0},
      {"NW:a", "NW:a", 0},
      {"imap:a@x.org", "IMAP:A@x.org", 1},
      {"Me <IMAP:carl@x.org>", "POP@y.org", 1},
      {"IMAP:carl@x.org", "carl@x.org", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.first) + " / " + c.second);
    EXPECT_EQ(compare_(host, c.first, c.second) != 0, c.same != 0);
  }
}

}  // namespace

namespace {

// Without the working arrays nothing is sent and the host's arrays stay as they were.
TEST_F(SendTest, NoMemoryForTheWorkingArraysFailsBeforeAnyMember) {
  addMembers("SMTP");
  const QPSESSION host = loggedIn();
  QPSetAllocFailure(1);
  EXPECT_EQ(sendTo(host, "a@b.org, plain"), -1);
  QPSetAllocFailure(0);
  for (qptest::MailDatabase* db : dbs_) EXPECT_TRUE(spool(*db).empty());

  HostList a1, a2, a3;
  a1.add("a@b.org");
  QPSetAllocFailure(1);
  EXPECT_EQ(validate_(host, profile_.c_str(), a1.data(), a2.data(), a3.data(), 0), 1);
  QPSetAllocFailure(0);
  EXPECT_STREQ(a1.data()[0], "a@b.org");
}

// A host session whose mailbox type has no interface library: the attachment that is
// no local file reaches the member as it was.
TEST_F(SendTest, AttachmentWithoutQualifyingLibraryStaysAsItWas) {
  addMembers("SMTP");
  const QPSESSION host = QPOpenSession(profile_.c_str(), "", "", "NOSUCH", nullptr, nullptr);
  ASSERT_NE(host, QP_NO_SESSION);
  hosts_.push_back(host);
  multi_.initUser(host, profile_.c_str());
  ASSERT_FALSE(table(host).empty());
  EXPECT_EQ(sendTo(host, "a@b.org", "", "MULTI:1:42/file.bin", "file.bin"), 0);
  ASSERT_EQ(spool(*dbs_[1]).size(), 1u);
  EXPECT_NE(spool(*dbs_[1])[0].find("X-Attachment: MULTI:1:42/file.bin | file.bin"),
            std::string::npos);
}

}  // namespace

namespace {

const char kWithReport[] =
    "From: Jane Doe <jane@example.com>\r\n"
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

std::string attachmentPath(const std::string& spoolFile) {
  const std::string tag = "X-Attachment: ";
  const size_t at = spoolFile.find(tag);
  if (at == std::string::npos) return "";
  return spoolFile.substr(at + tag.size(), spoolFile.find(" | ", at) - at - tag.size());
}

// A member's attachment as a loaded message names it: qualified through QPXMULTI.DLL (the
// host session's own library) into one temporary copy that both members send and that is
// deleted once afterwards.
TEST_F(SendTest, QualifiedAttachmentIsSentByAllAndDeletedAfterwards) {
  addMembers("SMTP");
  messagetest::putMessage(*dbs_[2], "Inbox", "00000003", kWithReport);
  const QPSESSION host = loggedIn();
  EXPECT_EQ(sendTo(host, "a@b.org, IMAP:c@d.org", "", "MULTI:2:IMAP:Inbox/00000003/1/report.pdf",
                   "report.pdf"),
            0);
  ASSERT_EQ(spool(*dbs_[1]).size(), 1u);
  ASSERT_EQ(spool(*dbs_[2]).size(), 1u);
  const std::string path = attachmentPath(spool(*dbs_[1])[0]);
  EXPECT_NE(path.find("report"), std::string::npos) << path;
  EXPECT_EQ(attachmentPath(spool(*dbs_[2])[0]), path);
  EXPECT_EQ(GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES) << path;
}

}  // namespace
