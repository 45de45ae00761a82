// QPHOST.EXE's profile commands, run as a child process: bad arguments end with exit
// code 2, one line on standard error and nothing in the registry; a member written and
// shown with its password masked (or shown, when asked).
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/qphost/tests/child_process.h"
#include "multi/core/area_path.h"
#include "multi/tests/registry_fixture.h"

using namespace storetest;

namespace {

using qphosttest::binPath;
using qphosttest::HostRun;
using qphosttest::inheritable;

class QpHost : public ::testing::Test {
 protected:
  void SetUp() override {
    deleteAreas();
    // Debug-log lines of the child go to the temporary server directory.
    SetEnvironmentVariableA("QP_SERVER_DIR", dir_.path().c_str());
  }
  void TearDown() override {
    SetEnvironmentVariableA("QP_SERVER_DIR", nullptr);
    deleteAreas();
  }

  // Runs QPHOST with the arguments (each quoted); standard output and error are files.
  HostRun run(const std::vector<std::string>& args) {
    std::string commandLine = "\"" + binPath("QPHOST.EXE") + "\"";
    for (const std::string& arg : args) commandLine += " \"" + arg + "\"";
    HostRun result;
    {
      qp::UniqueFile out = inheritable(dir_.file("out.txt"), true);
      qp::UniqueFile err = inheritable(dir_.file("err.txt"), true);
      result.exitCode = qphosttest::runChild(commandLine, nullptr, out.get(), err.get());
    }
    result.out = readFile(dir_.file("out.txt"));
    result.err = readFile(dir_.file("err.txt"));
    return result;
  }

  static std::string janePath() { return under(qpmulti::kProfileAreaBase, "jane"); }

  TempDir dir_;
};

size_t lineCount(const std::string& text) {
  size_t lines = 0;
  for (char c : text) lines += c == '\n';
  return lines;
}

}  // namespace

TEST_F(QpHost, BadArgumentsExitWithTwoAndWriteNothing) {
  const std::string long150(150, 'x');
  const std::vector<std::vector<std::string>> cases = {
      {"frobnicate"},
      {"profile"},
      {"profile", "explode", "jane"},
      {"profile", "show"},
      {"profile", "show", "jane", "--bogus"},
      {"profile", "password", "jane"},
      {"profile", "password", "jane", "a", "b"},
      {"profile", "password", long150, "pw"},
      {"profile", "password", "", "pw"},
      {"profile", "internet", "a\\b", "POP3"},
      {"profile", "member", "jane", "0", "u", "POP3"},
      {"profile", "member", "jane", "50", "u", "POP3"},
      {"profile", "member", "jane", "1x", "u", "POP3"},
      {"profile", "member", "jane", "1", "u"},
      {"profile", "member", "jane", "1", "", "POP3"},
      {"profile", "member", "jane", "1", "u", "POP3", "pw", long150},
      {"profile", "member", "jane", "1", "u", "POP3", "pw", "db", "extra"},
      {"profile", "remove", "jane", "1001"},
  };
  for (const std::vector<std::string>& args : cases) {
    std::string trace;
    for (const std::string& arg : args) trace += arg.substr(0, 12) + " ";
    SCOPED_TRACE(trace);
    const HostRun r = run(args);
    EXPECT_EQ(r.exitCode, 2u);
    EXPECT_EQ(lineCount(r.err), 1u) << r.err;
    EXPECT_EQ(r.err.rfind("QPHOST: ", 0), 0u) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_FALSE(keyExists(qpmulti::kProfileAreaBase)) << "the registry was written";
  }
}

TEST_F(QpHost, HelpAndNoArgumentsPrintUsage) {
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{}, std::vector<std::string>{"help"}}) {
    const HostRun r = run(args);
    EXPECT_EQ(r.exitCode, 0u);
    EXPECT_NE(r.out.find("QPHOST profile member NAME LOGIN USER INTERFACE"), std::string::npos)
        << r.out;
    EXPECT_FALSE(keyExists(qpmulti::kProfileAreaBase));
  }
}

TEST_F(QpHost, MemberIsWrittenAndShownWithMaskedPasswords) {
  HostRun r = run({"profile", "password", "jane", "s3cret"});
  EXPECT_EQ(r.exitCode, 0u) << r.err;
  r = run({"profile", "member", "jane", "1", "jane.pop", "POP3", "pop-pw", "C:\\Mail\\jane"});
  EXPECT_EQ(r.exitCode, 0u) << r.err;
  EXPECT_EQ(lineCount(r.out), 1u) << r.out;
  r = run({"profile", "member", "jane", "2", "jane.imap", "IMAP"});
  EXPECT_EQ(r.exitCode, 0u) << r.err;
  r = run({"profile", "internet", "jane", "POP3"});
  EXPECT_EQ(r.exitCode, 0u) << r.err;

  const std::string login1 = under(janePath(), "Login1");
  EXPECT_EQ(readRaw(login1, "UserName").text(), "jane.pop");
  EXPECT_EQ(readRaw(login1, "MailDatabase").text(), "C:\\Mail\\jane");
  EXPECT_EQ(readRaw(login1, "ProfileData").data.size(), sizeof "pop-pw");
  EXPECT_EQ(readRaw(janePath(), "InternetInterface").text(), "POP3");

  r = run({"profile", "show", "jane"});
  EXPECT_EQ(r.exitCode, 0u) << r.err;
  EXPECT_NE(r.out.find("jane.pop"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("jane.imap"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("C:\\Mail\\jane"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("Internet interface: POP3"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("********"), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find("s3cret"), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find("pop-pw"), std::string::npos) << r.out;

  r = run({"profile", "show", "jane", "--show-passwords"});
  EXPECT_EQ(r.exitCode, 0u) << r.err;
  EXPECT_NE(r.out.find("s3cret"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("pop-pw"), std::string::npos) << r.out;
}

TEST_F(QpHost, RemoveAndShowOfWhatIsMissingFail) {
  EXPECT_EQ(run({"profile", "show", "jane"}).exitCode, 1u);
  EXPECT_FALSE(keyExists(janePath()));  // show creates no profile
  ASSERT_EQ(run({"profile", "member", "jane", "3", "u", "POP3"}).exitCode, 0u);
  EXPECT_EQ(run({"profile", "remove", "jane", "3"}).exitCode, 0u);
  EXPECT_FALSE(keyExists(under(janePath(), "Login3")));
  const HostRun again = run({"profile", "remove", "jane", "3"});
  EXPECT_EQ(again.exitCode, 1u);
  EXPECT_EQ(lineCount(again.err), 1u) << again.err;
  EXPECT_EQ(run({"profile", "delete", "jane"}).exitCode, 0u);
  EXPECT_FALSE(keyExists(janePath()));
}
