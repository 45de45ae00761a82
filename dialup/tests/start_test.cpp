// StartDialUpNetworking and TestDialUpNetworking around the dial thread (grace period
// cut to 200 ms in this program): the decision table row by row, the system's autodial
// switched off while dialing and restored in every outcome, the wait for the thread,
// Disable, and the finish that brings the caller's window to the front.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "dialup/dial_thread.h"
#include "dialup/dialup_request.h"
#include "dialup/resource.h"
#include "dialup/tests/dialog_steps.h"
#include "dialup/tests/dialup_fixture.h"
#include "testing/dialog_driver.h"

namespace {

using dialtest::autodial;
using dialtest::message;
using qptest::DialogDriver;
using qptest::Step;

constexpr char kPhonebook[] = "entry Office | 555-0100 | jane | s3cret\ndelay 100\n";
const HANDLE kAccepted = INVALID_HANDLE_VALUE;

using StartTest = dialtest::DialUpTest;

TEST_F(StartTest, NullRequestIsRefused) {
  setUserSetting("jane", "Yes");
  EXPECT_EQ(0, StartDialUpNetworking("jane", nullptr, nullptr));
  EXPECT_EQ(0, TestDialUpNetworking(nullptr));
}

// The caller has connected already, so every started thread ends without a dialog.
TEST_F(StartTest, DecidesByTheTableRowByRow) {
  struct Case {
    const char* setting;  // null: unset
    long long autodial;   // -1: no value
    bool rasAutodialKey;
    int started;
    long long autodialAfter;
  };
  const Case cases[] = {
      {"No", 0, false, 0, 0},      {"off", 1, true, 0, 1},
      {nullptr, 1, false, 0, 1},   {nullptr, 0, true, 0, 0},
      {nullptr, -1, true, 0, -1},  {nullptr, 0, false, 1, 0},
      {nullptr, -1, false, 1, -1}, {"Yes", 0, true, 1, 0},
      {"true", -1, false, 1, -1},  {"Yes", 0x21, true, 1, 0x21},
      {"junk", 1, false, 0, 1},    // neither yes nor no: unset
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << (c.setting ? c.setting : "unset") << " autodial "
                                    << c.autodial << " key " << c.rasAutodialKey);
    clearSettings();
    DeleteFileA(path("USERS\\jane\\QPUSER.INI").c_str());
    if (c.setting) setUserSetting("jane", c.setting);
    if (c.autodial >= 0) dialtest::setAutodial(static_cast<DWORD>(c.autodial));
    if (c.rasAutodialKey) dialtest::createKey(dialtest::kRasAutodialPath);
    DialUpRequest request = dialtest::newRequest("");
    request.connected = 1;
    EXPECT_EQ(c.started, StartDialUpNetworking("jane", nullptr, &request));
    EXPECT_STREQ("jane", request.userName);
    if (c.started) {
      EXPECT_NE(kAccepted, request.threadHandle);
      EXPECT_EQ(1, TestDialUpNetworking(&request));
      EXPECT_EQ(0, request.connected);
      EXPECT_EQ(nullptr, request.threadHandle);
    } else {
      EXPECT_EQ(kAccepted, request.threadHandle);
      EXPECT_EQ(0, TestDialUpNetworking(&request));
      EXPECT_EQ(1, request.connected);  // untouched
    }
    EXPECT_EQ(c.autodial > 0 && c.started ? c.autodial : 0,
              static_cast<long long>(request.savedAutodial));
    EXPECT_EQ(c.autodialAfter, autodial());
    EXPECT_EQ(0, TestDialUpNetworking(&request));  // the thread is gone
  }
}

// The dial thread's windows, answered by kind: when a refused call's message box comes
// up over the wait window, the driver may hand over both in one round, topmost first.
struct Answers {
  std::function<void(HWND)> settings;
  int box = 0;  // button pressed in a message box
};
std::vector<Step> answering(const Answers& answers, size_t windows) {
  Step step = [answers](HWND window) {
    if (GetDlgItem(window, IDC_PROFILE_LIST) != nullptr) {
      answers.settings(window);
    } else if (qptest::isMessageBox(window)) {
      qptest::press(window, answers.box);
    }  // the wait window goes its own way
  };
  return std::vector<Step>(windows, step);
}

