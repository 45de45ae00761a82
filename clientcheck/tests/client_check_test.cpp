// TRN32CHK.DLL against the stand-in desktop client TRN32FAKE.EXE: no client, a client
// that closes, one that stays (a message box per pass, Retry asks again, Cancel gives
// up) and one the user exits while the box is up. The message boxes are answered by the
// dialog driver. The five-second wait after WM_CLOSE is real, so only the cases that
// need it have a client.
#include <windows.h>

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "clientcheck/fake_client.h"
#include "clientcheck/trn32chk.h"
#include "common/win/unique.h"
#include "testing/dialog_driver.h"

namespace {

using qptest::DialogDriver;

constexpr char kMessage[] =
    "Ternwing! 2000 is currently active.\n"
    "You must exit Ternwing! 2000 before continuing this installation.";
constexpr char kCaption[] = "Please exit Ternwing! 2000";
// The wait after WM_CLOSE is 5000 ms; timer granularity allows a little less.
constexpr ULONGLONG kWaitMs = 4900;
// "At once": no wait was made (a generous bound for a loaded machine).
constexpr ULONGLONG kAtOnceMs = 2000;

ULONGLONG now() { return ::GetTickCount64(); }

std::string besideTest(const char* file) {
  char path[MAX_PATH];
  DWORD length = ::GetModuleFileNameA(nullptr, path, sizeof path);
  std::string text(path, length);
  return text.substr(0, text.find_last_of('\\') + 1) + file;
}

// A running TRN32FAKE.EXE; its process is ended when the owner goes, whatever the test did.
class StandInClient {
 public:
  StandInClient() = default;
  StandInClient(const StandInClient&) = delete;
  StandInClient& operator=(const StandInClient&) = delete;
  ~StandInClient() {
    if (process_ && ::WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT) {
      ::TerminateProcess(process_.get(), 0xDEAD);
      ::WaitForSingleObject(process_.get(), 10000);
    }
  }

  // Starts the client with its arguments and waits until its window is up.
  bool start(const std::string& arguments) {
    std::string line = "\"" + besideTest(trn32fake::kProgram) + "\" " + arguments;
    std::vector<char> buffer(line.begin(), line.end());
    buffer.push_back('\0');
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!::CreateProcessA(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &info)) {
      ADD_FAILURE() << "CreateProcess " << line << " failed: " << ::GetLastError();
      return false;
    }
    process_.reset(info.hProcess);
    qp::UniqueHandle thread(info.hThread);
    for (ULONGLONG start = now(); now() - start < 10000; ::Sleep(20)) {
      HWND found = ::FindWindowA(trn32fake::kWindowClass, nullptr);
      DWORD owner = 0;
      if (found && ::GetWindowThreadProcessId(found, &owner) && owner == info.dwProcessId) {
        window_ = found;
        return true;
      }
      if (::WaitForSingleObject(process_.get(), 0) == WAIT_OBJECT_0) break;
    }
    ADD_FAILURE() << "the window of " << line << " did not come up";
    return false;
  }

  HWND window() const { return window_; }
  bool running() const { return ::WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT; }
  // WM_CLOSE messages the running client has received.
  LRESULT closesSoFar() const { return ::SendMessageA(window_, trn32fake::kCloseCount, 0, 0); }
  // Waits for the client to end; its exit code is the number of WM_CLOSE it received.
  bool waitForExit(DWORD* closes) {
    if (::WaitForSingleObject(process_.get(), 10000) != WAIT_OBJECT_0) return false;
    return ::GetExitCodeProcess(process_.get(), closes) != FALSE;
  }

 private:
  qp::UniqueHandle process_;
  HWND window_ = nullptr;
};

// What one message box looked like when it came up.
struct BoxSeen {
  ULONGLONG shownAt = 0;
  std::string caption;
  std::string text;
  HWND owner = nullptr;
  std::set<int> buttons;  // ids of the push buttons present
  HICON icon = nullptr;
  bool installerEnabled = true;  // the caller thread's other window, during the box
  LRESULT clientCloses = -1;     // WM_CLOSE the client had received by then
};

BOOL CALLBACK collectChild(HWND child, LPARAM context) {
  auto* seen = reinterpret_cast<BoxSeen*>(context);
  std::string kind = qptest::className(child);
  LONG style = ::GetWindowLongA(child, GWL_STYLE);
  if (_stricmp(kind.c_str(), "Button") == 0 && ::IsWindowVisible(child)) {
    seen->buttons.insert(::GetDlgCtrlID(child));
  } else if (_stricmp(kind.c_str(), "Static") == 0 && (style & SS_TYPEMASK) == SS_ICON) {
    seen->icon = reinterpret_cast<HICON>(::SendMessageA(child, STM_GETICON, 0, 0));
  }
  return TRUE;
}

BoxSeen look(HWND box, HWND installerWindow, const StandInClient& client) {
  BoxSeen seen;
  seen.shownAt = now();
  seen.caption = qptest::windowText(box);
  seen.text = qptest::messageBoxText(box);
  seen.owner = ::GetWindow(box, GW_OWNER);
  ::EnumChildWindows(box, collectChild, reinterpret_cast<LPARAM>(&seen));
  seen.installerEnabled = ::IsWindowEnabled(installerWindow) != FALSE;
  seen.clientCloses = client.closesSoFar();
  return seen;
}

