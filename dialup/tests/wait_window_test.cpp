// The wait window "WAITDLG": its texts, the progress text per RAS dial event
// state, the connection marking the request connected, and Cancel hanging up.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dialup/core/ras_types.h"
#include "dialup/resource.h"
#include "dialup/tests/dialog_steps.h"
#include "dialup/tests/dialup_fixture.h"
#include "dialup/wait_window.h"
#include "testing/dialog_driver.h"

namespace {

using dialtest::message;

using WaitWindowTest = dialtest::DialUpTest;

TEST_F(WaitWindowTest, ShowsItsTexts) {
  DialUpRequest request = dialtest::newRequest();
  HWND window = qpras::createWaitWindow(&request);
  ASSERT_NE(nullptr, window);
  EXPECT_EQ(message(3105), qptest::windowText(window));
  EXPECT_EQ(message(3102), qptest::itemText(window, IDC_WAIT_PROGRESS));
  EXPECT_EQ(message(1022), qptest::itemText(window, IDC_CANCEL));
  EXPECT_TRUE(IsWindowVisible(window));
  EXPECT_EQ(window, GetForegroundWindow());
  DestroyWindow(window);
}

TEST_F(WaitWindowTest, ProgressFollowsTheDialEventStates) {
  struct Case {
    std::vector<DWORD> states;
    unsigned text;    // message shown after them, 0: the window is gone
    LONG connected;
  };
  const Case cases[] = {
      {{qpras::kRasPortOpened}, 3103, 0},
      {{qpras::kRasPortOpened, qpras::kRasAuthenticate}, 3104, 0},
      {{qpras::kRasLogonNetwork}, 3104, 0},
      {{qpras::kRasPortOpened, 2, 3, 4, 0x1000}, 3103, 0},  // other states change nothing
      {{0x10001, 0x12000}, 3102, 0},  // the state is the whole value, not its low word
      {{qpras::kRasPortOpened, qpras::kRasConnected}, 0, 1},
      {{qpras::kRasPortOpened, qpras::kRasDisconnected}, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "last state " << c.states.back());
    DialUpRequest request = dialtest::newRequest();
    HWND window = qpras::createWaitWindow(&request);
    ASSERT_NE(nullptr, window);
    const UINT event = qpras::rasDialEventMessage();
    EXPECT_EQ(RegisterWindowMessageA("RasDialEvent"), event);
    for (DWORD state : c.states) SendMessageA(window, event, state, 0);
    if (c.text == 0) {
      EXPECT_FALSE(IsWindow(window));
    } else {
      EXPECT_EQ(message(c.text), qptest::itemText(window, IDC_WAIT_PROGRESS));
      DestroyWindow(window);
    }
    EXPECT_EQ(c.connected, request.connected);
  }
}

TEST_F(WaitWindowTest, CancelHangsUpTheCallAndCloses) {
  DialUpRequest request = dialtest::newRequest();
  request.rasConnection = reinterpret_cast<HANDLE>(7);
  HWND window = qpras::createWaitWindow(&request);
  ASSERT_NE(nullptr, window);
  dialtest::click(window, IDC_CANCEL);
  EXPECT_FALSE(IsWindow(window));
  std::vector<dialtest::Call> hangUps = calls("RasHangUpA");
  ASSERT_EQ(1u, hangUps.size());
  EXPECT_EQ("7", hangUps[0].field("handle"));
  EXPECT_EQ(0, request.connected);
}

}  // namespace
