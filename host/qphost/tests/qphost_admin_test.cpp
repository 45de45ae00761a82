// QPHOST.EXE's administration commands, run as a child process: profile import (refusals
// name the line and write nothing; export then import gives the same registry; progress
// on many profiles), profile test against sample mail stores, doctor on a broken and a
// sound set-up, and the host mode's help and quit from a file (not a console).
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "dialup/settings_store.h"
#include "host/mailstore/tests/mail_database.h"
#include "host/qphost/tests/child_process.h"
#include "multi/tests/net_user_areas.h"
#include "multi/tests/registry_fixture.h"

using namespace storetest;

namespace {

using qphosttest::binPath;
using qphosttest::HostRun;
using qphosttest::inheritable;
using qphosttest::withoutCarriageReturns;

bool has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// Every key below `path` with its values (name, type, bytes), for comparing whole areas.
using Snapshot = std::map<std::string, std::string>;

void snapshot(const std::string& path, Snapshot& out) {
  qp::UniqueHKey key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS)
    return;
  out[path] = "(key)";
  for (DWORD i = 0;; ++i) {
    char name[256];
    BYTE data[2048];
    DWORD nameSize = sizeof name, dataSize = sizeof data, type = 0;
    if (RegEnumValueA(key.get(), i, name, &nameSize, nullptr, &type, data, &dataSize) !=
        ERROR_SUCCESS)
      break;
    out[path + "|" + name] =
        std::to_string(type) + ":" + std::string(reinterpret_cast<char*>(data), dataSize);
  }
  for (DWORD i = 0;; ++i) {
    char name[256];
    DWORD nameSize = sizeof name;
    if (RegEnumKeyExA(key.get(), i, name, &nameSize, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS)
      break;
    snapshot(path + "\\" + name, out);
  }
}

Snapshot profileArea() {
  Snapshot s;
  snapshot(qpmulti::GetProfileAreaPath(), s);
  return s;
}

class QpHostAdmin : public ::testing::Test {
 protected:
  void SetUp() override {
    resetAreasForNetUser();
    RegDeleteTreeA(HKEY_CURRENT_USER, qpras::kSettingsKey);
  }
  void TearDown() override {
    SetEnvironmentVariableA("QP_SERVER_DIR", nullptr);
    deleteAreas();
    RegDeleteTreeA(HKEY_CURRENT_USER, qpras::kSettingsKey);
  }

  // Runs QPHOST with the arguments; standard input from `input`.
  // Runs QPHOST with the arguments; standard input from `input` when given.
  HostRun run(const std::vector<std::string>& args, const std::string& input = "") {
    return qphosttest::runQpHost(dir_.path(), args, input);
  }

  std::string file(const char* name, const std::string& text) {
    std::ofstream(dir_.file(name), std::ios::binary) << text;
    return dir_.file(name);
  }

  TempDir dir_;
};

}  // namespace

TEST_F(QpHostAdmin, ImportRefusesAFaultyFileAndWritesNothing) {
  struct Case {
    const char* text;
    const char* expected;  // in the one error line
  };
  const Case cases[] = {
      {"profile = ok1\nmember 1 = u | POP3\n\nprofile = ok2\nmember 50 = v | POP3\n",
       "line 5: the Login number must be 1 to 49"},
      {"profile = ok1\npassword = *\n", "line 2: password * keeps the stored password"},
      {"profile = ok1\nmember 2 = u | POP3 | *\n", "line 2: password * keeps"},
      {"# nothing\n", "describes no profile"},
  };
  const Snapshot before = profileArea();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const HostRun r = run({"profile", "import", file("bad.txt", c.text)});
    EXPECT_EQ(r.exitCode, 2u) << r.out << r.err;
    EXPECT_TRUE(has(r.err, c.expected)) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_EQ(profileArea(), before) << "the registry was written";
  }
}

