// The settings dialog "DIAL_UP_NETWORKING": its texts, the preselection of
// the profile, the locations and phone number it shows, the credentials Windows stores,
// what OK keeps in the registry, Disable, the timer that closes it once the caller has
// connected, an empty or failing phonebook, and RAS's longest texts.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <string>
#include <vector>

#include "dialup/dialogs.h"
#include "dialup/resource.h"
#include "dialup/tests/dialog_steps.h"
#include "dialup/tests/dialup_fixture.h"
#include "hostapi/qpxcomm.h"
#include "testing/dialog_driver.h"

namespace {

using dialtest::choose;
using dialtest::click;
using dialtest::message;
using dialtest::under;
using qptest::DialogDriver;

const std::string kOfficeKey = under(dialtest::kSettingsPath, "Office");

class SettingsDialogTest : public dialtest::DialUpTest {
 protected:
  void SetUp() override {
    DialUpTest::SetUp();
    writeScript(
        "entry Home | 555-0111 | bob | pw2\n"
        "entry Office | 555-0100 | jane | s3cret\n"
        "entry Office 2 | 555-0200 | jane2 | x\n");
  }
  INT_PTR show() { return qpras::showSettingsDialog(&request_); }
  DialUpRequest request_ = dialtest::newRequest();
};

TEST_F(SettingsDialogTest, ShowsTheStringTableTexts) {
  SetEnvironmentVariableA("QP_APP_NAME", "Quillpost Mail");
  std::vector<std::pair<int, unsigned>> texts = {
      {IDC_PROFILE_LABEL, 3109}, {IDC_LOCATION_LABEL, 3110}, {IDC_PHONE_LABEL, 3111},
      {IDC_NEW_LOCATION, 3112},  {IDC_USER_LABEL, 3113},     {IDC_PASSWORD_LABEL, 3114},
      {IDC_DISABLE, 3115},       {IDC_OK, 1021},             {IDC_CANCEL, 1022},
      {IDC_HELP_BUTTON, 1023}};
  std::string caption, explanation;
  std::vector<std::string> profiles;
  DialogDriver driver({[&](HWND dialog) {
    caption = qptest::windowText(dialog);
    explanation = qptest::itemText(dialog, IDC_EXPLANATION);
    for (const auto& text : texts) {
      SCOPED_TRACE(text.first);
      EXPECT_EQ(message(text.second), qptest::itemText(dialog, text.first));
    }
    profiles = qptest::listItems(dialog, IDC_PROFILE_LIST);
    EXPECT_EQ(qpras::kDialUpHelpCategory, QPGetHelpCategory());
    qptest::press(dialog, IDC_CANCEL);
  }});
  QPSetHelpCategory(0);
  EXPECT_EQ(0, show());
  SetEnvironmentVariableA("QP_APP_NAME", nullptr);
  EXPECT_EQ(message(3105), caption);
  std::string expected = message(3108, 500);
  expected.replace(expected.find("%s"), 2, "Quillpost Mail");
  EXPECT_EQ(expected, explanation);
  EXPECT_EQ((std::vector<std::string>{"Home", "Office", "Office 2"}), profiles);
  // Browsing alone creates the keys of the shown profile and location, nothing more.
  EXPECT_EQ("Corvane", dialtest::keyClass(dialtest::kSettingsPath));
  EXPECT_EQ("Corvane", dialtest::keyClass(under(dialtest::kSettingsPath, "Home")));
  EXPECT_EQ("Corvane", dialtest::keyClass(under(dialtest::kSettingsPath, "Home\\(default)")));
  EXPECT_FALSE(dialtest::readRaw(dialtest::kSettingsPath, "DefaultProfile").found);
}

TEST_F(SettingsDialogTest, PreselectsTheLastProfileThenTheInternetProfileThenTheFirst) {
  struct Case {
    const char* defaultProfile;  // null: no value
    const char* internetProfile;
    const char* selected;
  };
  const Case cases[] = {
      {nullptr, nullptr, "Home"},       {"Office", nullptr, "Office"},
      {"office 2", "Home", "Office 2"}, {"off", nullptr, "Office"},  // first that begins so
      {"Gone", "OFFICE 2", "Office 2"}, {nullptr, "Office", "Office"},
      {"Gone", "Gone too", "Home"},     {"", "Office", "Office"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.defaultProfile ? c.defaultProfile : "-") + " / " +
                 (c.internetProfile ? c.internetProfile : "-"));
    clearSettings();
    if (c.defaultProfile) dialtest::setText(dialtest::kSettingsPath, "DefaultProfile", c.defaultProfile);
    if (c.internetProfile)
      dialtest::setText(dialtest::kRemoteAccessPath, "InternetProfile", c.internetProfile);
    std::string selected;
    DialogDriver driver({[&](HWND dialog) {
      selected = dialtest::selectedText(dialog, IDC_PROFILE_LIST);
      qptest::press(dialog, IDC_CANCEL);
    }});
    EXPECT_EQ(0, show());
    EXPECT_EQ(c.selected, selected);
  }
}

