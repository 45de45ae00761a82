// The member dialog driven through window messages: the interfaces it offers, the fields
// their capabilities show, the credential test before anything is stored, Interface
// Options, Edit from the list (button, double click, Enter), and the look of both dialogs.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "hostapi/qpxcomm.h"
#include "multi/profile_store.h"
#include "multi/tests/dialog_fixture.h"

namespace dialogtest {
namespace {

using namespace qptest;
using storetest::keyExists;

class MemberDialog : public DialogTest {};

void expectClean(const Outcome& run) {
  EXPECT_TRUE(run.allStepsRun);
  EXPECT_TRUE(run.unexpected.empty()) << run.unexpected.front();
  EXPECT_FALSE(run.watchdogFired);
}

// How much wider the open list of a combo box is than its widest entry (negative when an
// entry is cut), measured with the box's own font.
long openListRoom(HWND dialog, int id) {
  HWND box = GetDlgItem(dialog, id);
  HDC dc = GetDC(box);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(box, WM_GETFONT, 0, 0)));
  long widest = 0;
  for (const std::string& entry : listItems(dialog, id)) {
    SIZE size{};
    GetTextExtentPoint32A(dc, entry.c_str(), static_cast<int>(entry.size()), &size);
    widest = std::max(widest, static_cast<long>(size.cx));
  }
  SelectObject(dc, old);
  ReleaseDC(box, dc);
  return static_cast<long>(SendMessageA(box, CB_GETDROPPEDWIDTH, 0, 0)) - widest;
}

void fill(HWND member, const std::string& user, const std::string& password,
          const std::string& database) {
  setItemText(member, QPM_MEMBER_USER, user);
  setItemText(member, QPM_MEMBER_PASSWORD, password);
  setItemText(member, QPM_MEMBER_DATABASE, database);
}

TEST_F(MemberDialog, AddStoresAMemberOnlyAfterItsCredentialsPass) {
  MailDatabase pop(accountText("jane.pop", "right").c_str());
  HWND profile = nullptr, member = nullptr;
  std::vector<std::string> offered, keysWhileRefused{"?"};
  std::string refusal, warning;
  const Outcome run =
      configure("jane", {[&](HWND d) {
                           profile = d;
                           press(d, QPM_ADD);
                         },
                         [&](HWND d) {
                           member = d;
                           offered = listItems(d, QPM_MEMBER_INTERFACE);
                           fill(d, "jane.pop", "wrong", pop.path());
                           selectInterface(d, "POP3");
                           press(d, IDOK);
                         },
                         [&](HWND box) {
                           refusal = messageBoxText(box);
                           keysWhileRefused = memberKeys("jane");
                           press(box, IDOK);
                           afterClosing(box, [&] {  // the member dialog is still open: try again
                             setItemText(member, QPM_MEMBER_PASSWORD, "right");
                             press(member, IDOK);
                             afterClosing(member, [&] { press(profile, IDOK); });
                           });
                         },
                         [&](HWND box) {
                           warning = messageBoxText(box);
                           press(box, IDOK);
                         }});
  expectClean(run);
  EXPECT_EQ(run.titles, (std::vector<std::string>{GetString(3617, 150), GetString(3626, 150),
                                                  boxCaption(), boxCaption()}));
  EXPECT_EQ(offered, kOfferedInterfaces);
  EXPECT_EQ(refusal, message(3613, "POP3", "jane.pop"));
  EXPECT_TRUE(keysWhileRefused.empty());
  EXPECT_EQ(memberKeys("jane"), (std::vector<std::string>{"Login1"}));
  EXPECT_EQ(readMember("jane", 1), (Member{"jane.pop", "POP3", "right", pop.path()}));
  // Refused, then accepted, initialised and ended again, all before the store.
  EXPECT_EQ(journalOperations(pop),
            (std::vector<std::string>{"AuthenticateUser", "AuthenticateUser", "InitUser",
                                      "CleanUpAfterUser"}));
  EXPECT_NE(pop.journal().find("*** 1\r\n"), std::string::npos)
      << "not interactive: " << pop.journal();
  EXPECT_EQ(warning, message(3607));
}