TEST_F(QpHostAdmin, ExportThenImportGivesTheSameRegistry) {
  ASSERT_TRUE(qpmulti::WriteProfilePassword("jane", "s3 |\"cret\""));
  ASSERT_TRUE(qpmulti::WriteInternetInterface("jane", "SMTP"));
  ASSERT_TRUE(qpmulti::WriteProfileMember("jane", 1, "jane.pop", "POP3", " pw|1 ", "C:\\Mail\\j p"));
  ASSERT_TRUE(qpmulti::WriteProfileMember("jane", 2, "jane.imap", "IMAP", "*", nullptr));
  ASSERT_TRUE(qpmulti::WriteProfileMember("jane", 4, "j\\odd", "", nullptr, "D:\\x"));
  ASSERT_TRUE(qpmulti::WriteProfileMember("bob", 1, "bob", "POP3", nullptr, nullptr));
  const Snapshot original = profileArea();

  HostRun jane = run({"profile", "export", "jane", "--with-passwords"});
  HostRun bob = run({"profile", "export", "bob", "--with-passwords"});
  ASSERT_EQ(jane.exitCode, 0u) << jane.err;
  ASSERT_EQ(bob.exitCode, 0u) << bob.err;
  const HostRun masked = run({"profile", "export", "jane"});
  EXPECT_FALSE(has(masked.out, "cret")) << masked.out;
  EXPECT_FALSE(has(masked.out, "pw|1")) << masked.out;

  // Into an empty area; then once more over it, where an extra member must go.
  resetAreasForNetUser();
  const std::string both = file("both.txt", jane.out + bob.out);
  HostRun r = run({"profile", "import", both});
  ASSERT_EQ(r.exitCode, 0u) << r.out << r.err;
  EXPECT_TRUE(has(r.out, "Imported 2 profiles with 4 members")) << r.out;
  EXPECT_EQ(profileArea(), original);
  ASSERT_TRUE(qpmulti::WriteProfileMember("jane", 9, "extra", "POP3", nullptr, nullptr));
  ASSERT_EQ(run({"profile", "import", both}).exitCode, 0u);
  EXPECT_EQ(profileArea(), original);

  // The export without passwords keeps the stored ones when imported over them.
  ASSERT_EQ(masked.exitCode, 0u) << masked.err;
  r = run({"profile", "import", file("masked.txt", masked.out)});
  ASSERT_EQ(r.exitCode, 0u) << r.err;
  EXPECT_EQ(profileArea(), original);
}

TEST_F(QpHostAdmin, ManyProfilesShowProgressOnImportAndDoctor) {
  std::string text;
  for (int i = 0; i < 250; ++i) {
    const std::string n = std::to_string(i);
    text += "profile = user" + n + "\npassword = pw" + n + "\nmember 1 = u" + n + " | POP3\n";
  }
  HostRun r = run({"profile", "import", file("many.txt", text)});
  ASSERT_EQ(r.exitCode, 0u) << r.err;
  EXPECT_TRUE(has(r.err, "imported 100/250 profiles\n")) << r.err;
  EXPECT_TRUE(has(r.err, "imported 250/250 profiles\n")) << r.err;
  char password[150];
  EXPECT_TRUE(qpmulti::ReadProfilePassword("user249", password));
  EXPECT_STREQ(password, "pw249");

  r = run({"doctor"});
  EXPECT_TRUE(has(r.err, "checked 200/250 profiles\n")) << r.err;
  EXPECT_TRUE(has(r.out, "ok: 250 of 250 profiles sound")) << r.out;
}

TEST_F(QpHostAdmin, ProfileTestGivesEachMembersOutcome) {
  qptest::MailDatabase pop("[Account]\r\nUserName=jane.pop\r\nPassword=pop-pw\r\n");
  qptest::MailDatabase imap("[Account]\r\nUserName=jane.imap\r\nPassword=imap-pw\r\n");
  ASSERT_TRUE(qpmulti::WriteProfileMember("jane", 1, "jane.pop", "POP3", "pop-pw", pop.path().c_str()));
  ASSERT_TRUE(qpmulti::WriteProfileMember("jane", 2, "jane.imap", "IMAP", "wrong", imap.path().c_str()));
  ASSERT_TRUE(qpmulti::WriteProfileMember("jane", 3, "jane.x", "NOSUCH", "pw", nullptr));
  ASSERT_TRUE(qpmulti::WriteProfileMember("jane", 5, "jane.y", nullptr, "pw", nullptr));
  ASSERT_TRUE(qpmulti::WriteProfileMember("bob", 1, "jane.pop", "POP3", "pop-pw", pop.path().c_str()));

  HostRun r = run({"profile", "test", "jane"});
  EXPECT_EQ(r.exitCode, 1u) << r.out << r.err;
  const char* lines[] = {"Login1   jane.pop                 POP3       authenticated\n",
                         "Login2   jane.imap                IMAP       wrong credentials\n",
                         "Login3   jane.x                   NOSUCH     interface library missing\n",
                         "Login5   jane.y                   (none)     no interface configured\n",
                         "3 of 4 members failed.\n"};
  for (const char* line : lines) EXPECT_TRUE(has(r.out, line)) << line << r.out;
  // The same session-manager path as the member dialog: log-in, initialise, clean up.
  const std::string journal = pop.journal();
  EXPECT_TRUE(has(journal, "AuthenticateUser")) << journal;
  EXPECT_TRUE(has(journal, "InitUser")) << journal;
  EXPECT_TRUE(has(journal, "CleanUpAfterUser")) << journal;

  r = run({"profile", "test", "bob"});
  EXPECT_EQ(r.exitCode, 0u) << r.out << r.err;
  EXPECT_TRUE(has(r.out, "Every member authenticated.")) << r.out;
  EXPECT_EQ(run({"profile", "test", "nobody"}).exitCode, 1u);
}

