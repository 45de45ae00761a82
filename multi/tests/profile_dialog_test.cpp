// The profile dialog driven through window messages: its texts, the renumbering rebuild,
// Remove, Up and Dn, the interface for Internet recipients, the profile password with its
// confirmation, leaving an empty profile, a full profile, and a profile that cannot open.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "hostapi/qpxcomm.h"
#include "multi/profile_store.h"
#include "multi/tests/dialog_fixture.h"

namespace dialogtest {
namespace {

using namespace qptest;
using storetest::keyExists;
using storetest::readRaw;
using storetest::setText;

class ProfileDialog : public DialogTest {
 protected:
  const Member alice{"alice", "POP3", "a1", "C:\\mail\\alice"};
  const Member bob{"bob", "IMAP", "b2", "C:\\mail\\bob"};
  const Member carol{"carol", "POP3", "c3", "C:\\mail\\carol"};

  static std::string entry(unsigned login, const Member& m) {
    return std::to_string(login) + ": " + m.userName + "\t" + m.interfaceName + "\t" + m.password +
           "\t" + m.mailDatabase;
  }
  void writeThree() {
    writeMember("jane", 1, alice);
    writeMember("jane", 2, bob);
    writeMember("jane", 3, carol);
  }
};

void expectClean(const Outcome& run) {
  EXPECT_TRUE(run.allStepsRun);
  EXPECT_TRUE(run.unexpected.empty()) << run.unexpected.front();
  EXPECT_FALSE(run.watchdogFired);
}

TEST_F(ProfileDialog, OpensWithItsTextsAndRenumbersTheMembers) {
  // Login1, Login4 (password stored as plain text), and a Login6 without a user name.
  writeMember("jane", 1, alice);
  const std::string login4 = memberPath("jane", 4);
  setText(login4, "UserName", "bob");
  setText(login4, "Interface", "IMAP");
  setText(login4, "Password", "b2");
  setText(login4, "MailDatabase", "C:\\mail\\bob");
  setText(memberPath("jane", 6), "Interface", "POP3");
  ASSERT_TRUE(qpmulti::WriteProfilePassword("jane", "secret"));
  ASSERT_TRUE(qpmulti::WriteInternetInterface("jane", "IMAP"));

  struct Text {
    int id;
    unsigned number;
  };
  const Text texts[] = {{QPM_PASSWORD_LABEL, 3618},
                        {QPM_CONFIRM_LABEL, 3619},
                        {QPM_INTERNET_LABEL, 3620},
                        {QPM_EDIT, 3621},
                        {QPM_ADD, 3622},
                        {QPM_REMOVE, 3623},
                        {IDOK, 1021},
                        {QPM_HELP, 1023},
                        {QPM_UP, 3624},
                        {QPM_DOWN, 3625}};
  std::vector<std::string> wrongTexts, entries, internet;
  std::string password, internetChoice;
  int selected = -2;
  bool confirmationShown = true;
  const Outcome run = configure(
      "jane", {[&](HWND d) {
        for (const Text& t : texts) {
          if (itemText(d, t.id) != GetString(t.number, 150))
            wrongTexts.push_back(std::to_string(t.id) + ": " + itemText(d, t.id));
        }
        entries = listItems(d, QPM_MEMBER_LIST);
        selected = selectedIndex(d, QPM_MEMBER_LIST);
        internet = listItems(d, QPM_INTERNET_INTERFACE);
        internetChoice = itemText(d, QPM_INTERNET_INTERFACE);
        password = itemText(d, QPM_PASSWORD);
        confirmationShown = itemVisible(d, QPM_CONFIRM) || itemVisible(d, QPM_CONFIRM_LABEL);
        press(d, IDOK);
      }});
  expectClean(run);
  ASSERT_EQ(run.titles.size(), 1u);
  EXPECT_EQ(run.titles[0], GetString(3617, 150));
  EXPECT_TRUE(wrongTexts.empty()) << wrongTexts.front();
  EXPECT_EQ(entries, (std::vector<std::string>{entry(1, alice), entry(2, bob)}));
  EXPECT_EQ(selected, 0);
  EXPECT_EQ(internet, (std::vector<std::string>{GetString(3615, 150), "IMAP", "POP3"}));
  EXPECT_EQ(internetChoice, "IMAP");
  EXPECT_EQ(password, "secret");
  EXPECT_FALSE(confirmationShown);

  EXPECT_EQ(memberKeys("jane"), (std::vector<std::string>{"Login1", "Login2"}));
  EXPECT_EQ(readMember("jane", 1), alice);
  EXPECT_EQ(readMember("jane", 2), bob);
  // The moved password is stored scrambled under the member's own name.
  EXPECT_FALSE(readRaw(memberPath("jane", 2), "Password").found);
  EXPECT_TRUE(readRaw(memberPath("jane", 2), "ProfileData").found);
}

TEST_F(ProfileDialog, RemoveAsksAndDeletesOnlyOnYes) {
  writeThree();
  HWND profile = nullptr;
  std::string question;
  std::vector<std::string> afterNo, afterYes;
  int selectedAfterNo = -2, selectedAfterYes = -2;
  std::string warning;
  const Outcome run = configure(
      "jane", {[&](HWND d) {
                 profile = d;
                 selectItem(d, QPM_MEMBER_LIST, 1);
                 press(d, QPM_REMOVE);
               },
               [&](HWND box) {
                 question = messageBoxText(box);
                 press(box, IDNO);
                 afterClosing(box, [&] {
                   afterNo = listItems(profile, QPM_MEMBER_LIST);
                   selectedAfterNo = selectedIndex(profile, QPM_MEMBER_LIST);
                   selectItem(profile, QPM_MEMBER_LIST, 1);
                   pressKey(profile, QPM_MEMBER_LIST, VK_DELETE);  // Remove by the keyboard
                 });
               },
               [&](HWND box) {
                 press(box, IDYES);
                 afterClosing(box, [&] {
                   afterYes = listItems(profile, QPM_MEMBER_LIST);
                   selectedAfterYes = selectedIndex(profile, QPM_MEMBER_LIST);
                   press(profile, IDOK);
                 });
               },
               [&](HWND box) {
                 warning = messageBoxText(box);
                 press(box, IDOK);
               }});
  expectClean(run);
  EXPECT_EQ(question, message(3603, "2: bob IMAP"));
  EXPECT_EQ(afterNo, (std::vector<std::string>{entry(1, alice), entry(2, bob), entry(3, carol)}));
  EXPECT_EQ(selectedAfterNo, 1);
  EXPECT_EQ(afterYes, (std::vector<std::string>{entry(1, alice), entry(2, carol)}));
  EXPECT_EQ(selectedAfterYes, 1);
  EXPECT_EQ(memberKeys("jane"), (std::vector<std::string>{"Login1", "Login2"}));
  EXPECT_EQ(readMember("jane", 2), carol);
  EXPECT_EQ(warning, message(3607));
}

TEST_F(ProfileDialog, UpAndDnSwapNeighboursButNotPastTheEnds) {
  writeThree();
  std::vector<std::string> afterFirstUp, afterLastDn;
  const Outcome idle = configure("jane", {[&](HWND d) {
                                   selectItem(d, QPM_MEMBER_LIST, 0);
                                   press(d, QPM_UP);
                                   whenIdle([&, d] {
                                     afterFirstUp = listItems(d, QPM_MEMBER_LIST);
                                     selectItem(d, QPM_MEMBER_LIST, 2);
                                     press(d, QPM_DOWN);
                                     whenIdle([&, d] {
                                       afterLastDn = listItems(d, QPM_MEMBER_LIST);
                                       press(d, IDOK);
                                     });
                                   });
                                 }});
  expectClean(idle);  // nothing changed: no warning after the dialog
  const std::vector<std::string> unchanged{entry(1, alice), entry(2, bob), entry(3, carol)};
  EXPECT_EQ(afterFirstUp, unchanged);
  EXPECT_EQ(afterLastDn, unchanged);

  std::vector<std::string> afterUp, afterDn;
  int selectedAfterUp = -2, selectedAfterDn = -2;
  bool swapKeyDuringDialog = true;
  const Outcome moved =
      configure("jane", {[&](HWND d) {
                           selectItem(d, QPM_MEMBER_LIST, 1);
                           press(d, QPM_UP);
                           whenIdle([&, d] {
                             afterUp = listItems(d, QPM_MEMBER_LIST);
                             selectedAfterUp = selectedIndex(d, QPM_MEMBER_LIST);
                             selectItem(d, QPM_MEMBER_LIST, 1);
                             press(d, QPM_DOWN);
                             whenIdle([&, d] {
                               afterDn = listItems(d, QPM_MEMBER_LIST);
                               selectedAfterDn = selectedIndex(d, QPM_MEMBER_LIST);
                               swapKeyDuringDialog = keyExists(memberPath("jane", 1001));
                               press(d, IDOK);
                             });
                           });
                         },
                         [](HWND box) { press(box, IDOK); }});
  expectClean(moved);
  EXPECT_EQ(moved.titles.back(), boxCaption());
  EXPECT_EQ(afterUp, (std::vector<std::string>{entry(1, bob), entry(2, alice), entry(3, carol)}));
  EXPECT_EQ(selectedAfterUp, 0);
  EXPECT_EQ(afterDn, (std::vector<std::string>{entry(1, bob), entry(2, carol), entry(3, alice)}));
  EXPECT_EQ(selectedAfterDn, 2);
  EXPECT_FALSE(swapKeyDuringDialog);
  EXPECT_EQ(memberKeys("jane"), (std::vector<std::string>{"Login1", "Login2", "Login3"}));
  EXPECT_EQ(readMember("jane", 1), bob);
  EXPECT_EQ(readMember("jane", 2), carol);
  EXPECT_EQ(readMember("jane", 3), alice);
}

TEST_F(ProfileDialog, InternetInterfaceIsStoredAtOnceAndNoneDeletesIt) {
  writeThree();
  ASSERT_TRUE(qpmulti::WriteInternetInterface("jane", "pop3"));  // matched regardless of case
  std::string initial, afterImap;
  bool foundAfterNone = true;
  const Outcome run = configure(
      "jane", {[&](HWND d) {
        initial = itemText(d, QPM_INTERNET_INTERFACE);
        selectItem(d, QPM_INTERNET_INTERFACE, entryIndex(d, QPM_INTERNET_INTERFACE, "IMAP"));
        whenIdle([&, d] {
          afterImap = readRaw(profilePath("jane"), "InternetInterface").text();
          selectItem(d, QPM_INTERNET_INTERFACE,
                     entryIndex(d, QPM_INTERNET_INTERFACE, GetString(3615, 150)));
          whenIdle([&, d] {
            foundAfterNone = readRaw(profilePath("jane"), "InternetInterface").found;
            press(d, IDOK);
          });
        });
      }});
  expectClean(run);
  EXPECT_EQ(initial, "POP3");
  EXPECT_EQ(afterImap, "IMAP");
  EXPECT_FALSE(foundAfterNone);
}

TEST_F(ProfileDialog, ANewPasswordNeedsItsConfirmationTheStoredOneDoesNot) {
  writeMember("jane", 1, alice);
  ASSERT_TRUE(qpmulti::WriteProfilePassword("jane", "Old1"));
  HWND profile = nullptr;
  std::string refusal;
  bool confirmationShown = false, confirmationFocused = false;
  const Outcome refused = configure(
      "jane", {[&](HWND d) {
                 profile = d;
                 typeText(d, QPM_PASSWORD, "new1");
                 press(d, IDOK);
               },
               [&](HWND box) {
                 refusal = messageBoxText(box);
                 press(box, IDOK);
                 afterClosing(box, [&] {
                   confirmationShown =
                       itemVisible(profile, QPM_CONFIRM) && itemVisible(profile, QPM_CONFIRM_LABEL);
                   confirmationFocused = GetFocus() == GetDlgItem(profile, QPM_CONFIRM);
                   typeText(profile, QPM_CONFIRM, "NEW1");  // confirmed regardless of case
                   press(profile, IDOK);
                 });
               }});
  expectClean(refused);
  EXPECT_EQ(refusal, message(3606));
  EXPECT_TRUE(confirmationShown);
  EXPECT_TRUE(confirmationFocused);
  char stored[151];
  qpmulti::ReadProfilePassword("jane", stored, sizeof stored);
  EXPECT_STREQ(stored, "new1");

  // The stored password typed again (in other letter case) needs no confirmation and is
  // not rewritten; Cancel never stores a new one.
  expectClean(configure("jane", {[](HWND d) {
                          typeText(d, QPM_PASSWORD, "NEW1");
                          press(d, IDOK);
                        }}));
  expectClean(configure("jane", {[](HWND d) {
                          typeText(d, QPM_PASSWORD, "other");
                          typeText(d, QPM_CONFIRM, "other");
                          press(d, IDCANCEL);
                        }}));
  qpmulti::ReadProfilePassword("jane", stored, sizeof stored);
  EXPECT_STREQ(stored, "new1");
}

TEST_F(ProfileDialog, LeavingAnEmptyProfileAsksToDeleteIt) {
  HWND profile = nullptr;
  std::string question;
  bool openAfterNo = false, keyAfterNo = false;
  const Outcome run =
      configure("jane", {[&](HWND d) {
                           profile = d;
                           press(d, IDOK);
                         },
                         [&](HWND box) {
                           question = messageBoxText(box);
                           press(box, IDNO);
                           afterClosing(box, [&] {
                             openAfterNo = IsWindow(profile) != FALSE;
                             keyAfterNo = keyExists(profilePath("jane"));
                             pressKey(profile, QPM_MEMBER_LIST, VK_ESCAPE);  // Cancel asks the same
                           });
                         },
                         [](HWND box) { press(box, IDYES); }});
  expectClean(run);
  EXPECT_EQ(question, message(3605));
  EXPECT_EQ(run.titles,
            (std::vector<std::string>{GetString(3617, 150), boxCaption(), boxCaption()}));
  EXPECT_TRUE(openAfterNo);
  EXPECT_TRUE(keyAfterNo);
  EXPECT_FALSE(keyExists(profilePath("jane")));
}

TEST_F(ProfileDialog, AddOnAFullProfileIsRefusedWithoutStoringAnything) {
  for (unsigned login = 1; login <= 49; ++login)
    writeMember("jane", login, Member{"user" + std::to_string(login), "POP3", "", ""});
  HWND profile = nullptr;
  std::string refusal;
  const Outcome run = configure("jane", {[&](HWND d) {
                                           profile = d;
                                           press(d, QPM_ADD);
                                         },
                                         [&](HWND box) {
                                           refusal = messageBoxText(box);
                                           press(box, IDOK);
                                           afterClosing(box, [&] { press(profile, IDOK); });
                                         }});
  expectClean(run);  // no member dialog, no warning
  EXPECT_EQ(run.titles, (std::vector<std::string>{GetString(3617, 150), boxCaption()}));
  EXPECT_EQ(refusal, message(3632, 49u));
  EXPECT_EQ(memberKeys("jane").size(), 49u);
  EXPECT_FALSE(keyExists(memberPath("jane", 50)));
}

TEST_F(ProfileDialog, AProfileThatCannotBeOpenedIsReportedWithoutADialog) {
  std::string report;
  const Outcome run = configure("bad\\name", {[&](HWND box) {
                                  report = messageBoxText(box);
                                  press(box, IDOK);
                                }});
  expectClean(run);
  EXPECT_EQ(run.titles, (std::vector<std::string>{boxCaption()}));
  EXPECT_EQ(report, message(3601, "bad\\name"));
}

}  // namespace
}  // namespace dialogtest
