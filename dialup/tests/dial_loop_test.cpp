// The dial loop with the stand-in dial-up service: a call that connects stays up, Cancel
// hangs up and asks whether to try again, a dropped call asks too, a refused call shows
// RAS's error; and the dial parameters built from the registry and the stored
// credentials.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "dialup/dial_thread.h"
#include "dialup/resource.h"
#include "dialup/settings_store.h"
#include "dialup/tests/dialog_steps.h"
#include "dialup/tests/dialup_fixture.h"
#include "testing/dialog_driver.h"

namespace {

using dialtest::message;
using dialtest::under;
using qptest::DialogDriver;

// The states come 100 ms apart, so that a test's step sees each wait window first.
constexpr char kPhonebook[] = "entry Office | 555-0100 | Jane | pw\ndelay 100\n";

class DialLoopTest : public dialtest::DialUpTest {
 protected:
  qpras::DialOutcome dial() {
    qpras::RasDialParamsA params;
    std::memset(&params, 0, sizeof params);
    params.dwSize = qpras::kRasDialParamsSize;
    std::strcpy(params.szEntryName, "Office");
    std::strcpy(params.szUserName, "jane");
    std::strcpy(params.szPassword, "pw");
    return qpras::dialLoop(&request_, params);
  }
  static std::vector<std::string> names(const std::vector<dialtest::Call>& calls) {
    std::vector<std::string> out;
    for (const dialtest::Call& call : calls)
      out.push_back(call.name + " " + call.field("handle") + " -> " + std::to_string(call.result));
    return out;
  }
  DialUpRequest request_ = dialtest::newRequest();
};

TEST_F(DialLoopTest, ConnectedCallStaysUp) {
  writeScript(std::string(kPhonebook) + "dial PortOpened Authenticate Connected\n");
  std::string caption, progress;
  DialogDriver driver({[&](HWND wait) {
    caption = qptest::windowText(wait);
    progress = qptest::itemText(wait, IDC_WAIT_PROGRESS);
  }});
  EXPECT_EQ(qpras::DialOutcome::Connected, dial());
  EXPECT_EQ(message(3105), caption);
  EXPECT_EQ(message(3102), progress);
  EXPECT_EQ(1, request_.connected);
  EXPECT_EQ(reinterpret_cast<HANDLE>(1), request_.rasConnection);
  std::vector<dialtest::Call> all = calls();
  ASSERT_EQ(1u, all.size()) << dialtest::lines(names(all));
  const dialtest::Call& call = all[0];
  EXPECT_EQ("RasDialA", call.name);
  EXPECT_EQ("no", call.field("extensions"));
  EXPECT_EQ("", call.field("phonebook"));
  EXPECT_EQ("0xFFFFFFFF", call.field("notifier"));
  EXPECT_EQ("yes", call.field("window"));
  EXPECT_EQ("Office", call.field("entry"));
  EXPECT_EQ("", call.field("phone"));
  EXPECT_EQ("555-0100", call.field("dials"));  // an empty number dials the entry's own
  EXPECT_EQ("jane", call.field("user"));
  EXPECT_EQ("", call.field("callback"));
  EXPECT_EQ("", call.field("domain"));
  EXPECT_TRUE(driver.unexpected().empty()) << dialtest::lines(driver.unexpected());
}

TEST_F(DialLoopTest, CancelHangsUpAndYesDialsAgainWithTheSameParameters) {
  writeScript(std::string(kPhonebook) + "dial PortOpened\ndial PortOpened Connected\n");
  std::string question, caption;
  DialogDriver driver({
      [](HWND wait) { qptest::press(wait, IDC_CANCEL); },
      [&](HWND box) {
        question = qptest::messageBoxText(box);
        caption = qptest::windowText(box);
        qptest::press(box, IDYES);
      },
      [](HWND) {},  // the second wait window: the call connects
  });
  EXPECT_EQ(qpras::DialOutcome::Connected, dial());
  EXPECT_EQ(message(3106), question);
  EXPECT_EQ(message(3105), caption);
  EXPECT_EQ(reinterpret_cast<HANDLE>(2), request_.rasConnection);
  std::vector<dialtest::Call> all = calls();
  // Cancel hangs up in the window, the loop once more after it (the service has
  // forgotten the call by then).
  EXPECT_EQ((std::vector<std::string>{"RasDialA 1 -> 0", "RasHangUpA 1 -> 0", "RasHangUpA 1 -> 6",
                                      "RasDialA 2 -> 0"}),
            names(all));
  ASSERT_EQ(4u, all.size());
  EXPECT_EQ(all[0].field("user") + all[0].field("dials"), all[3].field("user") + all[3].field("dials"));
  EXPECT_TRUE(driver.unexpected().empty()) << dialtest::lines(driver.unexpected());
}

TEST_F(DialLoopTest, DroppedCallIsHungUpAndNoGivesUp) {
  writeScript(std::string(kPhonebook) + "dial PortOpened Disconnected\n");
  DialogDriver driver({[](HWND) {}, [](HWND box) { qptest::press(box, IDNO); }});
  EXPECT_EQ(qpras::DialOutcome::GaveUp, dial());
  EXPECT_EQ(0, request_.connected);
  EXPECT_EQ((std::vector<std::string>{"RasDialA 1 -> 0", "RasHangUpA 1 -> 0"}), names(calls()));
  EXPECT_TRUE(driver.allStepsRun());
}

// The message shows the code RasDialA returned (the thread's last error is unrelated),
// then the profile; no retry is offered.
TEST_F(DialLoopTest, RefusedCallShowsRasErrorAndHangsUpAHandedOutConnection) {
  struct Case {
    const char* dial;
    std::vector<std::string> calls;
  };
  const Case cases[] = {
      {"dial error 633\n", {"RasDialA 1 -> 633", "RasHangUpA 1 -> 0"}},
      {"dial error 678 nohandle\n", {"RasDialA 0 -> 678"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.dial);
    writeScript(std::string(kPhonebook) + c.dial);
    resetService();
    DeleteFileA(path("ras-journal.txt").c_str());
    std::string text, caption;
    DialogDriver driver({[](HWND) {},
                         [&](HWND box) {
                           text = qptest::messageBoxText(box);
                           caption = qptest::windowText(box);
                           qptest::press(box, IDOK);
                         }});
    SetLastError(12345);
    EXPECT_EQ(qpras::DialOutcome::Refused, dial());
    const int code = std::stoi(c.calls[0].substr(c.calls[0].find("-> ") + 3));
    char expected[300];
    std::snprintf(expected, sizeof expected, message(3107).c_str(), code, "Office");
    EXPECT_EQ(expected, text);
    EXPECT_EQ(message(3105), caption);
    EXPECT_EQ(c.calls, names(calls()));
    EXPECT_TRUE(driver.unexpected().empty()) << dialtest::lines(driver.unexpected());
  }
}

TEST_F(DialLoopTest, ParametersComeFromTheChoiceAndTheStoredCredentials) {
  struct Case {
    const char* phone;  // null: no value
    const char* user;
    const char* password;
    const char* expectedPhone;
    const char* expectedUser;
    const char* expectedPassword;
  };
  // Stored for Office: Jane / pw.
  const Case cases[] = {
      {nullptr, nullptr, nullptr, "", "Jane", "pw"},
      {"555-0199", nullptr, nullptr, "555-0199", "Jane", "pw"},
      {nullptr, "john", nullptr, "", "john", ""},
      {nullptr, "JANE", nullptr, "", "JANE", "pw"},
      {nullptr, "john", "his", "", "john", "his"},
      {nullptr, nullptr, "mine", "", "Jane", "mine"},
  };
  writeScript(kPhonebook);
  const std::string office = under(dialtest::kSettingsPath, "Office");
  const std::string work = under(office, "Work");
  for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
    const Case& c = cases[i];
    SCOPED_TRACE(i);
    clearSettings();
    dialtest::setText(dialtest::kSettingsPath, "DefaultProfile", "Office");
    dialtest::setText(office, "DefaultLocation", "Work");
    dialtest::createKey(work);
    if (c.phone) dialtest::setText(work, "PhoneNumber", c.phone);
    if (c.user) dialtest::setText(work, "UserName", c.user);
    if (c.password) dialtest::setText(work, "Password", c.password);
    qpras::RasDialParamsA params;
    std::memset(&params, 0x5A, sizeof params);
    qpras::readDialParams(params);
    EXPECT_EQ(qpras::kRasDialParamsSize, params.dwSize);
    EXPECT_STREQ("Office", params.szEntryName);
    EXPECT_STREQ(c.expectedPhone, params.szPhoneNumber);
    EXPECT_STREQ(c.expectedUser, params.szUserName);
    EXPECT_STREQ(c.expectedPassword, params.szPassword);
    EXPECT_STREQ("", params.szCallbackNumber);
    EXPECT_STREQ("", params.szDomain);
  }
  // A number longer than RAS dials is cut to its 128 digits; a location without a key
  // reads nothing and creates nothing.
  clearSettings();
  dialtest::setText(dialtest::kSettingsPath, "DefaultProfile", "Office");
  dialtest::setText(office, "DefaultLocation", "Work");
  dialtest::setText(work, "PhoneNumber", std::string(200, '7'));
  qpras::RasDialParamsA params;
  qpras::readDialParams(params);
  EXPECT_EQ(std::string(128, '7'), params.szPhoneNumber);
  dialtest::setText(office, "DefaultLocation", "Nowhere");
  qpras::readDialParams(params);
  EXPECT_STREQ("", params.szPhoneNumber);
  EXPECT_STREQ("Jane", params.szUserName);
  EXPECT_FALSE(dialtest::keyExists(under(office, "Nowhere")));
}

}  // namespace