TEST_F(SettingsDialogTest, ListsDefaultFirstAndSelectsTheLastLocationByPrefix) {
  dialtest::setText(dialtest::kSettingsPath, "DefaultProfile", "Office");
  dialtest::setText(kOfficeKey, "DefaultLocation", "wo");
  dialtest::setText(under(kOfficeKey, "Work"), "PhoneNumber", "555-0199");
  dialtest::createKey(under(kOfficeKey, "(Default)"));
  dialtest::createKey(under(kOfficeKey, "Airport"));
  std::vector<std::string> locations;
  std::string selected, phone;
  DialogDriver driver({[&](HWND dialog) {
    locations = qptest::listItems(dialog, IDC_LOCATION_LIST);
    selected = dialtest::selectedText(dialog, IDC_LOCATION_LIST);
    phone = qptest::itemText(dialog, IDC_PHONE);
    qptest::press(dialog, IDC_CANCEL);
  }});
  EXPECT_EQ(0, show());
  ASSERT_EQ(3u, locations.size()) << dialtest::lines(locations);
  EXPECT_EQ("(default)", locations[0]);
  std::vector<std::string> others(locations.begin() + 1, locations.end());
  std::sort(others.begin(), others.end());
  EXPECT_EQ((std::vector<std::string>{"Airport", "Work"}), others);
  EXPECT_EQ("Work", selected);
  EXPECT_EQ("555-0199", phone);
}

TEST_F(SettingsDialogTest, PhoneNumberFollowsTheLocationAndOkKeepsTheShownOne) {
  dialtest::setText(dialtest::kSettingsPath, "DefaultProfile", "Office");
  dialtest::setText(under(kOfficeKey, "Work"), "PhoneNumber", "555-0199");
  dialtest::createKey(under(kOfficeKey, "Travel"));
  std::vector<std::string> seen;
  DialogDriver driver({[&](HWND dialog) {
    std::vector<std::string> locations = qptest::listItems(dialog, IDC_LOCATION_LIST);
    auto indexOf = [&](const char* name) {
      return static_cast<int>(std::find(locations.begin(), locations.end(), name) - locations.begin());
    };
    seen.push_back(qptest::itemText(dialog, IDC_PHONE));  // (default): the entry's own
    choose(dialog, IDC_LOCATION_LIST, indexOf("Work"));
    seen.push_back(qptest::itemText(dialog, IDC_PHONE));
    choose(dialog, IDC_LOCATION_LIST, indexOf("Travel"));  // no number: the box keeps its
    seen.push_back(qptest::itemText(dialog, IDC_PHONE));
    qptest::press(dialog, IDC_OK);
  }});
  EXPECT_EQ(1, show());
  EXPECT_EQ((std::vector<std::string>{"555-0100", "555-0199", "555-0199"}), seen);
  EXPECT_EQ("Travel", dialtest::readRaw(kOfficeKey, "DefaultLocation").text());
  EXPECT_EQ("555-0199", dialtest::readRaw(under(kOfficeKey, "Travel"), "PhoneNumber").text());
}

