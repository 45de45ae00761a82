// QPXRAS.DLL as the mail server loads it: its exports by name, our RASAPI32.DLL kept
// from attach, a caller that connects within the five-second grace period, and one
// whole dial through the settings dialog and the wait window.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "dialup/dialup_request.h"
#include "dialup/resource.h"
#include "dialup/tests/dialog_steps.h"
#include "dialup/tests/dialup_fixture.h"
#include "testing/dialog_driver.h"

namespace {

using StartProc = int32_t(QPAPI*)(const char*, HWND, DialUpRequest*);
using TestProc = int32_t(QPAPI*)(DialUpRequest*);

class DllTest : public dialtest::DialUpTest {
 protected:
  static void SetUpTestSuite() { library_.reset(LoadLibraryA("QPXRAS.DLL")); }
  static void TearDownTestSuite() { library_.reset(); }
  void SetUp() override {
    ASSERT_TRUE(library_) << "QPXRAS.DLL did not load";
    DialUpTest::SetUp();
    start_ = reinterpret_cast<StartProc>(
        reinterpret_cast<void*>(GetProcAddress(library_.get(), "StartDialUpNetworking")));
    test_ = reinterpret_cast<TestProc>(
        reinterpret_cast<void*>(GetProcAddress(library_.get(), "TestDialUpNetworking")));
    ASSERT_TRUE(start_ && test_);
    setUserSetting("jane", "Yes");
  }
  static qp::UniqueModule library_;
  StartProc start_ = nullptr;
  TestProc test_ = nullptr;
};
qp::UniqueModule DllTest::library_;

TEST_F(DllTest, ExportsItsEntryAndKeepsOurRasService) {
  EXPECT_NE(nullptr, GetProcAddress(library_.get(), "DllEntryPoint"));
  HMODULE ras = GetModuleHandleA("RASAPI32.DLL");
  ASSERT_NE(nullptr, ras);
  EXPECT_NE(nullptr, GetProcAddress(ras, "RasFakeReset"));
  // Kept until detach: the library holds a reference of its own.
  qp::UniqueModule again(LoadLibraryA("RASAPI32.DLL"));
  ASSERT_EQ(ras, again.get());
  again.reset();
  EXPECT_EQ(ras, GetModuleHandleA("RASAPI32.DLL"));
}

// The caller's window belongs to the thread that waits in TestDialUpNetworking; the
// dial thread still brings it to the front as it ends.
TEST_F(DllTest, CallerConnectingWithinTheGracePeriodNeedsNoDialog) {
  writeScript("entry Office | 555-0100 | jane | s3cret\n");
  HWND owner = CreateWindowExA(0, "STATIC", "Caller", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10,
                               200, 100, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(nullptr, owner);
  DialUpRequest request = dialtest::newRequest("");
  std::thread caller([&] {
    Sleep(700);
    InterlockedExchange(&request.connected, 1);
  });
  const auto started = std::chrono::steady_clock::now();
  ASSERT_EQ(1, start_("jane", owner, &request));
  EXPECT_EQ(1, test_(&request));
  const auto took = std::chrono::steady_clock::now() - started;
  caller.join();
  EXPECT_EQ(0, request.connected);
  EXPECT_EQ(nullptr, request.threadHandle);
  EXPECT_EQ(owner, request.ownerWindow);
  EXPECT_GE(took, std::chrono::milliseconds(700));
  EXPECT_LT(took, std::chrono::milliseconds(2500));
  // The settings dialog lists the phonebook first: no call, no dialog.
  EXPECT_TRUE(calls().empty());
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
  EXPECT_EQ(owner, GetForegroundWindow());
  DestroyWindow(owner);
}

TEST_F(DllTest, DialsTheConfirmedChoiceAfterTheGracePeriod) {
  writeScript("entry Office | 555-0100 | jane | s3cret\ndelay 100\ndial PortOpened Connected\n");
  dialtest::setAutodial(1);
  std::string profile;
  qptest::DialogDriver driver(
      {[&](HWND settings) {
         profile = dialtest::selectedText(settings, IDC_PROFILE_LIST);
         qptest::setItemText(settings, IDC_PHONE, "555-0123");
         qptest::press(settings, IDC_OK);
       },
       [](HWND) {}},
      qptest::DialogDriver::Mode::AnyThread);
  DialUpRequest request = dialtest::newRequest("");
  const auto started = std::chrono::steady_clock::now();
  ASSERT_EQ(1, start_("jane", nullptr, &request));
  EXPECT_EQ(1, test_(&request));
  EXPECT_GE(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
  EXPECT_TRUE(driver.unexpected().empty()) << dialtest::lines(driver.unexpected());
  EXPECT_EQ("Office", profile);
  std::vector<dialtest::Call> dials = calls("RasDialA");
  ASSERT_EQ(1u, dials.size());
  EXPECT_EQ("555-0123", dials[0].field("dials"));
  EXPECT_EQ("jane", dials[0].field("user"));
  EXPECT_EQ("****(6)", dials[0].field("password"));  // the journal keeps only the length
  EXPECT_EQ("yes", dials[0].field("stored-password"));
  EXPECT_EQ(reinterpret_cast<HANDLE>(1), request.rasConnection);  // left up
  EXPECT_TRUE(calls("RasHangUpA").empty());
  EXPECT_EQ(1, dialtest::autodial());
}

}  // namespace
