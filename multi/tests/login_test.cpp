// Log-in and the life of a host session on QPXMULTI.DLL, against real registry profiles
// and real sample mail stores as members: which members open and in which slots, the
// profile password, keeping or ending the sessions, the interactive questions, the
// initialisation of the members, clean-up, polling and the interface description.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "host/mailstore/journal.h"
#include "host/sess/tests/server_log.h"
#include "multi/tests/member_fixture.h"
#include "testing/dialog_driver.h"

namespace {

using membertest::calls;
using membertest::countOf;
using membertest::message;
using membertest::sessionUser;
using qp::mailstore::JournalLine;
using qptest::DialogDriver;

constexpr int32_t kInteractive = 1;
constexpr int32_t kKeep = 2;

class Login : public membertest::MemberTest {
 protected:
  bool logged(const qptest::DebugLogWatch& log, const std::string& text) {
    return log.appended().find(text) != std::string::npos;
  }
};

TEST_F(Login, MembersOpenInLoginOrderIntoConsecutiveSlots) {
  ASSERT_TRUE(qpmulti::WriteProfilePassword(profile_.c_str(), "S3cret"));
  qptest::MailDatabase& alice = addMember(1, "alice", "POP3");
  storetest::setText(memberPath(2), "Interface", "POP3");  // no user name: not a member
  qptest::MailDatabase& bob = addMember(3, "bob", "IMAP", "", "wrong password");
  qptest::MailDatabase& carol = addMember(4, "carol", "smtp");
  ASSERT_TRUE(qpmulti::WriteProfileMember(profile_.c_str(), 5, "dave", nullptr, "pw", nullptr));
  // Login50 is beyond the members a profile can have: a sound member there is never read.
  qptest::MailDatabase& eve = database(membertest::account("eve", "pw-eve"));
  storetest::setText(memberPath(50), "UserName", "eve");
  storetest::setText(memberPath(50), "Interface", "POP3");
  storetest::setText(memberPath(50), "Password", "pw-eve");
  storetest::setText(memberPath(50), "MailDatabase", eve.path());

  qptest::DebugLogWatch log;
  DialogDriver noWindows({});
  void* cell = nullptr;
  // Flags beyond 1 and 2 only travel on to the members.
  EXPECT_EQ(multi_.authenticateUser("ignored", profile_.c_str(), "S3cret", 0x22, &cell), 2);

  ASSERT_NE(cell, nullptr);
  const auto* slots = static_cast<const QPSESSION*>(cell);
  EXPECT_EQ(sessionUser(slots[0]), "alice");
  EXPECT_EQ(sessionUser(slots[1]), "carol");
  for (unsigned i = 2; i < qpmulti::kMemberSlots; ++i) EXPECT_EQ(slots[i], -1) << "slot " << i;

  const std::string tried = JournalLine("AuthenticateUser")
                                .text(alice.path().c_str())
                                .text("alice")
                                .secret()
                                .number(0x22)
                                .finished();
  EXPECT_EQ(alice.journal(), tried);
  EXPECT_EQ(calls(bob.journal()), std::vector<std::string>{"AuthenticateUser"});
  EXPECT_EQ(calls(carol.journal()), std::vector<std::string>{"AuthenticateUser"});
  EXPECT_EQ(eve.journal(), "");

  EXPECT_TRUE(logged(log, message(3612, 5u, "dave"))) << log.appended();
  EXPECT_TRUE(logged(log, message(3613, "IMAP", "bob"))) << log.appended();
  EXPECT_TRUE(noWindows.unexpected().empty()) << noWindows.unexpected().front();

  // The caller owns the table and its sessions now.
  const QPSESSION host = openHost();
  *GetUserData(host, 0, nullptr) = cell;
  multi_.cleanUpAfterUser(host, profile_.c_str());
  EXPECT_EQ(calls(carol.journal()),
            (std::vector<std::string>{"AuthenticateUser", "CleanUpAfterUser"}));
}

TEST_F(Login, ProfilePasswordIgnoresLetterCaseAndRefusesSilently) {
  struct Case {
    const char* stored;  // null: the profile has no password
    const char* given;
    int32_t result;
  };
  const Case cases[] = {
      {"S3cret", "s3CRET", 1}, {"S3cret", "S3cret ", 0}, {"S3cret", "", 0},
      {nullptr, "", 1},        {nullptr, "x", 0},        {nullptr, nullptr, 1},
  };
  qptest::MailDatabase& alice = addMember(1, "alice", "POP3");
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.stored ? c.stored : "(none)") + " / " +
                 (c.given ? c.given : "(null)"));
    ASSERT_TRUE(qpmulti::WriteProfilePassword(profile_.c_str(), c.stored));
    const size_t before = calls(alice.journal()).size();
    qptest::DebugLogWatch log;
    EXPECT_EQ(multi_.authenticateUser("", profile_.c_str(), c.given, 0, nullptr), c.result);
    // Refused: no member is asked and nothing is logged.
    EXPECT_EQ(calls(alice.journal()).size() - before, c.result != 0 ? 2u : 0u);
    if (c.result == 0) {
      EXPECT_EQ(log.appended().find(profile_), std::string::npos) << log.appended();
    }
  }
}