TEST_F(SettingsDialogTest, CredentialsAreThoseWindowsStoresNotTheOverrides) {
  dialtest::setText(dialtest::kSettingsPath, "DefaultProfile", "Office");
  dialtest::setText(under(kOfficeKey, "(default)"), "UserName", "override");
  dialtest::createKey(under(under(dialtest::kSettingsPath, "Home"), "Cabin"));
  std::vector<std::string> seen;
  DialogDriver driver({[&](HWND dialog) {
    seen.push_back(qptest::itemText(dialog, IDC_USER) + "/" + qptest::itemText(dialog, IDC_PASSWORD));
    choose(dialog, IDC_PROFILE_LIST, 0);  // Home
    seen.push_back(qptest::itemText(dialog, IDC_USER) + "/" + qptest::itemText(dialog, IDC_PASSWORD));
    seen.push_back(dialtest::lines(qptest::listItems(dialog, IDC_LOCATION_LIST)));
    seen.push_back(qptest::itemText(dialog, IDC_PHONE));
    qptest::press(dialog, IDC_CANCEL);
  }});
  EXPECT_EQ(0, show());
  EXPECT_EQ((std::vector<std::string>{"jane/s3cret", "bob/pw2", "(default)\nCabin\n", "555-0111"}),
            seen);
}

TEST_F(SettingsDialogTest, OkKeepsOverridesOnlyWhenTheyDifferIgnoringCase) {
  struct Case {
    const char* user;
    const char* password;
    const char* phone;
    const char* keptUser;  // null: no value
    const char* keptPassword;
    const char* keptPhone;
  };
  const Case cases[] = {
      {"jane", "s3cret", "", nullptr, nullptr, nullptr},
      {"JANE", "S3Cret", "555-0142", nullptr, nullptr, "555-0142"},
      {"john", "s3cret", "555", "john", nullptr, "555"},
      {"jane", "other", "", nullptr, "other", nullptr},
      {"", "", "1", "", "", "1"},
  };
  const std::string work = under(kOfficeKey, "Work");
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.user) + " / " + c.password + " / " + c.phone);
    clearSettings();
    dialtest::setText(dialtest::kSettingsPath, "DefaultProfile", "Office");
    dialtest::setText(kOfficeKey, "DefaultLocation", "Work");
    // Overrides of an earlier confirmation, to be replaced or deleted.
    dialtest::setText(work, "UserName", "old");
    dialtest::setText(work, "Password", "oldpw");
    dialtest::setText(work, "PhoneNumber", "111");
    DialogDriver driver({[&](HWND dialog) {
      qptest::setItemText(dialog, IDC_PHONE, c.phone);
      qptest::setItemText(dialog, IDC_USER, c.user);
      qptest::setItemText(dialog, IDC_PASSWORD, c.password);
      qptest::press(dialog, IDC_OK);
    }});
    EXPECT_EQ(1, show());
    EXPECT_EQ("Office", dialtest::readRaw(dialtest::kSettingsPath, "DefaultProfile").text());
    EXPECT_EQ("Work", dialtest::readRaw(kOfficeKey, "DefaultLocation").text());
    const struct {
      const char* name;
      const char* expected;
    } values[] = {{"UserName", c.keptUser}, {"Password", c.keptPassword}, {"PhoneNumber", c.keptPhone}};
    for (const auto& value : values) {
      dialtest::RawValue stored = dialtest::readRaw(work, value.name);
      EXPECT_EQ(value.expected != nullptr, stored.found) << value.name;
      if (value.expected && stored.found) {
        EXPECT_EQ(static_cast<DWORD>(REG_SZ), stored.type) << value.name;
        EXPECT_EQ(std::string(value.expected), stored.text()) << value.name;
        EXPECT_EQ(std::strlen(value.expected) + 1, stored.data.size()) << value.name;
      }
    }
  }
}

TEST_F(SettingsDialogTest, DisableWritesNoForTheUserAndEndsWithoutDialing) {
  request_ = dialtest::newRequest("walter");
  DialogDriver driver({[&](HWND dialog) { qptest::press(dialog, IDC_DISABLE); }});
  EXPECT_EQ(0, show());
  EXPECT_EQ("No", userSetting("walter"));
  EXPECT_FALSE(dialtest::readRaw(dialtest::kSettingsPath, "DefaultProfile").found);
}

TEST_F(SettingsDialogTest, ClosesItselfSoonAfterTheCallerHasConnected) {
  std::chrono::steady_clock::time_point connectedAt;
  DialogDriver driver({[&](HWND) {
    connectedAt = std::chrono::steady_clock::now();
    InterlockedExchange(&request_.connected, 1);
  }});
  EXPECT_EQ(0, show());
  auto took = std::chrono::steady_clock::now() - connectedAt;
  EXPECT_LT(took, std::chrono::milliseconds(1500));
  EXPECT_EQ(1, request_.connected);  // the dialog leaves it for TestDialUpNetworking
}