TEST_F(MemberDialog, CapabilitiesShowTheFieldsAndOptionsStoreNothing) {
  MailDatabase pop(accountText("jane.pop", "right").c_str());
  struct Fields {
    bool password, passwordLabel, database, databaseLabel;
  };
  auto fields = [](HWND d) {
    return Fields{itemVisible(d, QPM_MEMBER_PASSWORD), itemVisible(d, QPM_MEMBER_PASSWORD_LABEL),
                  itemVisible(d, QPM_MEMBER_DATABASE), itemVisible(d, QPM_MEMBER_DATABASE_LABEL)};
  };
  HWND profile = nullptr, member = nullptr;
  Fields noPass{}, noDatabase{}, both{};
  std::string firstChoice, caption, options, optionsTitle, deleteQuestion;
  std::vector<std::string> wrongTexts;
  bool openAfterEmptyName = false;
  const Outcome run = configure(
      "jane", {[&](HWND d) {
                 profile = d;
                 press(d, QPM_ADD);
               },
               [&](HWND d) {
                 member = d;
                 caption = windowText(d);
                 const struct {
                   int id;
                   unsigned number;
                 } texts[] = {{QPM_MEMBER_USER_LABEL, 3627},
                              {QPM_MEMBER_PASSWORD_LABEL, 3628},
                              {QPM_MEMBER_INTERFACE_LABEL, 3629},
                              {QPM_MEMBER_DATABASE_LABEL, 3630},
                              {QPM_MEMBER_OPTIONS, 3631},
                              {IDOK, 1021},
                              {IDCANCEL, 1022},
                              {QPM_HELP, 1023}};
                 for (const auto& t : texts) {
                   if (itemText(d, t.id) != GetString(t.number, 150))
                     wrongTexts.push_back(std::to_string(t.id) + ": " + itemText(d, t.id));
                 }
                 firstChoice = itemText(d, QPM_MEMBER_INTERFACE);
                 selectInterface(d, "NOPASS");
                 whenIdle([&, d] {
                   noPass = fields(d);
                   selectInterface(d, "NODB");
                   whenIdle([&, d] {
                     noDatabase = fields(d);
                     selectInterface(d, "POP3");
                     press(d, IDOK);  // without a user name: a beep and nothing else
                     whenIdle([&, d] {
                       both = fields(d);
                       openAfterEmptyName = IsWindow(d) != FALSE;
                       fill(d, "jane.pop", "right", pop.path());
                       press(d, QPM_MEMBER_OPTIONS);
                     });
                   });
                 });
               },
               [&](HWND box) {  // the sample library's own options
                 optionsTitle = windowText(box);
                 options = messageBoxText(box);
                 press(box, IDOK);
                 afterClosing(box, [&] {
                   press(member, IDCANCEL);
                   afterClosing(member, [&] { press(profile, IDOK); });
                 });
               },
               [&](HWND box) {
                 deleteQuestion = messageBoxText(box);
                 press(box, IDYES);
               }});
  expectClean(run);
  EXPECT_EQ(caption, GetString(3626, 150));
  EXPECT_TRUE(wrongTexts.empty()) << wrongTexts.front();
  EXPECT_EQ(firstChoice, kOfferedInterfaces.front());  // a new member starts on the first
  EXPECT_FALSE(noPass.password || noPass.passwordLabel);
  EXPECT_TRUE(noPass.database && noPass.databaseLabel);
  EXPECT_TRUE(noDatabase.password && noDatabase.passwordLabel);
  EXPECT_FALSE(noDatabase.database || noDatabase.databaseLabel);
  EXPECT_TRUE(both.password && both.passwordLabel && both.database && both.databaseLabel);
  EXPECT_TRUE(openAfterEmptyName);
  EXPECT_EQ(optionsTitle, "Sample mail store (POP3)");
  EXPECT_NE(options.find(pop.path()), std::string::npos) << options;
  EXPECT_EQ(journalOperations(pop),
            (std::vector<std::string>{"AuthenticateUser", "InitUser", "ClientConfigure",
                                      "CleanUpAfterUser"}));
  // Options store nothing: the profile stayed empty and was deleted on the way out.
  EXPECT_EQ(deleteQuestion, message(3605));
  EXPECT_FALSE(keyExists(profilePath("jane")));
}

