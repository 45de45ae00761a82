// Member sessions: authentication through the interface library, what the opened session
// holds, the reasons a member is refused, and the life of the library behind the sessions.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "host/mailstore/journal.h"
#include "host/mailstore/tests/mail_database.h"
#include "host/sess/tests/server_log.h"
#include "hostapi/qpxcomm.h"
#include "hostapi/qpxsess.h"

namespace {

using qp::mailstore::JournalLine;

std::string sessionText(int32_t(QPAPI* get)(QPSESSION, char*), QPSESSION session) {
  char buffer[QP_TEXT_SMALL];
  std::memset(buffer, 'Z', sizeof buffer);
  get(session, buffer);
  return buffer;
}

class SessionTest : public ::testing::Test {
 protected:
  qptest::MailDatabase database_{qptest::accountText("Jane", "Pa55").c_str()};
};

TEST_F(SessionTest, AcceptedMemberGetsASessionTypedByItsInterface) {
  QPSESSION session =
      QPiAuthenticateUser("jane", "Pa55", "pop3", database_.path().c_str(), 3, nullptr);
  ASSERT_NE(session, QP_NO_SESSION);
  EXPECT_EQ(sessionText(GetUserMailboxType, session), "POP3");
  EXPECT_EQ(sessionText(GetUserUsername, session), "jane");
  EXPECT_EQ(sessionText(GetUserPassword, session), "Pa55");
  EXPECT_EQ(sessionText(GetUserMailDatabase, session), database_.path());
  // The library saw the call with the manager's arguments; the password stays out of it.
  const std::string called = JournalLine("AuthenticateUser")
                                 .text(database_.path().c_str())
                                 .text("jane")
                                 .secret()
                                 .number(3)
                                 .finished();
  EXPECT_NE(database_.journal().find(called), std::string::npos) << database_.journal();
  QPiCleanUpAfterUser(session, "jane");
}

TEST_F(SessionTest, RefusedMembersGetNoSessionAndALogLineSayingWhy) {
  struct Case {
    const char* userName;
    const char* password;
    const char* interfaceName;
    const char* logged;  // part of the debug-log line
  };
  const std::string longName(41, 'a');
  const Case cases[] = {
      {"jAnE", "pa55", "pop3", "QPXPOP3.DLL refused the credentials"},  // password case
      {"jane-unknown", "Pa55", "nosuch", "cannot load interface library"},
      {"jane-no-export", "Pa55", "comm", "QPXCOMM.DLL has no export QPIAuthenticateUser"},
      {"jane-parent", "Pa55", "..\\pop3", "refused interface name \"..\\pop3\""},
      {"jane-path", "Pa55", "bin\\..\\pop3", "refused interface name"},
      {"jane-empty", "Pa55", "", "refused interface name \"\""},
      {"jane-null", "Pa55", nullptr, "refused interface name \"\""},
      {"jane-long", "Pa55", longName.c_str(), "refused interface name"},
      {"jane-dot", "Pa55", "pop3.dll", "refused interface name"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.userName);
    qptest::DebugLogWatch log;
    EXPECT_EQ(QPiAuthenticateUser(c.userName, c.password, c.interfaceName, database_.path().c_str(),
                                  0, nullptr),
              QP_NO_SESSION);
    std::string expected =
        std::string("QPiAuthenticateUser: user \"") + c.userName + "\": " + c.logged;
    EXPECT_NE(log.appended().find(expected), std::string::npos) << log.appended();
  }
  // A refused library is not kept loaded.
  EXPECT_EQ(::GetModuleHandleA("QPXPOP3.DLL"), nullptr);
}

TEST_F(SessionTest, MissingMailDatabaseIsRefused) {
  qptest::DebugLogWatch log;
  std::string missing = database_.path() + "\\missing";
  EXPECT_EQ(QPiAuthenticateUser("jane", "Pa55", "pop3", missing.c_str(), 0, nullptr),
            QP_NO_SESSION);
  EXPECT_NE(log.appended().find("QPXPOP3.DLL refused the credentials"), std::string::npos);
}

TEST_F(SessionTest, CleanUpEndsTheSessionAndTheLastOneReleasesTheLibrary) {
  ASSERT_EQ(::GetModuleHandleA("QPXPOP3.DLL"), nullptr) << "loaded before the test";
  QPSESSION first =
      QPiAuthenticateUser("jane", "Pa55", "POP3", database_.path().c_str(), 0, nullptr);
  QPSESSION second =
      QPiAuthenticateUser("JANE", "Pa55", "pop3", database_.path().c_str(), 0, nullptr);
  QPSESSION other =
      QPiAuthenticateUser("jane", "Pa55", "imap", database_.path().c_str(), 0, nullptr);
  ASSERT_NE(first, QP_NO_SESSION);
  ASSERT_NE(second, QP_NO_SESSION);
  ASSERT_NE(other, QP_NO_SESSION);
  EXPECT_NE(first, second);
  EXPECT_EQ(sessionText(GetUserMailboxType, other), "IMAP");
  HMODULE pop3 = ::GetModuleHandleA("QPXPOP3.DLL");
  ASSERT_NE(pop3, nullptr);

  QPiCleanUpAfterUser(first, "jane");
  EXPECT_EQ(sessionText(GetUserUsername, first), "");
  EXPECT_EQ(sessionText(GetUserUsername, second), "JANE");
  EXPECT_EQ(::GetModuleHandleA("QPXPOP3.DLL"), pop3) << "released while a session uses it";
  EXPECT_NE(database_.journal().find("CleanUpAfterUser " + std::to_string(first) + " \"jane\"\r\n"),
            std::string::npos)
      << database_.journal();

  // An ended session is unknown from now on: clean-up again only logs.
  qptest::DebugLogWatch log;
  QPiCleanUpAfterUser(first, "jane");
  EXPECT_NE(
      log.appended().find("QPiCleanUpAfterUser: unknown member session " + std::to_string(first)),
      std::string::npos);
  EXPECT_EQ(sessionText(GetUserUsername, second), "JANE");

  QPiCleanUpAfterUser(second, "JANE");
  EXPECT_EQ(sessionText(GetUserUsername, second), "");
  EXPECT_EQ(::GetModuleHandleA("QPXPOP3.DLL"), nullptr) << "still loaded after the last session";
  EXPECT_NE(::GetModuleHandleA("QPXIMAP.DLL"), nullptr) << "another interface's library went too";

  QPiCleanUpAfterUser(other, "jane");
  EXPECT_EQ(::GetModuleHandleA("QPXIMAP.DLL"), nullptr);

  // A new session loads the library again.
  QPSESSION again =
      QPiAuthenticateUser("jane", "Pa55", "pop3", database_.path().c_str(), 0, nullptr);
  ASSERT_NE(again, QP_NO_SESSION);
  EXPECT_NE(::GetModuleHandleA("QPXPOP3.DLL"), nullptr);
  QPiCleanUpAfterUser(again, "jane");
}

TEST_F(SessionTest, SessionsOpenAndEndOnSeveralThreadsAtOnce) {
  ASSERT_EQ(::GetModuleHandleA("QPXPOP3.DLL"), nullptr) << "loaded before the test";
  constexpr int kThreads = 4;
  constexpr int kRounds = 25;
  std::atomic<int> failures{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < kRounds; ++i) {
        const char* interfaceName = i % 2 == 0 ? "pop3" : "imap";
        QPSESSION session = QPiAuthenticateUser("jane", "Pa55", interfaceName,
                                                database_.path().c_str(), 0, nullptr);
        if (session == QP_NO_SESSION || QPiQueryCapabilities(session) != 0xC00) ++failures;
        QPiCleanUpAfterUser(session, "jane");
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(failures.load(), 0);
  EXPECT_EQ(::GetModuleHandleA("QPXPOP3.DLL"), nullptr);
  EXPECT_EQ(::GetModuleHandleA("QPXIMAP.DLL"), nullptr);

  // Every call left its own whole line in the journal, none lost between the writers.
  const std::string journal = database_.journal();
  size_t authenticated = 0, cleanedUp = 0, lines = 0;
  for (size_t start = 0, end; (end = journal.find("\r\n", start)) != std::string::npos;
       start = end + 2) {
    const std::string line = journal.substr(start, end - start);
    ++lines;
    if (line.rfind("AuthenticateUser ", 0) == 0) ++authenticated;
    if (line.rfind("CleanUpAfterUser ", 0) == 0) ++cleanedUp;
  }
  EXPECT_EQ(authenticated, size_t{kThreads * kRounds});
  EXPECT_EQ(cleanedUp, size_t{kThreads * kRounds});
  EXPECT_EQ(lines, authenticated + cleanedUp);
  EXPECT_EQ(journal.size(), journal.rfind("\r\n") + 2) << "a line without its end";
}

}  // namespace
