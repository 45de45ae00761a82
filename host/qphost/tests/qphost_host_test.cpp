// QPHOST.EXE's host commands, run as a child process on a real profile with two sample
// mail stores as members: a log-in from a script file with its member table, the same
// from standard input, and lines that fail without stopping the script.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include "host/qphost/tests/child_process.h"
#include "host/mailstore/tests/mail_database.h"
#include "multi/tests/net_user_areas.h"
#include "multi/tests/registry_fixture.h"

namespace {

using qphosttest::binPath;
using qphosttest::HostRun;
using qphosttest::inheritable;
using qphosttest::withoutCarriageReturns;

size_t count(const std::string& text, const std::string& part) {
  size_t n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

class QpHostSession : public ::testing::Test {
 protected:
  void SetUp() override {
    storetest::resetAreasForNetUser();
    profile_ = "qh" + std::to_string(GetCurrentProcessId());
    ASSERT_TRUE(qpmulti::WriteProfilePassword(profile_.c_str(), "s3cret"));
    ASSERT_TRUE(qpmulti::WriteProfileMember(profile_.c_str(), 1, "jane.pop", "POP3", "pop-pw",
                                            pop_.path().c_str()));
    ASSERT_TRUE(qpmulti::WriteProfileMember(profile_.c_str(), 3, "jane.imap", "IMAP", "imap-pw",
                                            imap_.path().c_str()));
  }
  void TearDown() override {
    storetest::deleteAreas();
    const std::string users = binPath("USERS\\") + profile_;
    DeleteFileA((users + "\\Signatur.QP").c_str());
    RemoveDirectoryA(users.c_str());
  }

  // Runs QPHOST with the arguments; standard input from `input` when given.
  HostRun run(const std::vector<std::string>& args, const std::string& input = "") {
    return qphosttest::runQpHost(dir_.path(), args, input);
  }

  std::string script(const std::string& text) {
    std::ofstream(dir_.file("script.txt"), std::ios::binary) << text;
    return dir_.file("script.txt");
  }

  storetest::TempDir dir_;
  std::string profile_;
  qptest::MailDatabase pop_{
      "[Account]\r\nUserName=jane.pop\r\nPassword=pop-pw\r\nFullName=Jane Doe\r\n"};
  qptest::MailDatabase imap_{
      "[Account]\r\nUserName=jane.imap\r\nPassword=imap-pw\r\nPollResult=4\r\n"};
};

TEST_F(QpHostSession, ScriptLogsInShowsTheMembersAndLogsOut) {
  const HostRun r = run({"host", script("# jane's log-in\r\n"
                                        "open " +
                                        profile_ +
                                        " S3CRET\r\n"
                                        "login\r\n"
                                        "init\r\n"
                                        "table\r\n"
                                        "name\r\n"
                                        "poll 4 9\r\n"
                                        "signature set \"Jane\\r\\n-- \\\"JD\\\"\"\r\n"
                                        "signature\r\n"
                                        "logout\r\n"
                                        "table\r\n"
                                        "close\r\n")});
  EXPECT_EQ(r.exitCode, 0u) << r.out << r.err;
  EXPECT_EQ(r.err, "");
  const std::string& o = r.out;
  // The echo masks the password of the open line.
  EXPECT_NE(o.find("> open " + profile_ + " ****\n"), std::string::npos) << o;
  EXPECT_EQ(o.find("S3CRET"), std::string::npos) << o;
  EXPECT_NE(o.find("QPIAuthenticateUser (flags 2): 2 member sessions, table in the host session."),
            std::string::npos)
      << o;
  // The table names each member's slot and Login number; IMAP sits in slot 1 as Login3.
  EXPECT_NE(o.find("Slot  Login  Session  User name             Type      Options"),
            std::string::npos)
      << o;
  EXPECT_NE(o.find("   0      1"), std::string::npos) << o;
  EXPECT_NE(o.find("jane.pop              POP3      0x00000A0C"), std::string::npos) << o;
  EXPECT_NE(o.find("   1      3"), std::string::npos) << o;
  EXPECT_NE(o.find("jane.imap             IMAP      0x00000A88"), std::string::npos) << o;
  EXPECT_NE(o.find("QPIGetFullName: 1 \"Jane Doe\""), std::string::npos) << o;
  EXPECT_NE(o.find("QPIForcePollForNewMail (flags 4, value 9): 4"), std::string::npos) << o;
  EXPECT_NE(o.find("Signature: \"Jane\\r\\n-- \\\"JD\\\"\""), std::string::npos) << o;
  EXPECT_EQ(count(o, "(ended)"), 2u) << o;
  EXPECT_EQ(storetest::readFile(pop_.path() + "\\SIGNATURE.TXT"), "Jane\r\n-- \"JD\"");
  for (const qptest::MailDatabase* db : {&pop_, &imap_})
    EXPECT_NE(db->journal().find("CleanUpAfterUser"), std::string::npos) << db->journal();
}

TEST_F(QpHostSession, StandardInputRunsOnPastLinesThatFail) {
  const HostRun r = run({"host", "-"},
                        "table\n"
                        "open " +
                            profile_ +
                            " s3cret\n"
                            "frobnicate\n"
                            "login \"unfinished\n"
                            "poll 4 many\n"
                            "LOGIN 2\n"
                            "table\n"
                            "logout\n");
  EXPECT_EQ(r.exitCode, 2u) << r.out << r.err;
  EXPECT_EQ(count(r.err, "QPHOST: "), 4u) << r.err;
  EXPECT_NE(r.err.find("table: no host session"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("unknown host command 'frobnicate'"), std::string::npos) << r.err;
  EXPECT_NE(r.out.find("2 member sessions, table in the host session."), std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("jane.imap"), std::string::npos) << r.out;
  EXPECT_EQ(count(pop_.journal(), "AuthenticateUser"), 1u) << pop_.journal();
  EXPECT_NE(pop_.journal().find("CleanUpAfterUser"), std::string::npos) << pop_.journal();
}

TEST_F(QpHostSession, WrongPasswordOrMissingScriptOpensNoMember) {
  HostRun r = run({"host", script("open " + profile_ + " wrong\nlogin 3\ntable\n")});
  EXPECT_EQ(r.exitCode, 0u) << r.err;
  EXPECT_NE(r.out.find("QPIAuthenticateUser (flags 3): 0 member sessions."), std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("No member table"), std::string::npos) << r.out;
  EXPECT_EQ(pop_.journal(), "");
  EXPECT_EQ(run({"host", "a", "b"}).exitCode, 2u);
  r = run({"host", dir_.file("missing.txt")});
  EXPECT_EQ(r.exitCode, 1u);
  EXPECT_NE(r.err.find("cannot open the script"), std::string::npos) << r.err;
}

TEST_F(QpHostSession, BookCommandsShowTypedBooksRecipientsAndEntries) {
  std::ofstream(pop_.path() + "\\Staff.ABK", std::ios::binary) << "Carl Eng <carl@example.com>\r\n";
  std::ofstream(imap_.path() + "\\Clients.ABK", std::ios::binary) << "Ann Lee <ann@example.com>\r\n";
  const HostRun r = run({"host", script("open " + profile_ + " s3cret\r\n"
                                        "login\r\n"
                                        "books\r\n"
                                        "recips imap:Clients\r\n"
                                        "findaddr example\r\n"
                                        "entry IMAP:Clients ann@example.com\r\n"
                                        "entry Staff nobody@example.com\r\n"
                                        "logout\r\n"
                                        "close\r\n")});
  EXPECT_EQ(r.exitCode, 0u) << r.out << r.err;
  const std::string& o = r.out;
  // The primary member's (POP3) names untyped, the IMAP member's typed.
  EXPECT_NE(o.find("QPIBuildAddressBookList: 2 (2 books)\n  \"Staff\"\n  \"IMAP:Clients\"\n"),
            std::string::npos)
      << o;
  EXPECT_NE(o.find("QPIBuildAvailableRecipsList \"imap:Clients\": 1\n"
                   "  \"Ann Lee <IMAP:ann@example.com>\"\n"),
            std::string::npos)
      << o;
  EXPECT_NE(o.find("QPISearchAddressBooks \"example\": 2\n  \"Carl Eng <carl@example.com>\"\n"
                   "  \"Ann Lee <IMAP:ann@example.com>\"\n"),
            std::string::npos)
      << o;
  EXPECT_NE(o.find("QPIGetPublicAddressBookEntry \"IMAP:Clients\" \"ann@example.com\": 1 "
                   "\"Ann Lee <IMAP:ann@example.com>\""),
            std::string::npos)
      << o;
  EXPECT_NE(o.find("QPIGetPublicAddressBookEntry \"Staff\" \"nobody@example.com\": 0 \"\""),
            std::string::npos)
      << o;
}

TEST_F(QpHostSession, SendingCommandsRouteValidateAndCompare) {
  const HostRun r = run({"host", script("open " + profile_ + " s3cret\r\n"
                                        "login\r\n"
                                        "send \"bob@x.org, IMAP:ann@y.org\" \"\" \"\" Hi Body\r\n"
                                        "validate \"Ann <IMAP:Ann@Y.org>, invalid@z.org, "
                                        "Bob@X.org\"\r\n"
                                        "compare IMAP:a@b.org POP3:a@b.org\r\n"
                                        "compare A@b.org a@B.org\r\n"
                                        "logout\r\n"
                                        "close\r\n")});
  EXPECT_EQ(r.exitCode, 0u) << r.out << r.err;
  const std::string& o = r.out;
  EXPECT_NE(o.find("QPISendMailMessage: 0\n"), std::string::npos) << o;
  // Each member spooled its own recipient, untyped.
  const std::string popSent = storetest::readFile(pop_.path() + "\\SPOOL\\SENT0001.EML");
  const std::string imapSent = storetest::readFile(imap_.path() + "\\SPOOL\\SENT0001.EML");
  EXPECT_NE(popSent.find("To: bob@x.org\r\n"), std::string::npos) << popSent;
  EXPECT_NE(popSent.find("Subject: Hi\r\n\r\nBody"), std::string::npos) << popSent;
  EXPECT_NE(imapSent.find("To: ann@y.org\r\n"), std::string::npos) << imapSent;
  EXPECT_NE(o.find("QPIValidateMessageRecipients: 0\nto:\n  \"bob@x.org\"\n"
                   "  \"Ann <IMAP:ann@y.org>\"\ncc:\nbcc:\n"),
            std::string::npos)
      << o;
  EXPECT_NE(o.find("QPICompareAddress \"IMAP:a@b.org\" \"POP3:a@b.org\": 0\n"),
            std::string::npos)
      << o;
  EXPECT_NE(o.find("QPICompareAddress \"A@b.org\" \"a@B.org\": 1\n"), std::string::npos) << o;
}

}  // namespace