TEST_F(MemberDialog, EditOpensTheMemberUnderTheSelection) {
  MailDatabase third(accountText("user3", "pw3").c_str());
  for (unsigned login = 1; login <= 12; ++login) {
    const std::string n = std::to_string(login);
    writeMember("jane", login,
                Member{"user" + n, login % 2 ? "POP3" : "IMAP", "pw" + n,
                       login == 3 ? third.path() : "C:\\mail\\" + n});
  }
  HWND profile = nullptr;
  Member byButton, byDoubleClick;
  std::string interfaceByButton;
  int selectedAfterCancel = -2, selectedAfterOk = -2;
  const Outcome run =
      configure("jane", {[&](HWND d) {
                           profile = d;
                           selectItem(d, QPM_MEMBER_LIST, 9);
                           press(d, QPM_EDIT);
                         },
                         [&](HWND d) {
                           byButton = Member{itemText(d, QPM_MEMBER_USER), "",
                                             itemText(d, QPM_MEMBER_PASSWORD),
                                             itemText(d, QPM_MEMBER_DATABASE)};
                           interfaceByButton = itemText(d, QPM_MEMBER_INTERFACE);
                           press(d, IDCANCEL);
                           afterClosing(d, [&] {
                             selectedAfterCancel = selectedIndex(profile, QPM_MEMBER_LIST);
                             selectItem(profile, QPM_MEMBER_LIST, 4);
                             doubleClickItem(profile, QPM_MEMBER_LIST);
                           });
                         },
                         [&](HWND d) {
                           byDoubleClick.userName = itemText(d, QPM_MEMBER_USER);
                           press(d, IDCANCEL);
                           afterClosing(d, [&] {
                             selectItem(profile, QPM_MEMBER_LIST, 2);
                             pressKey(profile, QPM_MEMBER_LIST, VK_RETURN);
                           });
                         },
                         [&](HWND d) {  // Login3 by Enter: stored again after its credentials pass
                           EXPECT_EQ(itemText(d, QPM_MEMBER_USER), "user3");
                           press(d, IDOK);
                           afterClosing(d, [&] {
                             selectedAfterOk = selectedIndex(profile, QPM_MEMBER_LIST);
                             press(profile, IDOK);
                           });
                         },
                         [](HWND box) { press(box, IDOK); }});
  expectClean(run);
  EXPECT_EQ(byButton, (Member{"user10", "", "pw10", "C:\\mail\\10"}));
  EXPECT_EQ(interfaceByButton, "IMAP - Sample mail store (IMAP)");
  EXPECT_EQ(selectedAfterCancel, 9);
  EXPECT_EQ(byDoubleClick.userName, "user5");
  EXPECT_EQ(selectedAfterOk, 2);
  EXPECT_EQ(readMember("jane", 3), (Member{"user3", "POP3", "pw3", third.path()}));
  EXPECT_EQ(memberKeys("jane").size(), 12u);
  EXPECT_EQ(journalOperations(third),
            (std::vector<std::string>{"AuthenticateUser", "InitUser", "CleanUpAfterUser"}));
  EXPECT_EQ(run.titles.back(), boxCaption());  // the members changed
}

// Both dialogs with the string table's texts: nothing clipped, nothing overlapping, the
// confirmation field too. With QP_SCREENSHOT_DIR set (a Windows path) the dialogs are
// also captured there as profile_dialog.bmp and member_dialog.bmp.
TEST_F(MemberDialog, BothDialogsShowTheirTextsUnclippedAndApart) {
  writeMember("jane", 1, Member{"jane.pop", "POP3", "secret", "C:\\Mail\\jane"});
  writeMember("jane", 2, Member{"jane.imap", "IMAP", "", ""});
  writeMember("jane", 3, Member{"jane@example.com", "SMTP", "", ""});
  ASSERT_TRUE(qpmulti::WriteProfilePassword("jane", "s3cret"));
  ASSERT_TRUE(qpmulti::WriteInternetInterface("jane", "POP3"));
  const char* directory = std::getenv("QP_SCREENSHOT_DIR");
  const std::string shots = directory != nullptr ? std::string(directory) + "\\" : "";
  bool capturedProfile = true, capturedMember = true;
  long listRoom = -1;  // the open interface list's width less its widest entry
  HWND profile = nullptr;
  std::vector<std::string> profileProblems{"?"}, memberProblems{"?"}, confirmationProblems{"?"};
  const Outcome run = configure(
      "jane", {[&](HWND d) {
                 profile = d;
                 profileProblems = layoutProblems(d);
                 if (!shots.empty())
                   capturedProfile = captureWindow(d, (shots + "profile_dialog.bmp").c_str());
                 selectItem(d, QPM_MEMBER_LIST, 0);
                 press(d, QPM_EDIT);
               },
               [&](HWND d) {
                 memberProblems = layoutProblems(d);
                 listRoom = openListRoom(d, QPM_MEMBER_INTERFACE);
                 if (!shots.empty())
                   capturedMember = captureWindow(d, (shots + "member_dialog.bmp").c_str());
                 press(d, IDCANCEL);
                 afterClosing(d, [&] {
                   typeText(profile, QPM_PASSWORD, "x");
                   whenIdle([&] {
                     confirmationProblems = layoutProblems(profile);
                     press(profile, IDCANCEL);
                   });
                 });
               }});
  expectClean(run);
  auto joined = [](const std::vector<std::string>& problems) {
    std::string all;
    for (const std::string& p : problems) all += p + "\n";
    return all;
  };
  EXPECT_TRUE(profileProblems.empty()) << joined(profileProblems);
  EXPECT_TRUE(memberProblems.empty()) << joined(memberProblems);
  EXPECT_TRUE(confirmationProblems.empty()) << joined(confirmationProblems);
  EXPECT_GE(listRoom, 0) << "the open interface list cuts its widest entry";
  EXPECT_TRUE(capturedProfile);
  EXPECT_TRUE(capturedMember);
}

}  // namespace
}  // namespace dialogtest