TEST_F(Login, SessionsAreKeptOnlyWithFlagTwoAndACell) {
  struct Case {
    const char* name;
    int32_t flags;
    bool withCell;
    bool membersFail;
    int32_t result;
    bool handedOver;
  };
  const Case cases[] = {
      {"check only", 0, true, false, 2, false},
      {"keep", kKeep, true, false, 2, true},
      {"keep, nobody authenticates", kKeep, true, true, 0, false},
      {"keep without a cell", kKeep, false, false, 2, false},
  };
  void* const poison = reinterpret_cast<void*>(static_cast<intptr_t>(0x5EED));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    resetAreas();
    qptest::MailDatabase& a = addMember(1, "alice", "POP3", "", c.membersFail ? "bad" : nullptr);
    qptest::MailDatabase& b = addMember(2, "bob", "IMAP", "", c.membersFail ? "bad" : nullptr);
    void* cell = poison;
    EXPECT_EQ(
        multi_.authenticateUser("", profile_.c_str(), "", c.flags, c.withCell ? &cell : nullptr),
        c.result);
    for (qptest::MailDatabase* db : {&a, &b}) {
      const size_t ended = countOf(calls(db->journal()), "CleanUpAfterUser");
      EXPECT_EQ(ended, c.membersFail || c.handedOver ? 0u : 1u) << db->journal();
    }
    if (!c.handedOver) {
      EXPECT_EQ(cell, poison);
      continue;
    }
    ASSERT_NE(cell, poison);
    const QPSESSION host = openHost();
    *GetUserData(host, 0, nullptr) = cell;
  }
}

TEST_F(Login, WithoutFlagOneProblemsAreLoggedAndNothingIsShown) {
  DialogDriver noWindows({});
  qptest::DebugLogWatch log;
  void* cell = nullptr;
  // No profile at all.
  EXPECT_EQ(multi_.authenticateUser("", profile_.c_str(), "", kKeep, &cell), 0);
  EXPECT_TRUE(logged(log, message(3608, profile_.c_str()))) << log.appended();
  // A profile whose members do not begin at Login1.
  qptest::MailDatabase& second = addMember(2, "bob", "IMAP");
  ASSERT_TRUE(qpmulti::WriteProfileMember(profile_.c_str(), 3, "dave", nullptr, "pw", nullptr));
  EXPECT_EQ(multi_.authenticateUser("", profile_.c_str(), "", kKeep | 4, &cell), 0);
  EXPECT_TRUE(logged(log, message(3610, profile_.c_str()))) << log.appended();
  EXPECT_EQ(second.journal(), "");
  EXPECT_EQ(cell, nullptr);
  // Members that fail are logged, never shown.
  addMember(1, "carol", "SMTP", "", "bad");
  EXPECT_EQ(multi_.authenticateUser("", profile_.c_str(), "", kKeep, &cell), 1);
  EXPECT_TRUE(logged(log, message(3612, 3u, "dave"))) << log.appended();
  EXPECT_TRUE(logged(log, message(3613, "SMTP", "carol"))) << log.appended();
  EXPECT_TRUE(noWindows.unexpected().empty()) << noWindows.unexpected().front();
  const QPSESSION host = openHost();
  *GetUserData(host, 0, nullptr) = cell;
}