TEST_F(SettingsDialogTest, EmptyPhonebookEndsAtOnceAndAFailingOneShowsNoProfiles) {
  writeScript("");
  {
    DialogDriver driver({});
    EXPECT_EQ(0, show());
    EXPECT_TRUE(driver.unexpected().empty()) << dialtest::lines(driver.unexpected());
  }
  // More than the buffer holds, or any other failure: an empty list, and OK says so.
  writeScript("entry Office\nenum-error 603\n");
  std::vector<std::string> profiles = {"?"};
  std::string box, boxCaption;
  DialogDriver driver({
      [&](HWND dialog) {
        profiles = qptest::listItems(dialog, IDC_PROFILE_LIST);
        qptest::press(dialog, IDC_OK);
      },
      [&](HWND messageBox) {
        box = qptest::messageBoxText(messageBox);
        boxCaption = qptest::windowText(messageBox);
        qptest::press(messageBox, IDOK);
        PostMessageA(GetWindow(messageBox, GW_OWNER), WM_COMMAND, IDC_CANCEL, 0);
      },
  });
  EXPECT_EQ(0, show());
  EXPECT_TRUE(profiles.empty()) << dialtest::lines(profiles);
  EXPECT_EQ(message(3101), box);
  EXPECT_EQ(message(3105), boxCaption);
  EXPECT_FALSE(dialtest::readRaw(dialtest::kSettingsPath, "DefaultProfile").found);
}

// RAS allows 256-character profile names and credentials and 128-digit numbers; the
// dialog shows and stores them whole, and cuts longer registry texts to what it holds.
TEST_F(SettingsDialogTest, RasLongestTextsAreKeptWholeAndLongerOnesCut) {
  const std::string name(256, 'P'), user(256, 'u'), password(256, 'w'), phone(128, '5');
  writeScript("entry " + name + " | " + phone + " | " + user + " | " + password + "\n"
              "entry Office | 555-0100 | jane | s3cret\n");
  const std::string office = kOfficeKey;
  const std::string location(255, 'L');  // the longest key name
  dialtest::setText(office, "DefaultLocation", std::string(600, 'L'));  // longer than read
  dialtest::setText(under(office, location), "PhoneNumber", std::string(300, '7'));
  std::vector<std::string> seen;
  DialogDriver driver({
      [&](HWND dialog) {
        seen.push_back(dialtest::selectedText(dialog, IDC_PROFILE_LIST));
        seen.push_back(qptest::itemText(dialog, IDC_PHONE));
        seen.push_back(qptest::itemText(dialog, IDC_USER));
        seen.push_back(qptest::itemText(dialog, IDC_PASSWORD));
        choose(dialog, IDC_PROFILE_LIST, 1);  // Office: the long location, not preselected
        seen.push_back(dialtest::selectedText(dialog, IDC_LOCATION_LIST));
        choose(dialog, IDC_LOCATION_LIST, 1);
        seen.push_back(qptest::itemText(dialog, IDC_PHONE));
        choose(dialog, IDC_PROFILE_LIST, 0);
        qptest::press(dialog, IDC_OK);
      },
  });
  EXPECT_EQ(1, show());
  ASSERT_EQ(6u, seen.size());
  EXPECT_EQ(name, seen[0]);
  EXPECT_EQ(phone, seen[1]);
  EXPECT_EQ(user, seen[2]);
  EXPECT_EQ(password, seen[3]);
  EXPECT_EQ("(default)", seen[4]);
  EXPECT_EQ(std::string(300, '7'), seen[5]);
  EXPECT_EQ(name, dialtest::readRaw(dialtest::kSettingsPath, "DefaultProfile").text());
}

TEST_F(SettingsDialogTest, OkCutsALongPhoneNumberToWhatRasDials) {
  dialtest::setText(dialtest::kSettingsPath, "DefaultProfile", "Office");
  dialtest::setText(under(kOfficeKey, "(default)"), "PhoneNumber", std::string(300, '7'));
  DialogDriver driver({[&](HWND dialog) { qptest::press(dialog, IDC_OK); }});
  EXPECT_EQ(1, show());
  EXPECT_EQ(std::string(128, '7'),
            dialtest::readRaw(under(kOfficeKey, "(default)"), "PhoneNumber").text());
}

}  // namespace
