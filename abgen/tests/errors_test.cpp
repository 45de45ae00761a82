// QPABGEN's failures, run for real: every message with exit code -1, checked in the order
// the program makes its checks, and nothing written where it failed.
#include <string>
#include <vector>

#include "abgen/tests/program_fixture.h"

namespace {

using namespace abgentest;

using Errors = ProgramTest;

const char kUsage[] =
    "QPABGEN - Generates an SMTP address book for Quillpost, Portmerge or Trn2000\r\n"
    "Usage:   QPABGEN \"Input filename\" \"Output Address Book\" [Directory]\r\n";

TEST_F(Errors, ArgumentsInputAndOutput) {
  writeFile("in.csv", "Pat, pat@example.com\r\n");
  struct Case {
    const char* what;
    std::vector<std::string> args;
    std::string out;
  } const cases[] = {
      {"no arguments", {}, kUsage},
      {"one argument", {path("in.csv")}, kUsage},
      {"input missing", {path("missing.csv"), "b.ab"},
       "Error opening file " + path("missing.csv") + "\r\n"},
      {"input is a directory", {dir(), "b.ab"}, "Error opening file " + dir() + "\r\n"},
      {"output directory missing", {path("in.csv"), "b.ab", path("nowhere")},
       "Error opening address book output file " + path("nowhere\\b.ab") + "\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const ProgramRun r = run(c.args);
    EXPECT_EQ(kExitError, r.exitCode);
    EXPECT_EQ(c.out, r.out);
  }
  EXPECT_FALSE(exists(path("nowhere"))) << "a given directory was created";
  EXPECT_FALSE(exists(path("ADDRBOOK\\b.ab")));
}

// Each run fixes what the one before it reported, so that the next check is reached.
TEST_F(Errors, DatabaseModeChecksInOrder) {
  struct Step {
    const char* what;
    void (*prepare)(Errors& test);
    std::vector<std::string> args;
    std::string out;
  };
  const std::vector<Step> steps = {
      {"no QUILLPOST.INI", [](Errors&) {}, {"*", "db.ab"},
       "Error locating Quillpost/Portmerge user files at " + path("QUILLPOST.INI") + "\r\n"},
      {"no user database file", [](Errors& t) { t.writeServerIni(nullptr); }, {"*", "db.ab"},
       "Error locating Quillpost/Portmerge user files at " + path("QPUSER.DB?") + "\r\n"},
      {"no host name",
       [](Errors& t) { t.writeUserFile("QPUSER.DBQ", {{"q", "Q", "POP3", "q@example.com"}}); },
       {"*", "db.ab"}, "Quillpost/Portmerge SMTP host name is not configured\r\n"},
      {"empty host name", [](Errors& t) { t.writeServerIni(""); }, {"*", "db.ab"},
       "Quillpost/Portmerge SMTP host name is not configured\r\n"},
      {"output directory missing", [](Errors& t) { t.writeServerIni("mail.example.com"); },
       {"*", "db.ab", path("nowhere")},
       "Error opening address book output file " + path("nowhere\\db.ab") + "\r\n"},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.what);
    s.prepare(*this);
    const ProgramRun r = run(s.args);
    EXPECT_EQ(kExitError, r.exitCode);
    EXPECT_EQ(s.out, r.out);
    EXPECT_FALSE(exists(path("ADDRBOOK"))) << "the output directory was made before the checks";
  }
  const ProgramRun r = run({"*", "db.ab"});
  EXPECT_EQ(0u, r.exitCode) << r.out;
  EXPECT_EQ(1u, readBook(path("ADDRBOOK\\db.ab")).size());
}

}  // namespace

// A key file that cannot be written to the end is no complete address book: the run
// still reads all of its input, then says so and ends with -1.
TEST_F(Errors, WriteFailureIsReportedNotCompletion) {
  const std::string fullDevice = "Z:\\dev\\full";  // every write fails: no space left
  if (!exists(fullDevice)) GTEST_SKIP() << "no " << fullDevice << " on this system";
  std::string input;
  for (int i = 1; i <= 20; ++i)
    input += "Name " + std::to_string(i) + ", n" + std::to_string(i) + "@example.com\r\n";
  writeFile("in.csv", input);
  const ProgramRun r = run({path("in.csv"), "full", "Z:\\dev"});
  EXPECT_EQ(kExitError, r.exitCode);
  std::string expected = progressOutput(20);
  expected.replace(expected.find("Processing complete!"), std::string::npos,
                   "Error writing address book output file " + fullDevice + "\r\n");
  EXPECT_EQ(expected, r.out);
}
