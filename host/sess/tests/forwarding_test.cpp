// Forwarding: every QPi forwarder of the operation tables reaches the member library's
// export of the same name with the same arguments and hands back its result; a missing
// export or an unknown session gives the empty result and a debug-log line.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <string>
#include <type_traits>
#include <utility>

#include "common/win/unique.h"
#include "host/mailstore/tests/mail_database.h"
#include "host/sess/tests/echo_call.h"
#include "host/sess/tests/server_log.h"
#include "hostapi/qpxcomm.h"
#include "hostapi/qpxsess.h"

namespace {

using qptest::EchoCall;
using qptest::kEchoResult;

// The word a test passes as argument `index` (0 is the member session): distinct for
// every position, so a dropped or swapped argument shows.
intptr_t wordFor(QPSESSION session, size_t index) {
  return index == 0 ? session : static_cast<intptr_t>(0x7000 + 0x11 * index);
}

template <typename T>
T argumentFor(QPSESSION session, size_t index) {
  if constexpr (std::is_pointer_v<T>) {
    return reinterpret_cast<T>(wordFor(session, index));
  } else {
    return static_cast<T>(wordFor(session, index));
  }
}

template <typename R>
intptr_t resultWord(R result) {
  if constexpr (std::is_pointer_v<R>) {
    return reinterpret_cast<intptr_t>(result);
  } else {
    return static_cast<intptr_t>(result);
  }
}

template <typename R, typename... A, size_t... I>
R callWithWords(R(QPAPI* forwarder)(A...), QPSESSION session, std::index_sequence<I...>) {
  return forwarder(argumentFor<A>(session, I)...);
}

template <typename R, typename... A>
void checkForwarder(const char* exportName, R(QPAPI* forwarder)(A...), QPSESSION session,
                    const EchoCall* last) {
  SCOPED_TRACE(exportName);
  if constexpr (std::is_void_v<R>) {
    callWithWords(forwarder, session, std::index_sequence_for<A...>());
  } else {
    R result = callWithWords(forwarder, session, std::index_sequence_for<A...>());
    EXPECT_EQ(resultWord(result), kEchoResult);
  }
  EXPECT_STREQ(last->exportName, exportName);
  ASSERT_EQ(last->argumentCount, static_cast<int>(sizeof...(A)));
  for (size_t i = 0; i < sizeof...(A); ++i) {
    EXPECT_EQ(last->arguments[i], wordFor(session, i)) << "argument " << i + 1;
  }
}

class ForwardingTest : public ::testing::Test {
 protected:
  qptest::MailDatabase database_{qptest::accountText("jane", "pw").c_str()};
};

TEST_F(ForwardingTest, EveryForwarderReachesTheSameExportWithTheSameArguments) {
  // Held by the test as well, so that the record outlives the last session.
  qp::UniqueModule echo(::LoadLibraryA("QPXECHO.DLL"));
  ASSERT_TRUE(echo) << "error " << ::GetLastError();
  using LastCallProc = const EchoCall*(QPAPI*)();
  auto lastCall = reinterpret_cast<LastCallProc>(
      reinterpret_cast<void (*)()>(::GetProcAddress(echo.get(), "QPIEchoLastCall")));
  ASSERT_NE(lastCall, nullptr);
  const EchoCall* last = lastCall();
  QPSESSION session =
      QPiAuthenticateUser("echo-user", "any", "echo", database_.path().c_str(), 5, nullptr);
  ASSERT_NE(session, QP_NO_SESSION);
  // The manager's call: mail database, user name, password, flags, no cell.
  EXPECT_STREQ(last->exportName, "QPIAuthenticateUser");
  ASSERT_EQ(last->argumentCount, 5);
  EXPECT_STREQ(reinterpret_cast<const char*>(last->arguments[0]), database_.path().c_str());
  EXPECT_STREQ(reinterpret_cast<const char*>(last->arguments[1]), "echo-user");
  EXPECT_STREQ(reinterpret_cast<const char*>(last->arguments[2]), "any");
  EXPECT_EQ(last->arguments[3], 5);
  EXPECT_EQ(last->arguments[4], 0);

#define QP_CHECK_FORWARDER(Name, Result, Params, Args) \
  checkForwarder("QPI" #Name, &QPi##Name, session, last);
  QP_FORWARDED_OPS(QP_CHECK_FORWARDER)
  QP_OTHER_SHAPE_OPS(QP_CHECK_FORWARDER)
#undef QP_CHECK_FORWARDER

  // The two calls whose shape differs between manager and library.
  HWND owner = reinterpret_cast<HWND>(static_cast<intptr_t>(0x4242));
  EXPECT_EQ(QPiClientConfigure(owner, session), kEchoResult);
  EXPECT_STREQ(last->exportName, "QPIClientConfigure");
  ASSERT_EQ(last->argumentCount, 2);
  EXPECT_EQ(last->arguments[0], 0x4242);
  EXPECT_EQ(last->arguments[1], session);

  EXPECT_EQ(QPiQueryCapabilities(session), static_cast<uint32_t>(kEchoResult));
  EXPECT_STREQ(last->exportName, "QPIQueryCapabilities");
  EXPECT_EQ(last->argumentCount, 0);

  QPiCleanUpAfterUser(session, "echo-user");
  EXPECT_STREQ(last->exportName, "QPICleanUpAfterUser");
}

TEST_F(ForwardingTest, ReachesTheSampleLibraryAndItsCapabilities) {
  QPSESSION session =
      QPiAuthenticateUser("jane", "pw", "pop3", database_.path().c_str(), 0, nullptr);
  ASSERT_NE(session, QP_NO_SESSION);
  QPiInitUser(session, "jane");
  EXPECT_NE(database_.journal().find("InitUser " + std::to_string(session) + " \"jane\"\r\n"),
            std::string::npos)
      << database_.journal();
  EXPECT_EQ(QPiQueryCapabilities(session), 0xC00u);
  // QPiClientConfigure would open the sample library's options box here; the profile
  // dialogs' tests (multi/) drive it.
  QPiCleanUpAfterUser(session, "jane");
}

TEST_F(ForwardingTest, MissingExportGivesTheEmptyResultAndALogLine) {
  QPSESSION session =
      QPiAuthenticateUser("jane", "pw", "bare", database_.path().c_str(), 0, nullptr);
  ASSERT_NE(session, QP_NO_SESSION);
  qptest::DebugLogWatch log;

  char* folders[4] = {};
  int32_t folderCount = static_cast<int32_t>(0xDEADBEEF);
  EXPECT_EQ(QPiBuildFolderList(session, "jane", folders, &folderCount, 0), 0);
  EXPECT_EQ(folderCount, static_cast<int32_t>(0xDEADBEEF));
  EXPECT_EQ(folders[0], nullptr);
  EXPECT_EQ(QPiDeletePersonalDList(session, "jane", 1, 2, 3, 4), 0);

  const std::string appended = log.appended();
  for (const char* name : {"BuildFolderList", "DeletePersonalDList"}) {
    SCOPED_TRACE(name);
    std::string line = std::string("QPi") + name + ": QPXBARE.DLL has no export QPI" + name +
                       " (member session " + std::to_string(session) + ")";
    EXPECT_NE(appended.find(line), std::string::npos) << appended;
  }
  QPiCleanUpAfterUser(session, "jane");
}

TEST_F(ForwardingTest, UnknownSessionGivesTheEmptyResultAndALogLine) {
  const QPSESSION unknown = 0x3EADBEE;
  qptest::DebugLogWatch log;
  int32_t count = 7;
  EXPECT_EQ(QPiBuildAddressBookList(unknown, "jane", nullptr, &count), 0);
  EXPECT_EQ(count, 7);
  EXPECT_EQ(QPiQueryCapabilities(unknown), 0u);
  EXPECT_EQ(QPiGetMessageSignature(unknown, "jane"), nullptr);
  EXPECT_EQ(QPiClientConfigure(nullptr, unknown), 0);
  QPiInitUser(unknown, "jane");
  QPiCleanUpAfterUser(unknown, "jane");

  const std::string appended = log.appended();
  for (const char* name : {"QPiBuildAddressBookList", "QPiQueryCapabilities",
                           "QPiGetMessageSignature", "QPiClientConfigure", "QPiInitUser",
                           "QPiCleanUpAfterUser"}) {
    SCOPED_TRACE(name);
    std::string line = std::string(name) + ": unknown member session " + std::to_string(unknown);
    EXPECT_NE(appended.find(line), std::string::npos) << appended;
  }
}

TEST(ForwarderExports, EveryForwarderIsExportedByName) {
  HMODULE manager = ::GetModuleHandleA("QPXSESS.DLL");
  ASSERT_NE(manager, nullptr);
  for (const char* name : {"QPiAuthenticateUser", "QPiCleanUpAfterUser", "QPiClientConfigure",
                           "QPiQueryCapabilities"}) {
    EXPECT_NE(::GetProcAddress(manager, name), nullptr) << name;
  }
#define QP_CHECK_EXPORTED(Name, Result, Params, Args) \
  EXPECT_NE(::GetProcAddress(manager, "QPi" #Name), nullptr) << "QPi" #Name;
  QP_FORWARDED_OPS(QP_CHECK_EXPORTED)
  QP_OTHER_SHAPE_OPS(QP_CHECK_EXPORTED)
#undef QP_CHECK_EXPORTED
}

}  // namespace
