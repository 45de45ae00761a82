// The profile-dialog tests' server directory, script runs and registry views; see
// dialog_fixture.h.
#include "multi/tests/dialog_fixture.h"

#include <algorithm>
#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <fstream>
#include <ostream>
#include <sstream>

#include "common/win/unique.h"
#include "hostapi/qpxcomm.h"
#include "multi/profile_store.h"

namespace dialogtest {

namespace {

using ConfigureProc = int32_t(__stdcall*)(HWND owner, QPSESSION session);

// A dialog that is still open after this long is ended by the watchdog.
constexpr UINT kWatchdogMs = 20000;

// The server directory of this program: QPXMULTI.DLL lists the libraries beside itself,
// and the session manager loads members from QP_SERVER_DIR, so both see the same files.
class ServerDirectory : public ::testing::Environment {
 public:
  void SetUp() override {
    char temp[MAX_PATH];
    ::GetTempPathA(sizeof temp, temp);
    path_ = std::string(temp) + "qpdialogs-" + std::to_string(::GetCurrentProcessId()) + "\\";
    ASSERT_TRUE(::CreateDirectoryA(path_.c_str(), nullptr)) << path_;
    char program[MAX_PATH];
    ::GetModuleFileNameA(nullptr, program, sizeof program);
    std::string bin(program);
    bin.erase(bin.find_last_of('\\') + 1);

    const struct {
      const char* from;
      const char* to;
    } copies[] = {
        {"QPXMULTI.DLL", "QPXMULTI.DLL"},   {"QPXPOP3.DLL", "QPXPOP3.DLL"},
        {"QPXIMAP.DLL", "QPXIMAP.DLL"},     {"QPXPOP3.DLL", "QPXNOPASS.DLL"},
        {"QPXPOP3.DLL", "QPXNODB.DLL"},     {"QPXPOP3.DLL", "QPXEMPTY.DLL"},
        {"QPXPOP3.DLL", "QPXNW.DLL"},       {"QPXPOP3.DLL", "QPXMAIL32.DLL"},
        {"QPXPOP3.DLL", "QPX16BIT.DLL"},    {"QPXNOSTATUS.DLL", "QPXNOSTATUS.DLL"},
        {"QPXNOAUTH.DLL", "QPXNOAUTH.DLL"},
    };
    for (const auto& copy : copies) {
      ASSERT_TRUE(::CopyFileA((bin + copy.from).c_str(), (path_ + copy.to).c_str(), FALSE))
          << copy.from << " -> " << copy.to << ": error " << ::GetLastError();
    }
    write("QPXNOPASS.INI", "[Interface]\r\nCapabilities=0x800\r\n");
    write("QPXNODB.INI", "[Interface]\r\nCapabilities=0x400\r\n");
    write("QPXEMPTY.INI", "[Interface]\r\nDescription=\r\n");
    write("QPXJUNK.DLL", "not a library");

    ::SetEnvironmentVariableA("QP_SERVER_DIR", path_.c_str());
    multi_.reset(::LoadLibraryA((path_ + "QPXMULTI.DLL").c_str()));
    ASSERT_TRUE(multi_) << "error " << ::GetLastError();
    configure_ = reinterpret_cast<ConfigureProc>(
        reinterpret_cast<void (*)()>(::GetProcAddress(multi_.get(), "QPIClientConfigure")));
    ASSERT_NE(configure_, nullptr);
  }

  void TearDown() override {
    multi_.reset();
    WIN32_FIND_DATAA found;
    qp::UniqueFind find(::FindFirstFileA((path_ + "*").c_str(), &found));
    if (find) {
      do {
        ::DeleteFileA((path_ + found.cFileName).c_str());
      } while (::FindNextFileA(find.get(), &found));
    }
    find.reset();
    ::RemoveDirectoryA(path_.c_str());
  }

  ConfigureProc configure() const { return configure_; }

 private:
  void write(const char* name, const char* text) {
    std::ofstream out(path_ + name, std::ios::binary);
    out << text;
    ASSERT_TRUE(out.good()) << name;
  }

  std::string path_;
  qp::UniqueModule multi_;
  ConfigureProc configure_ = nullptr;
};

ServerDirectory* const serverDirectory =
    static_cast<ServerDirectory*>(::testing::AddGlobalTestEnvironment(new ServerDirectory));

// Ends every dialog and message box of this thread once the time is up (and every half
// second after), so that a script that leaves a dialog open fails instead of hanging.
class Watchdog {
 public:
  Watchdog() : timer_(::SetTimer(nullptr, 0, kWatchdogMs, fire)) { fired = false; }
  ~Watchdog() { ::KillTimer(nullptr, timer_); }
  Watchdog(const Watchdog&) = delete;
  Watchdog& operator=(const Watchdog&) = delete;
  static std::atomic<bool> fired;