TEST_F(QpHostAdmin, DoctorNamesEveryFaultAndPassesASoundSetUp) {
  // A server directory of its own: settings, one user database file, the libraries.
  for (const char* library : {"QPXMULTI.DLL", "QPXSESS.DLL", "QPXCOMM.DLL", "QPXPOP3.DLL"})
    ASSERT_TRUE(CopyFileA(binPath(library).c_str(), dir_.file(library).c_str(), FALSE)) << library;
  file("QUILLPOST.INI", "[SMTP]\r\nHostDotDomainName=mail.example.com\r\n");
  file("QPUSER.DBA", std::string(2048, '\0'));
  SetEnvironmentVariableA("QP_SERVER_DIR", dir_.path().c_str());
  ASSERT_TRUE(qpmulti::WriteProfilePassword("jane", "s3cret"));
  ASSERT_TRUE(qpmulti::WriteProfileMember("jane", 1, "jane.pop", "POP3", "pw", nullptr));
  ASSERT_TRUE(qpmulti::WriteProfileMember("jane", 2, "jane.two", "POP3", nullptr, nullptr));
  qp::UniqueHKey dialUp;
  ASSERT_TRUE(qpras::openSettingsKey("Office", "Home", true, dialUp));
  ASSERT_TRUE(qpras::writeText(dialUp.get(), qpras::kPhoneNumberValue, "555-0100"));
  dialUp.reset();
  ASSERT_TRUE(qpras::openSettingsKey("Office", nullptr, true, dialUp));
  ASSERT_TRUE(qpras::writeText(dialUp.get(), qpras::kDefaultLocationValue, "Home"));
  dialUp.reset();
  ASSERT_TRUE(qpras::openSettingsKey(nullptr, nullptr, true, dialUp));
  ASSERT_TRUE(qpras::writeText(dialUp.get(), qpras::kDefaultProfileValue, "Office"));
  dialUp.reset();

  HostRun r = run({"doctor"});
  EXPECT_EQ(r.exitCode, 0u) << r.out << r.err;
  EXPECT_TRUE(has(r.out, "ok: interface libraries: POP3\n")) << r.out;
  EXPECT_TRUE(has(r.out, "ok: jane (2 members)\n")) << r.out;
  EXPECT_TRUE(has(r.out, "ok: profile Office, location Home, phone number 555-0100\n")) << r.out;
  EXPECT_TRUE(has(r.out, "No problems found.\n")) << r.out;

  // Now break each part on purpose.
  const std::string bob = under(qpmulti::GetProfileAreaPath(), "bob");
  ASSERT_TRUE(qpmulti::WriteProfileMember("bob", 1, "bob", "IMAP", nullptr, nullptr));
  ASSERT_TRUE(qpmulti::WriteProfileMember("bob", 3, "bob3", "POP3", nullptr, nullptr));
  setText(under(bob, "Login50"), "UserName", "late");
  setBinary(bob, "ProfileData", {0x41, 0x42, 0x43});
  ASSERT_TRUE(DeleteFileA(dir_.file("QUILLPOST.INI").c_str()));
  file("QPXBROKEN.DLL", "not a library");
  ASSERT_TRUE(qpras::openSettingsKey("Office", nullptr, false, dialUp));
  ASSERT_TRUE(qpras::writeText(dialUp.get(), qpras::kDefaultLocationValue, "Away"));
  dialUp.reset();

  r = run({"doctor"});
  EXPECT_EQ(r.exitCode, 1u) << r.out << r.err;
  const char* faults[] = {
      "PROBLEM: QUILLPOST.INI is missing\n",
      "PROBLEM: QPXBROKEN.DLL does not load",
      "PROBLEM: profile bob: profile password unreadable: its ProfileData cannot be unscrambled",
      "PROBLEM: profile bob: Login1 (bob) names interface IMAP, which is not installed\n",
      "PROBLEM: profile bob: member key Login50 is no Login 1..49",
      "PROBLEM: profile bob: the members have gaps (Login2 missing)",
      "PROBLEM: profile Office: DefaultLocation names Away, which has no settings key",
      "7 problems found.\n",
  };
  for (const char* fault : faults) EXPECT_TRUE(has(r.out, fault)) << fault << "\n" << r.out;
  EXPECT_TRUE(has(r.out, "ok: jane (2 members)\n")) << r.out;
  EXPECT_FALSE(has(r.out, "s3cret")) << r.out;
}

TEST_F(QpHostAdmin, HostModeFromAFileHasHelpAndQuitButNoPrompt) {
  const HostRun r = run({"host"}, "help\nquit\nstatus\n");
  EXPECT_EQ(r.exitCode, 0u) << r.out << r.err;
  EXPECT_TRUE(has(r.out, "> help\nCommands, one a line")) << r.out;
  EXPECT_TRUE(has(r.out, "open PROFILE [PASSWORD [MAILDB]]")) << r.out;
  EXPECT_TRUE(has(r.out, "> quit\n")) << r.out;
  EXPECT_FALSE(has(r.out, "> status")) << "a line after quit ran:\n" << r.out;
  EXPECT_FALSE(has(r.out, "qphost>")) << r.out;
}
