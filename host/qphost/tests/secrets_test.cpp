// No password in plain text anywhere a person or a log collector reads: a profile is
// provisioned and logged in to through QPHOST.EXE, a message is sent, a member with a
// wrong password is refused, and QPXRAS.DLL dials with a stored password through our
// RASAPI32.DLL. Then the common library's debug log, every mail store's journal, the
// dial-up service's journal and every QPHOST output are searched for each password.
// Only "profile show --show-passwords" may show them, and must.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "dialup/dialup_request.h"
#include "dialup/resource.h"
#include "dialup/tests/dialog_steps.h"
#include "dialup/tests/dialup_fixture.h"
#include "host/mailstore/tests/mail_database.h"
#include "host/qphost/tests/child_process.h"
#include "multi/tests/net_user_areas.h"
#include "testing/dialog_driver.h"

namespace {

using qphosttest::binPath;
using qphosttest::HostRun;
using qphosttest::inheritable;
using qphosttest::withoutCarriageReturns;

using StartProc = int32_t(QPAPI*)(const char*, HWND, DialUpRequest*);
using TestProc = int32_t(QPAPI*)(DialUpRequest*);

constexpr char kProfilePassword[] = "Pw-Zebra-4711";
constexpr char kPopPassword[] = "Pw-Otter-5823";
constexpr char kImapPassword[] = "Pw-Lynx-6934";
constexpr char kWrongPassword[] = "Pw-Quail-9045";  // stored for a member its store refuses
constexpr char kDialPassword[] = "Pw-Heron-2718";   // the phonebook's stored password
const char* const kSecrets[] = {kProfilePassword, kPopPassword, kImapPassword, kWrongPassword,
                                kDialPassword};

// The interface libraries a host session loads by name from the server directory.
const char* const kServerLibraries[] = {"QPXMULTI.DLL", "QPXPOP3.DLL", "QPXIMAP.DLL",
                                        "QPXSMTP.DLL"};

std::string lowered(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

// Something a person or a collector may read, by name.
struct Output {
  std::string name;
  std::string text;
};

class SecretsTest : public dialtest::DialUpTest {
 protected:
  static void SetUpTestSuite() { ras_.reset(LoadLibraryA("QPXRAS.DLL")); }
  static void TearDownTestSuite() { ras_.reset(); }

  void SetUp() override {
    ASSERT_TRUE(ras_) << "QPXRAS.DLL did not load";
    DialUpTest::SetUp();
    storetest::resetAreasForNetUser();
    for (const char* library : kServerLibraries)
      ASSERT_TRUE(CopyFileA(binPath(library).c_str(), path(library).c_str(), FALSE))
          << library << ": error " << GetLastError();
  }
  void TearDown() override {
    storetest::deleteAreas();
    DialUpTest::TearDown();
  }

  // Runs QPHOST with the arguments (standard input from `input`) and keeps what it
  // printed among the outputs to be searched, unless it is allowed to show passwords.
  std::string qphost(const std::vector<std::string>& args, DWORD expectedExit,
                     const std::string& input = "", bool mayShowPasswords = false) {
    std::string commandLine = "\"" + binPath("QPHOST.EXE") + "\"";
    std::string name = "QPHOST";
    for (const std::string& arg : args) {
      commandLine += " \"" + arg + "\"";
      name += " " + arg;
    }
    writeFile("in.txt", input);
    DWORD exitCode = 0xDEADBEEF;
    {
      qp::UniqueFile in = inheritable(path("in.txt"), false);
      qp::UniqueFile out = inheritable(path("out.txt"), true);
      qp::UniqueFile err = inheritable(path("err.txt"), true);
      exitCode = qphosttest::runChild(commandLine, in.get(), out.get(), err.get());
    }
    const std::string out = readFile("out.txt");
    const std::string err = readFile("err.txt");
    EXPECT_EQ(expectedExit, exitCode) << name << "\n" << out << err;
    if (!mayShowPasswords) {
      outputs_.push_back({name + " (output)", out});
      outputs_.push_back({name + " (errors)", err});
    }
    return out;
  }

  static qp::UniqueModule ras_;
  std::vector<Output> outputs_;
};
qp::UniqueModule SecretsTest::ras_;

TEST_F(SecretsTest, NoPasswordReachesALogAJournalOrAnOutput) {
  const std::string profile = "zebra" + std::to_string(GetCurrentProcessId());
  qptest::MailDatabase pop(qptest::accountText("jane.pop", kPopPassword).c_str());
  qptest::MailDatabase imap(qptest::accountText("jane.imap", kImapPassword).c_str());
  qptest::MailDatabase smtp(qptest::accountText("jane.smtp", "Pw-Other").c_str());

  // Provisioning, and the profile as shown: masked unless asked.
  qphost({"profile", "password", profile, kProfilePassword}, 0);
  qphost({"profile", "member", profile, "1", "jane.pop", "POP3", kPopPassword, pop.path()}, 0);
  qphost({"profile", "member", profile, "2", "jane.imap", "IMAP", kImapPassword, imap.path()}, 0);
  qphost({"profile", "member", profile, "3", "jane.smtp", "SMTP", kWrongPassword, smtp.path()},
         0);
  const std::string masked = qphost({"profile", "show", profile}, 0);
  EXPECT_NE(masked.find("jane.smtp"), std::string::npos) << masked;
  EXPECT_NE(masked.find("Profile password:   ********"), std::string::npos) << masked;
  const std::string shown = qphost({"profile", "show", profile, "--show-passwords"}, 0, "", true);
  for (const char* secret : {kProfilePassword, kPopPassword, kImapPassword, kWrongPassword})
    EXPECT_NE(shown.find(secret), std::string::npos) << secret << " not shown:\n" << shown;
  qphost({"help"}, 0);
  // The administration commands: an export without its option, the members' credential
  // test (one member refused) and the doctor.
  const std::string exported = qphost({"profile", "export", profile}, 0);
  EXPECT_NE(exported.find("member 1 = jane.pop | POP3 | *"), std::string::npos) << exported;
  const std::string tested = qphost({"profile", "test", profile}, 1);
  EXPECT_NE(tested.find("wrong credentials"), std::string::npos) << tested;
  qphost({"doctor"}, 1);  // the test's build folder holds test libraries that are no interfaces

  // A log-in (one member refused), a send through two members, from a script file; then
  // from standard input, with an open line that fails on its unfinished quote first.
  writeFile("login.txt", "open " + profile + " " + kProfilePassword +
                             "\r\nlogin\r\ninit\r\ntable\r\n"
                             "send \"bob@x.org, IMAP:ann@y.org\" \"\" \"\" Hello Body\r\n"
                             "logout\r\nclose\r\n");
  const std::string session = qphost({"host", path("login.txt")}, 0);
  EXPECT_NE(session.find("QPIAuthenticateUser (flags 2): 2 member sessions"), std::string::npos)
      << session;
  EXPECT_NE(session.find("> open " + profile + " ****"), std::string::npos) << session;
  EXPECT_NE(session.find("QPISendMailMessage: 0"), std::string::npos) << session;
  const std::string typed = qphost({"host", "-"}, 2,
                                   "open " + profile + " \"" + kProfilePassword + "\n" +
                                       "OPEN " + profile + " \"" + kProfilePassword + "\" " +
                                       imap.path() + "\nlogin 2\nlogout\nclose\n");
  EXPECT_NE(typed.find("> OPEN " + profile + " **** "), std::string::npos) << typed;
  EXPECT_NE(storetest::readFile(imap.path() + "\\SPOOL\\SENT0001.EML"), "");

  // A dial-up with the phonebook's stored password, through the settings dialog.
  setUserSetting("jane", "Yes");
  writeScript(std::string("entry Office | 555-0100 | jane | ") + kDialPassword +
              "\ndelay 50\ndial PortOpened Authenticate Connected\n");
  auto start = reinterpret_cast<StartProc>(
      reinterpret_cast<void*>(GetProcAddress(ras_.get(), "StartDialUpNetworking")));
  auto test = reinterpret_cast<TestProc>(
      reinterpret_cast<void*>(GetProcAddress(ras_.get(), "TestDialUpNetworking")));
  ASSERT_TRUE(start && test);
  {
    qptest::DialogDriver driver({[](HWND settings) { qptest::press(settings, IDC_OK); },
                                 [](HWND) {}},
                                qptest::DialogDriver::Mode::AnyThread);
    DialUpRequest request = dialtest::newRequest("");
    ASSERT_EQ(1, start("jane", nullptr, &request));
    EXPECT_EQ(1, test(&request));
    EXPECT_TRUE(driver.unexpected().empty()) << dialtest::lines(driver.unexpected());
  }
  const std::vector<dialtest::Call> dials = calls("RasDialA");
  ASSERT_EQ(1u, dials.size());
  EXPECT_EQ("****(13)", dials[0].field("password"));
  EXPECT_EQ("yes", dials[0].field("stored-password"));

  // Every log and journal has seen the work (its marker), so the search means something.
  struct File {
    Output file;
    const char* marker;
  };
  const File files[] = {
      {{"debug log", readFile("QPDEBUG.LOG")}, "jane.smtp"},
      {{"POP3 journal", pop.journal()}, "SendMailMessage"},
      {{"IMAP journal", imap.journal()}, "SendMailMessage"},
      {{"SMTP journal", smtp.journal()}, "AuthenticateUser"},
      {{"dial-up service journal", readFile("ras-journal.txt")}, "RasDialA"},
  };
  for (const File& f : files) {
    EXPECT_NE(f.file.text.find(f.marker), std::string::npos) << f.file.name << ":\n" << f.file.text;
    outputs_.push_back(f.file);
  }
  for (const Output& o : outputs_) {
    for (const char* secret : kSecrets) {
      EXPECT_EQ(lowered(o.text).find(lowered(secret)), std::string::npos)
          << secret << " in " << o.name << ":\n" << o.text;
    }
  }
}

}  // namespace