// The box the check shows: the texts, no owner, Retry and Cancel only, the error icon,
// and task-modal (the calling thread's windows are disabled while it is up). Whether
// MB_SETFOREGROUND is set cannot be seen under Wine: every new box there is foreground.
void expectCheckBox(const BoxSeen& box) {
  EXPECT_EQ(kCaption, box.caption);
  EXPECT_EQ(kMessage, box.text);
  EXPECT_EQ(nullptr, box.owner);
  EXPECT_EQ((std::set<int>{IDRETRY, IDCANCEL}), box.buttons);
  EXPECT_EQ(::LoadIconA(nullptr, IDI_ERROR), box.icon) << "not the error icon";
  EXPECT_FALSE(box.installerEnabled) << "the box is not task-modal";
}

class ClientCheck : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(nullptr, ::FindWindowA(trn32fake::kWindowClass, nullptr))
        << "a client window is left from elsewhere";
    module_.reset(::LoadLibraryA("TRN32CHK.DLL"));
    ASSERT_TRUE(module_) << "TRN32CHK.DLL: " << ::GetLastError();
    check_ = reinterpret_cast<CheckTrn32RunningProc>(
        reinterpret_cast<void*>(::GetProcAddress(module_.get(), "CheckTrn32Running")));
    ASSERT_NE(nullptr, check_) << "no export CheckTrn32Running";
    // Another window of the installer's thread, to see the box disable it. Never shown,
    // so it never activates and the driver does not take it for a box.
    installer_ = ::CreateWindowExA(0, "STATIC", "installer", WS_OVERLAPPED, 0, 0, 100, 50,
                                   nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, installer_);
  }
  void TearDown() override {
    if (installer_) ::DestroyWindow(installer_);
  }

  qp::UniqueModule module_;
  CheckTrn32RunningProc check_ = nullptr;
  HWND installer_ = nullptr;
};

TEST_F(ClientCheck, NoClientReturnsZeroAtOnceWithoutABox) {
  DialogDriver driver({});
  ULONGLONG start = now();
  EXPECT_EQ(0, check_(0x5EED));
  EXPECT_LT(now() - start, kAtOnceMs);
  EXPECT_EQ(0u, driver.titles().size() + driver.unexpected().size());
}

// The client takes 1.5 s to handle WM_CLOSE: the call returns only after that plus the
// full wait, which shows that WM_CLOSE is sent, not posted.
TEST_F(ClientCheck, ClientThatClosesEndsTheCheckAfterTheWaitWithoutABox) {
  constexpr ULONGLONG kClientDelayMs = 1500;
  StandInClient client;
  ASSERT_TRUE(client.start("close " + std::to_string(kClientDelayMs)));
  DialogDriver driver({});
  ULONGLONG start = now();
  EXPECT_EQ(0, check_(0));
  ULONGLONG took = now() - start;
  EXPECT_GE(took, kClientDelayMs + kWaitMs);
  EXPECT_LT(took, kClientDelayMs + kWaitMs + kAtOnceMs) << "more than one wait";
  EXPECT_TRUE(driver.unexpected().empty()) << driver.unexpected().front();
  DWORD closes = 0;
  ASSERT_TRUE(client.waitForExit(&closes));
  EXPECT_EQ(1u, closes);
}

// Each pass sends WM_CLOSE, waits, and shows the box; Retry starts another pass, Cancel
// ends the call with 1 and leaves the client running.
TEST_F(ClientCheck, StayingClientGetsABoxEachPassUntilCancel) {
  StandInClient client;
  ASSERT_TRUE(client.start("refuse"));
  std::vector<BoxSeen> boxes;
  ULONGLONG retryAt = 0;
  DialogDriver driver({
      [&](HWND box) {
        boxes.push_back(look(box, installer_, client));
        retryAt = now();
        qptest::press(box, IDRETRY);
      },
      [&](HWND box) {
        boxes.push_back(look(box, installer_, client));
        qptest::press(box, IDCANCEL);
      },
  });
  ULONGLONG start = now();
  EXPECT_EQ(1, check_(0));
  EXPECT_TRUE(driver.unexpected().empty()) << driver.unexpected().front();
  ASSERT_EQ(2u, boxes.size());
  EXPECT_GE(boxes[0].shownAt - start, kWaitMs);
  EXPECT_GE(boxes[1].shownAt - retryAt, kWaitMs) << "Retry did not wait again";
  for (size_t i = 0; i < boxes.size(); ++i) {
    SCOPED_TRACE("box " + std::to_string(i + 1));
    expectCheckBox(boxes[i]);
    EXPECT_EQ(static_cast<LRESULT>(i + 1), boxes[i].clientCloses) << "one WM_CLOSE per pass";
  }
  EXPECT_TRUE(::IsWindowEnabled(installer_)) << "the installer's window stayed disabled";
  EXPECT_TRUE(client.running());
  EXPECT_EQ(2, client.closesSoFar());
}

// The user exits the client while the box is up: Retry finds no window, sends nothing,
// does not wait and returns 0.
TEST_F(ClientCheck, ClientExitedWhileTheBoxIsUpEndsTheCheckOnRetry) {
  StandInClient client;
  ASSERT_TRUE(client.start("told"));
  std::vector<BoxSeen> boxes;
  bool exited = false;
  DWORD closes = 0;
  ULONGLONG retryAt = 0;
  DialogDriver driver({[&](HWND box) {
    boxes.push_back(look(box, installer_, client));
    ::PostMessageA(client.window(), trn32fake::kExitNow, 0, 0);
    exited = client.waitForExit(&closes);
    retryAt = now();
    qptest::press(box, IDRETRY);
  }});
  EXPECT_EQ(0, check_(0));
  EXPECT_LT(now() - retryAt, kAtOnceMs) << "Retry waited with no client left";
  EXPECT_TRUE(driver.unexpected().empty()) << driver.unexpected().front();
  ASSERT_EQ(1u, boxes.size());
  expectCheckBox(boxes[0]);
  ASSERT_TRUE(exited);
  EXPECT_EQ(1u, closes);
}

}  // namespace