TEST_F(StartTest, AutodialIsOffWhileDialingAndRestoredInEveryOutcome) {
  std::vector<long long> duringDialog;
  auto press = [&](int button) {
    return [&duringDialog, button](HWND settings) {
      duringDialog.push_back(autodial());
      qptest::press(settings, button);
    };
  };
  struct Case {
    const char* name;
    const char* script;
    LONG connected;  // set by the caller before the start
    std::vector<Step> steps;
    int result;
  };
  const std::vector<Case> cases = {
      {"connected in the grace period", "", 1, {}, 1},
      {"dialog cancelled", "", 0, answering({press(IDC_CANCEL)}, 1), 0},
      {"dialer disabled", "", 0, answering({press(IDC_DISABLE)}, 1), 0},
      {"call refused", "dial error 633\n", 0, answering({press(IDC_OK), IDOK}, 3), 0},
      {"connected by RAS", "dial PortOpened Connected\n", 0, answering({press(IDC_OK)}, 2), 1},
      {"gave up", "dial PortOpened Disconnected\n", 0, answering({press(IDC_OK), IDNO}, 3), 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    clearSettings();
    setUserSetting("jane", "Yes");
    dialtest::setAutodial(0x11);
    writeScript(std::string(kPhonebook) + c.script);
    resetService();
    duringDialog.clear();
    DialUpRequest request = dialtest::newRequest("");
    request.connected = c.connected;
    DialogDriver driver(c.steps, DialogDriver::Mode::AnyThread);
    ASSERT_EQ(1, StartDialUpNetworking("jane", nullptr, &request));
    EXPECT_EQ(c.result, TestDialUpNetworking(&request));
    EXPECT_TRUE(driver.allStepsRun());
    EXPECT_TRUE(driver.unexpected().empty()) << dialtest::lines(driver.unexpected());
    EXPECT_EQ(c.steps.empty() ? 0u : 1u, duringDialog.size());
    for (long long value : duringDialog) EXPECT_EQ(0, value);
    dialtest::RawValue restored = dialtest::readRaw(dialtest::kInternetSettingsPath, "EnableAutodial");
    EXPECT_EQ(static_cast<DWORD>(REG_BINARY), restored.type);
    EXPECT_EQ(0x11, autodial());
    EXPECT_EQ(0x11u, request.savedAutodial);  // kept after the restore
    EXPECT_EQ(nullptr, request.threadHandle);
    EXPECT_EQ(0, request.connected);
  }
}

// The record never shows "accepted" once Start has returned 1, so a Test right after
// the Start waits for the dial thread instead of reporting no connection at once.
TEST_F(StartTest, TestRightAfterStartWaitsForTheThread) {
  setUserSetting("jane", "Yes");
  DialUpRequest request = dialtest::newRequest("");
  std::thread caller([&] {
    Sleep(100);  // within the grace period
    InterlockedExchange(&request.connected, 1);
  });
  ASSERT_EQ(1, StartDialUpNetworking("jane", nullptr, &request));
  EXPECT_NE(kAccepted, request.threadHandle);
  EXPECT_EQ(1, TestDialUpNetworking(&request));
  caller.join();
  EXPECT_EQ(0, request.connected);
  EXPECT_EQ(0, TestDialUpNetworking(&request));
}

// Threads that end while callers test them: every wait ends, and a call reports the
// connection exactly when it cleared it. Handles freed meanwhile are taken again at once
// by other objects, so a wait on a stale handle would hang or end early.
TEST_F(StartTest, WaitsEndWhileThreadsEndAndHandlesAreReused) {
  setUserSetting("jane", "Yes");
  std::atomic<bool> stop{false};
  std::thread churn([&] {
    while (!stop) {
      qp::UniqueHandle event(CreateEventA(nullptr, TRUE, FALSE, nullptr));
      Sleep(0);
    }
  });
  for (int i = 0; i < 100; ++i) {
    SCOPED_TRACE(i);
    DialUpRequest request = dialtest::newRequest("");
    request.connected = 1;
    ASSERT_EQ(1, StartDialUpNetworking("jane", nullptr, &request));
    struct Tester {
      DialUpRequest* request;
      std::atomic<int> reported{-1};
    } args{&request};
    qp::UniqueHandle tester(CreateThread(
        nullptr, 0,
        [](void* context) -> DWORD {
          auto* self = static_cast<Tester*>(context);
          self->reported = TestDialUpNetworking(self->request);
          return 0;
        },
        &args, 0, nullptr));
    ASSERT_TRUE(tester);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(tester.get(), 10000)) << "the wait hangs";
    while (request.threadHandle != nullptr) Sleep(1);
    const int reported = args.reported;
    EXPECT_EQ(reported == 1, request.connected == 0) << "reported " << reported;
  }
  stop = true;
  churn.join();
}

TEST_F(StartTest, DisableMakesTheNextStartRefuse) {
  setUserSetting("jane", "Yes");
  writeScript(kPhonebook);
  DialUpRequest request = dialtest::newRequest("");
  {
    DialogDriver driver({[](HWND settings) { qptest::press(settings, IDC_DISABLE); }},
                        DialogDriver::Mode::AnyThread);
    ASSERT_EQ(1, StartDialUpNetworking("jane", nullptr, &request));
    EXPECT_EQ(0, TestDialUpNetworking(&request));
    EXPECT_TRUE(driver.allStepsRun());
  }
  EXPECT_EQ("No", userSetting("jane"));
  DialUpRequest again = dialtest::newRequest("");
  EXPECT_EQ(0, StartDialUpNetworking("jane", nullptr, &again));
  EXPECT_EQ(kAccepted, again.threadHandle);
}

TEST_F(StartTest, FinishBringsTheOwnerToTheFrontAndLeavesTheRecordDone) {
  HWND owner = CreateWindowExA(0, "STATIC", "Caller", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10,
                               200, 100, nullptr, nullptr, nullptr, nullptr);
  HWND other = CreateWindowExA(0, "STATIC", "Other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 300, 10,
                               200, 100, nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(owner && other);
  SetForegroundWindow(other);
  ASSERT_EQ(other, GetForegroundWindow());
  dialtest::setAutodial(0);
  DialUpRequest request = dialtest::newRequest();
  request.ownerWindow = owner;
  request.savedAutodial = 0x5;
  qp::UniqueHandle self;
  ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(),
                              self.put(), 0, FALSE, DUPLICATE_SAME_ACCESS));
  request.threadHandle = self.release();  // the finish closes it
  qpras::finishDial(&request);
  EXPECT_EQ(owner, GetForegroundWindow());
  EXPECT_EQ(0x5, autodial());
  EXPECT_EQ(nullptr, request.threadHandle);
  DestroyWindow(owner);
  DestroyWindow(other);
}

}  // namespace
