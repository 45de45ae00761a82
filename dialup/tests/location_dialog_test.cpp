// The location dialog "NEW_LOCATION": its texts, empty fields sending the
// user back, a new location stored, listed and selected, and the name of a listed
// location announced before its number is replaced.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dialup/dialogs.h"
#include "dialup/resource.h"
#include "dialup/tests/dialog_steps.h"
#include "dialup/tests/dialup_fixture.h"
#include "testing/dialog_driver.h"

namespace {

using dialtest::click;
using dialtest::message;
using dialtest::under;
using qptest::DialogDriver;

const std::string kOfficeKey = under(dialtest::kSettingsPath, "Office");

// What the settings dialog shows once the location dialog has ended.
struct Outcome {
  std::vector<std::string> locations;
  std::string selected;
  std::string phone;
};

class LocationDialogTest : public dialtest::DialUpTest {
 protected:
  void SetUp() override {
    DialUpTest::SetUp();
    writeScript("entry Office | 555-0100 | jane | s3cret\n");
    dialtest::setText(under(kOfficeKey, "Work"), "PhoneNumber", "555-0199");
  }

  // Opens the settings dialog, then the location dialog, where `enter` acts; the
  // settings dialog is read and cancelled afterwards. `more` answers later windows.
  Outcome run(const qptest::Step& enter, std::vector<qptest::Step> more = {}) {
    Outcome outcome;
    std::vector<qptest::Step> steps = {
        [](HWND settings) { qptest::press(settings, IDC_NEW_LOCATION); },
        [&, enter](HWND location) {
          HWND settings = GetWindow(location, GW_OWNER);
          enter(location);
          if (IsWindow(location)) click(location, IDC_CANCEL);
          outcome.locations = qptest::listItems(settings, IDC_LOCATION_LIST);
          outcome.selected = dialtest::selectedText(settings, IDC_LOCATION_LIST);
          outcome.phone = qptest::itemText(settings, IDC_PHONE);
          qptest::press(settings, IDC_CANCEL);
        }};
    steps.insert(steps.end(), more.begin(), more.end());
    DialogDriver driver(steps);
    DialUpRequest request = dialtest::newRequest();
    EXPECT_EQ(0, qpras::showSettingsDialog(&request));
    EXPECT_TRUE(driver.allStepsRun());
    EXPECT_TRUE(driver.unexpected().empty()) << dialtest::lines(driver.unexpected());
    return outcome;
  }
};

TEST_F(LocationDialogTest, EmptyFieldsSendTheUserBackAndSaveNothing) {
  std::vector<std::string> texts;
  std::vector<bool> stillOpen;
  std::vector<int> focused;
  run([&](HWND location) {
    texts = {qptest::windowText(location), qptest::itemText(location, IDC_NEW_LOCATION_NAME_LABEL),
             qptest::itemText(location, IDC_NEW_LOCATION_PHONE_LABEL),
             qptest::itemText(location, IDC_OK), qptest::itemText(location, IDC_CANCEL),
             qptest::itemText(location, IDC_HELP_BUTTON)};
    click(location, IDC_OK);  // both empty
    stillOpen.push_back(IsWindow(location) && IsWindowEnabled(location));
    focused.push_back(GetDlgCtrlID(GetFocus()));
    qptest::setItemText(location, IDC_NEW_LOCATION_NAME, "Travel");
    click(location, IDC_OK);  // phone empty
    stillOpen.push_back(IsWindow(location) != FALSE);
    focused.push_back(GetDlgCtrlID(GetFocus()));
  });
  EXPECT_EQ((std::vector<std::string>{message(3116), message(3117), message(3118), message(1021),
                                      message(1022), message(1023)}),
            texts);
  EXPECT_EQ((std::vector<bool>{true, true}), stillOpen);
  EXPECT_EQ((std::vector<int>{IDC_NEW_LOCATION_NAME, IDC_NEW_LOCATION_PHONE}), focused);
  EXPECT_FALSE(dialtest::keyExists(under(kOfficeKey, "Travel")));
}

TEST_F(LocationDialogTest, NewLocationIsStoredListedAndSelected) {
  Outcome outcome = run([](HWND location) {
    qptest::setItemText(location, IDC_NEW_LOCATION_NAME, "Travel");
    qptest::setItemText(location, IDC_NEW_LOCATION_PHONE, "555-0177");
    click(location, IDC_OK);
  });
  EXPECT_EQ("Travel", outcome.locations.back());
  EXPECT_EQ("Travel", outcome.selected);
  EXPECT_EQ("555-0177", outcome.phone);
  EXPECT_EQ("555-0177", dialtest::readRaw(under(kOfficeKey, "Travel"), "PhoneNumber").text());
  EXPECT_EQ("Corvane", dialtest::keyClass(under(kOfficeKey, "Travel")));
}

TEST_F(LocationDialogTest, ListedLocationIsAnnouncedThenItsNumberReplaced) {
  std::string notice, caption;
  Outcome outcome = run(
      [](HWND location) {
        qptest::setItemText(location, IDC_NEW_LOCATION_NAME, "WORK");
        qptest::setItemText(location, IDC_NEW_LOCATION_PHONE, "555-0188");
        click(location, IDC_OK);
      },
      {[&](HWND box) {
        notice = qptest::messageBoxText(box);
        caption = qptest::windowText(box);
        qptest::press(box, IDOK);
      }});
  EXPECT_EQ(message(3100), notice);
  EXPECT_EQ(message(3116), caption);
  EXPECT_EQ(2u, outcome.locations.size()) << dialtest::lines(outcome.locations);
  EXPECT_EQ("Work", outcome.selected);
  EXPECT_EQ("555-0188", outcome.phone);
  EXPECT_EQ("555-0188", dialtest::readRaw(under(kOfficeKey, "Work"), "PhoneNumber").text());
}

// A name that only begins like a listed one is a new location: announcing it as
// existing and selecting the other would have the next OK overwrite the other's number.
TEST_F(LocationDialogTest, NameThatOnlyBeginsLikeAListedOneIsNew) {
  Outcome outcome = run([](HWND location) {
    qptest::setItemText(location, IDC_NEW_LOCATION_NAME, "Wo");
    qptest::setItemText(location, IDC_NEW_LOCATION_PHONE, "555-0166");
    click(location, IDC_OK);
  });
  EXPECT_EQ("Wo", outcome.selected);
  EXPECT_EQ(3u, outcome.locations.size()) << dialtest::lines(outcome.locations);
  EXPECT_EQ("555-0199", dialtest::readRaw(under(kOfficeKey, "Work"), "PhoneNumber").text());
  EXPECT_EQ("555-0166", dialtest::readRaw(under(kOfficeKey, "Wo"), "PhoneNumber").text());
}

}  // namespace