TEST_F(Login, InteractiveLogInShowsFailedMembersAsErrors) {
  qptest::DebugLogWatch log;
  addMember(1, "alice", "POP3");
  ASSERT_TRUE(qpmulti::WriteProfileMember(profile_.c_str(), 2, "dave", nullptr, "pw", nullptr));
  addMember(3, "carol", "SMTP", "", "bad");
  SetEnvironmentVariableA("QP_APP_NAME", "Login Test");
  std::vector<std::string> texts, captions;
  auto acknowledge = [&](HWND box) {
    texts.push_back(qptest::messageBoxText(box));
    captions.push_back(qptest::windowText(box));
    qptest::press(box, IDOK);
  };
  DialogDriver driver({acknowledge, acknowledge});
  void* cell = nullptr;
  EXPECT_EQ(multi_.authenticateUser("", profile_.c_str(), "", kInteractive | kKeep, &cell), 1);
  SetEnvironmentVariableA("QP_APP_NAME", nullptr);
  EXPECT_EQ(texts,
            (std::vector<std::string>{message(3612, 2u, "dave"), message(3613, "SMTP", "carol")}));
  EXPECT_EQ(captions, std::vector<std::string>(2, message(3600, "Login Test")));
  EXPECT_TRUE(driver.unexpected().empty()) << driver.unexpected().front();
  const QPSESSION host = openHost();
  *GetUserData(host, 0, nullptr) = cell;
}

