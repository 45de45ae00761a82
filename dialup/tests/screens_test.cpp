// The three dial-up windows with the string table's texts and a realistic phonebook:
// nothing clipped, nothing overlapping. With QP_SCREENSHOT_DIR set (a Windows path)
// they are also captured there as dialup_settings.bmp, dialup_new_location.bmp and
// dialup_wait.bmp (make screenshots).
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "dialup/core/ras_types.h"
#include "dialup/dialogs.h"
#include "dialup/resource.h"
#include "dialup/tests/dialog_steps.h"
#include "dialup/tests/dialup_fixture.h"
#include "dialup/wait_window.h"
#include "testing/dialog_driver.h"

namespace {

using dialtest::under;

using Screens = dialtest::DialUpTest;

// Under Wine the first window a process captures sometimes comes out blank (white, with
// only a focus rectangle), however long it has been shown; the captures after it are
// sound. So a throwaway window is captured first.
void warmUpCapture(const std::string& path) {
  HWND window = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 40, 20, nullptr,
                                nullptr, nullptr, nullptr);
  if (window == nullptr) return;
  qptest::captureWindow(window, path.c_str());
  DestroyWindow(window);
  DeleteFileA(path.c_str());
}

TEST_F(Screens, DialUpWindowsShowTheirTextsUnclippedAndApart) {
  writeScript(
      "entry Office Dial-Up | 555-0100 | jane.doe | s3cret\n"
      "entry Home ISP | 555-0111 | jdoe | pw\n");
  const std::string office = under(dialtest::kSettingsPath, "Office Dial-Up");
  dialtest::setText(dialtest::kSettingsPath, "DefaultProfile", "Office Dial-Up");
  dialtest::setText(office, "DefaultLocation", "Hotel");
  dialtest::setText(under(office, "Hotel"), "PhoneNumber", "9,555-0100");
  const char* directory = std::getenv("QP_SCREENSHOT_DIR");
  const std::string shots = directory != nullptr ? std::string(directory) + "\\" : "";
  std::vector<std::string> problems;
  auto check = [&](HWND window, const char* name) {
    for (const std::string& problem : qptest::layoutProblems(window))
      problems.push_back(std::string(name) + ": " + problem);
    if (!shots.empty()) {
      EXPECT_TRUE(qptest::captureWindow(window, (shots + name).c_str())) << name;
    }
  };

  if (!shots.empty()) warmUpCapture(shots + "warm-up.bmp");
  DialUpRequest request = dialtest::newRequest();
  {
    qptest::DialogDriver driver({
        [&](HWND settings) {
          check(settings, "dialup_settings.bmp");
          qptest::press(settings, IDC_NEW_LOCATION);
        },
        [&](HWND location) {
          qptest::setItemText(location, IDC_NEW_LOCATION_NAME, "Airport Lounge");
          qptest::setItemText(location, IDC_NEW_LOCATION_PHONE, "1-800-555-0199");
          check(location, "dialup_new_location.bmp");
          dialtest::click(location, IDC_CANCEL);
          qptest::press(GetWindow(location, GW_OWNER), IDC_CANCEL);
        },
    });
    EXPECT_EQ(0, qpras::showSettingsDialog(&request));
    EXPECT_TRUE(driver.allStepsRun());
  }

  HWND wait = qpras::createWaitWindow(&request);
  ASSERT_NE(nullptr, wait);
  SendMessageA(wait, qpras::rasDialEventMessage(), qpras::kRasAuthenticate, 0);
  check(wait, "dialup_wait.bmp");
  DestroyWindow(wait);
  EXPECT_TRUE(problems.empty()) << dialtest::lines(problems);
}

}  // namespace