 private:
  static void CALLBACK fire(HWND, UINT, UINT_PTR id, DWORD) {
    fired = true;
    ::SetTimer(nullptr, id, 500, fire);
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND window, LPARAM) -> BOOL {
          if (qptest::className(window) == "#32770") ::EndDialog(window, IDCANCEL);
          return TRUE;
        },
        0);
  }
  UINT_PTR timer_;
};
std::atomic<bool> Watchdog::fired{false};

}  // namespace

const std::vector<std::string> kOfferedInterfaces = {
    "IMAP - Sample mail store (IMAP)", "NODB - Sample mail store (NODB)",
    "NOPASS - Sample mail store (NOPASS)", "POP3 - Sample mail store (POP3)"};

bool Member::operator==(const Member& other) const {
  return userName == other.userName && interfaceName == other.interfaceName &&
         password == other.password && mailDatabase == other.mailDatabase;
}

std::ostream& operator<<(std::ostream& out, const Member& member) {
  return out << "{" << member.userName << ", " << member.interfaceName << ", " << member.password
             << ", " << member.mailDatabase << "}";
}

std::string message(unsigned number, ...) {
  char text[1024];
  va_list arguments;
  va_start(arguments, number);
  std::vsnprintf(text, sizeof text, GetString(number, 150), arguments);
  va_end(arguments);
  return text;
}

std::string boxCaption() { return message(3600, QPGetAppName()); }

int entryIndex(HWND dialog, int id, const std::string& prefix) {
  const std::vector<std::string> entries = qptest::listItems(dialog, id);
  for (size_t i = 0; i < entries.size(); ++i) {
    if (entries[i].compare(0, prefix.size(), prefix) == 0) return static_cast<int>(i);
  }
  return -1;
}

void selectInterface(HWND memberDialog, const std::string& name) {
  const int index = entryIndex(memberDialog, QPM_MEMBER_INTERFACE, name + " - ");
  EXPECT_GE(index, 0) << name << " is not offered";
  qptest::selectItem(memberDialog, QPM_MEMBER_INTERFACE, index);
}

std::vector<std::string> journalOperations(const qptest::MailDatabase& database) {
  std::istringstream lines(database.journal());
  std::vector<std::string> operations;
  for (std::string line; std::getline(lines, line);) {
    operations.push_back(line.substr(0, line.find(' ')));
  }
  return operations;
}

Outcome DialogTest::configure(const char* profile, std::vector<Step> steps) {
  Outcome outcome;
  const QPSESSION session = QPOpenSession(profile, "", "", "MULTI", nullptr, nullptr);
  EXPECT_NE(session, QP_NO_SESSION);
  {
    qptest::DialogDriver driver(std::move(steps));
    Watchdog watchdog;
    serverDirectory->configure()(nullptr, session);
    outcome.titles = driver.titles();
    outcome.unexpected = driver.unexpected();
    outcome.allStepsRun = driver.allStepsRun();
    outcome.watchdogFired = Watchdog::fired;
  }
  QPCloseSession(session);
  return outcome;
}

void DialogTest::writeMember(const char* profile, unsigned login, const Member& member) {
  ASSERT_TRUE(qpmulti::WriteProfileMember(profile, login, member.userName.c_str(),
                                          member.interfaceName.c_str(), member.password.c_str(),
                                          member.mailDatabase.c_str()));
}

Member DialogTest::readMember(const char* profile, unsigned login) {
  char user[151], iface[151], password[151], database[151];
  qpmulti::ReadProfileMember(profile, login, user, iface, password, database, sizeof user);
  return Member{user, iface, password, database};
}

std::vector<std::string> DialogTest::memberKeys(const char* profile) {
  std::vector<std::string> names;
  qp::UniqueHKey key;
  if (::RegOpenKeyExA(HKEY_CURRENT_USER, profilePath(profile).c_str(), 0, KEY_READ, key.put()) !=
      ERROR_SUCCESS)
    return names;
  char name[256];
  for (DWORD i = 0;; ++i) {
    DWORD size = sizeof name;
    if (::RegEnumKeyExA(key.get(), i, name, &size, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS)
      break;
    names.push_back(name);
  }
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    return a.size() != b.size() ? a.size() < b.size() : a < b;
  });
  return names;
}

}  // namespace dialogtest