TEST_F(Login, QuestionsAnsweredOtherThanYesEndTheLogIn) {
  struct Case {
    const char* name;
    bool profileExists;
    int answer;
    std::string question;
  };
  const Case cases[] = {
      {"missing profile, No", false, IDNO, message(3608, profile_.c_str()) + GetString(3609, 150)},
      {"missing profile, Cancel", false, IDCANCEL,
       message(3608, profile_.c_str()) + GetString(3609, 150)},
      {"no Login1, No", true, IDNO, message(3610, profile_.c_str()) + GetString(3611, 150)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    resetAreas();
    if (c.profileExists) addMember(2, "bob", "IMAP");
    std::string asked;
    DialogDriver driver({[&](HWND box) {
      asked = qptest::messageBoxText(box);
      qptest::press(box, c.answer);
    }});
    void* cell = nullptr;
    EXPECT_EQ(multi_.authenticateUser("", profile_.c_str(), "", kInteractive | kKeep, &cell), 0);
    EXPECT_EQ(asked, c.question);
    EXPECT_TRUE(driver.allStepsRun());
    EXPECT_TRUE(driver.unexpected().empty()) << driver.unexpected().front();
    EXPECT_EQ(cell, nullptr);
  }
}

// Yes opens the profile dialog; the user adds a member there, and the log-in tries again
// and succeeds.
TEST_F(Login, YesOpensTheProfileDialogAndTheLogInTriesAgain) {
  struct Case {
    const char* name;
    bool profileExists;
    unsigned problem;
  };
  const Case cases[] = {{"missing profile", false, 3608}, {"no Login1", true, 3610}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    resetAreas();
    if (c.profileExists) {
      ASSERT_TRUE(qpmulti::WriteProfilePassword(profile_.c_str(), ""));
    }
    qptest::MailDatabase& alice = database(membertest::account("alice", "pw-alice"));
    std::string asked;
    DialogDriver driver({
        [&](HWND box) {
          asked = qptest::messageBoxText(box);
          qptest::press(box, IDYES);
        },
        [&](HWND dialog) {
          EXPECT_TRUE(qpmulti::WriteProfileMember(profile_.c_str(), 1, "alice", "POP3", "pw-alice",
                                                  alice.path().c_str()));
          PostMessageA(dialog, 0x5400, 0, 0);  // the dialog reloads its member list
          qptest::press(dialog, IDOK);         // Exit
        },
    });
    void* cell = nullptr;
    EXPECT_EQ(multi_.authenticateUser("", profile_.c_str(), "", kInteractive | kKeep, &cell), 1);
    EXPECT_EQ(asked.rfind(message(c.problem, profile_.c_str()), 0), 0u) << asked;
    ASSERT_EQ(driver.titles().size(), 2u);
    EXPECT_EQ(driver.titles()[1], GetString(3617, 150));
    EXPECT_TRUE(driver.unexpected().empty()) << driver.unexpected().front();
    EXPECT_EQ(calls(alice.journal()), std::vector<std::string>{"AuthenticateUser"});
    const QPSESSION host = openHost();
    *GetUserData(host, 0, nullptr) = cell;
  }
}

TEST_F(Login, InitUserLogsInOnceAndPreparesEveryMember) {
  ASSERT_TRUE(qpmulti::WriteProfilePassword(profile_.c_str(), "S3cret"));
  qptest::MailDatabase& alice = addMember(1, "alice", "POP3");
  qptest::MailDatabase& bob = addMember(2, "bob", "IMAP");
  qptest::MailDatabase& carol = addMember(3, "carol", "SMTP");
  const uint32_t hostOptions = 0x1151;  // 0x100, 0x40, 0x10 and two bits of its own
  const QPSESSION host = openHost("s3cret", hostOptions);

  DialogDriver noWindows({});
  multi_.initUser(host, profile_.c_str());
  const std::vector<QPSESSION> slots = table(host);
  ASSERT_EQ(slots.size(), qpmulti::kMemberSlots);
  // The log-in of QPIInitUser is interactive and keeps the sessions: flags 3.
  EXPECT_EQ(alice.journal().rfind(JournalLine("AuthenticateUser")
                                      .text(alice.path().c_str())
                                      .text("alice")
                                      .secret()
                                      .number(3)
                                      .finished(),
                                  0),
            0u)
      << alice.journal();
  struct Expected {
    qptest::MailDatabase* db;
    uint32_t typeBits;
  };
  const Expected expected[] = {{&alice, 0xC}, {&bob, 0x98}, {&carol, 0x8}};
  for (size_t i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(QPGetSessionOptions(slots[i]), hostOptions | 0xA00 | expected[i].typeBits);
    EXPECT_NE(expected[i].db->journal().find(JournalLine("InitUser")
                                                 .number(slots[i])
                                                 .text(sessionUser(slots[i]).c_str())
                                                 .finished()),
              std::string::npos)
        << expected[i].db->journal();
  }

  // A second QPIInitUser finds the table and logs in no more.
  multi_.initUser(host, profile_.c_str());
  EXPECT_EQ(table(host), slots);
  EXPECT_EQ(countOf(calls(alice.journal()), "AuthenticateUser"), 1u);
  EXPECT_EQ(countOf(calls(alice.journal()), "InitUser"), 2u);

  // Later exports copy the host's bits 0x100, 0x40 and 0x10 and leave the others alone.
  QPSetSessionOptions(host, 0x2040);
  multi_.forcePollForNewMail(host, profile_.c_str(), 0, 0);
  EXPECT_EQ(QPGetSessionOptions(slots[0]), 0x1001u | 0x40 | 0xA00 | 0xC);
  EXPECT_EQ(QPGetSessionOptions(slots[1]), 0x1001u | 0x40 | 0xA00 | 0x88);  // IMAP's 0x10 too
  EXPECT_TRUE(noWindows.unexpected().empty()) << noWindows.unexpected().front();
}

TEST_F(Login, CleanUpEndsEveryMemberAndLeavesTheTable) {
  qptest::MailDatabase& alice = addMember(1, "alice", "POP3");
  qptest::MailDatabase& bob = addMember(2, "bob", "IMAP");
  const QPSESSION host = openHost();
  multi_.initUser(host, profile_.c_str());
  const std::vector<QPSESSION> slots = table(host);
  ASSERT_FALSE(slots.empty());
  multi_.cleanUpAfterUser(host, "not read");
  EXPECT_EQ(table(host), slots);
  for (size_t i = 0; i < 2; ++i) {
    qptest::MailDatabase& db = i == 0 ? alice : bob;
    EXPECT_EQ(calls(db.journal()).back(), "CleanUpAfterUser") << db.journal();
    EXPECT_FALSE(GetUserUsername(slots[i], nullptr)) << "member session still open";
  }
}

// A profile member on the multi-session interface itself: the session manager opens it
// without a cell, and its own QPIInitUser logs in to the inner profile.
TEST_F(Login, MemberOfAnotherInterfaceTypeGetsNoTypeBits) {
  const std::string outer = profile_;
  profile_ += "-inner";
  ASSERT_TRUE(qpmulti::WriteProfilePassword(profile_.c_str(), "inner-pw"));
  qptest::MailDatabase& alice = addMember(1, "alice", "POP3");
  const std::string inner = profile_;
  profile_ = outer;
  ASSERT_TRUE(
      qpmulti::WriteProfileMember(outer.c_str(), 1, inner.c_str(), "MULTI", "inner-pw", nullptr));

  const QPSESSION host = openHost("", 0x10);
  multi_.initUser(host, outer.c_str());
  const std::vector<QPSESSION> slots = table(host);
  ASSERT_FALSE(slots.empty());
  char type[QP_TEXT_SMALL] = "";
  GetUserMailboxType(slots[0], type);
  EXPECT_STREQ(type, "MULTI");
  EXPECT_EQ(QPGetSessionOptions(slots[0]), 0x10u | 0xA00);
  // Checked once without a cell (its session ended again), then logged in to stay.
  std::vector<std::string> aliceCalls = calls(alice.journal());
  aliceCalls.resize(4);
  EXPECT_EQ(aliceCalls, (std::vector<std::string>{"AuthenticateUser", "CleanUpAfterUser",
                                                  "AuthenticateUser", "InitUser"}));
  const std::vector<QPSESSION> innerSlots = table(slots[0]);
  ASSERT_FALSE(innerSlots.empty());
  EXPECT_EQ(sessionUser(innerSlots[0]), "alice");
  // The member word (the outer host's and 0xA00), 0xA00 again and POP3's bits.
  EXPECT_EQ(QPGetSessionOptions(innerSlots[0]), 0x10u | 0xA00 | 0xC);
  void* innerTable = *GetUserData(slots[0], 0, nullptr);
  multi_.cleanUpAfterUser(host, outer.c_str());
  EXPECT_EQ(calls(alice.journal()).back(), "CleanUpAfterUser");
  QPfree(innerTable);  // the inner host session, closed by the session manager, held it
  removeUserDirectory(inner);
}

// A profile that reaches itself through its members (here through a second profile)
// must end: the inner log-in to a profile already being logged in is refused.
TEST_F(Login, ProfileThatIsItsOwnMemberIsRefusedThereInsteadOfRecursing) {
  qptest::DebugLogWatch log;
  const std::string outer = profile_;
  const std::string inner = outer + "-loop";
  ASSERT_TRUE(qpmulti::WriteProfilePassword(inner.c_str(), "inner-pw"));
  ASSERT_TRUE(qpmulti::WriteProfileMember(inner.c_str(), 1, outer.c_str(), "MULTI", "", nullptr));
  qptest::MailDatabase& alice = addMember(1, "alice", "POP3");
  ASSERT_TRUE(qpmulti::WriteProfileMember(outer.c_str(), 2, inner.c_str(), "MULTI", "inner-pw", nullptr));

  void* cell = nullptr;
  // alice, and the inner profile, whose only member (the outer profile again) is refused.
  EXPECT_EQ(multi_.authenticateUser("", outer.c_str(), "", kKeep, &cell), 1);
  EXPECT_TRUE(logged(log, "is a member of itself")) << log.appended();
  EXPECT_EQ(calls(alice.journal()).front(), "AuthenticateUser");
  const QPSESSION host = openHost();
  *GetUserData(host, 0, nullptr) = cell;
  multi_.cleanUpAfterUser(host, outer.c_str());
  qpmulti::deleteProfileKey(inner.c_str());
  removeUserDirectory(inner);
}

TEST_F(Login, PollAsksMembersInTurnAndGivesTheFirstNonZeroAnswer) {
  qptest::MailDatabase& pop = addMember(1, "alice", "POP3", "PollResult=9\r\n");
  qptest::MailDatabase* imap[] = {&addMember(2, "bob", "IMAP", "PollResult=0\r\n"),
                                  &addMember(3, "carol", "IMAP", "PollResult=5\r\n"),
                                  &addMember(4, "dave", "IMAP", "PollResult=7\r\n")};
  const QPSESSION host = openHost();
  multi_.initUser(host, profile_.c_str());
  const std::vector<QPSESSION> slots = table(host);
  ASSERT_FALSE(slots.empty());

  // Flag 4 polls only members with option bit 0x80 (IMAP's): 0, 5, 7 give 5.
  EXPECT_EQ(multi_.forcePollForNewMail(host, "", 4, 77), 5);
  EXPECT_EQ(countOf(calls(pop.journal()), "ForcePollForNewMail"), 0u);
  for (int i = 0; i < 3; ++i) {
    EXPECT_NE(imap[i]->journal().find(JournalLine("ForcePollForNewMail")
                                          .number(slots[i + 1])
                                          .text(sessionUser(slots[i + 1]).c_str())
                                          .number(4)
                                          .number(77)
                                          .finished()),
              std::string::npos)
        << imap[i]->journal();
  }
  EXPECT_EQ(multi_.forcePollForNewMail(host, "", 0, 0), 9);
  EXPECT_EQ(countOf(calls(imap[2]->journal()), "ForcePollForNewMail"), 2u)
      << "later members polled too";
}

TEST_F(Login, ExportsWithoutATableGiveTheirNoTableValues) {
  qptest::MailDatabase& alice = addMember(1, "alice", "POP3");
  const QPSESSION noTable = openHost();
  const QPSESSION unknown = 0x7FFF0000;
  for (QPSESSION host : {noTable, unknown}) {
    SCOPED_TRACE(host);
    char buffer[QP_TEXT_LARGE] = "untouched";
    EXPECT_EQ(multi_.getFullName(host, "", buffer), -1);
    EXPECT_EQ(multi_.getFullAddress(host, "", buffer), -1);
    EXPECT_STREQ(buffer, "untouched");
    EXPECT_EQ(multi_.forcePollForNewMail(host, "", 0, 0), 0);
    multi_.cleanUpAfterUser(host, "");
  }
  multi_.initUser(unknown, profile_.c_str());  // no cell: no log-in
  EXPECT_EQ(alice.journal(), "");
}

TEST_F(Login, InterfaceDescribesItself) {
  char description[QP_TEXT_SMALL];
  std::memset(description, 'Z', sizeof description);
  int32_t first = -7, second = -7;
  EXPECT_EQ(multi_.checkInterfaceStatus(description, &first, &second), 1);
  EXPECT_STREQ(description, GetString(3614, 150));
  EXPECT_EQ(first, 256);
  EXPECT_EQ(second, 256);
  EXPECT_EQ(multi_.queryCapabilities(), 0x407u);

  char prompt[QP_TEXT_SMALL] = "poisoned";
  multi_.queryLoginPrompt(1, prompt);
  EXPECT_STREQ(prompt, "poisoned");
  multi_.queryLoginPrompt(0, prompt);
  EXPECT_STREQ(prompt, GetString(3616, 150));
}

}  // namespace
