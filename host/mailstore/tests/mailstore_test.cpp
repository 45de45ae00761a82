// The sample interface library as the session manager calls it: credentials from the
// account file, the journal of calls, its description and capabilities, in two of the
// names it is built under.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>

#include "common/win/unique.h"
#include "host/mailstore/journal.h"
#include "host/mailstore/tests/mail_database.h"
#include "hostapi/qpxcomm.h"

namespace {

using qp::mailstore::JournalLine;

using AuthenticateProc = int32_t(QPAPI*)(const char*, const char*, const char*, int32_t, void**);
using SessionProc = void(QPAPI*)(QPSESSION, const char*);
using StatusProc = int32_t(QPAPI*)(char*, int32_t*, int32_t*);
using CapabilitiesProc = uint32_t(QPAPI*)();

template <typename Proc>
Proc exportOf(HMODULE module, const char* name) {
  return reinterpret_cast<Proc>(reinterpret_cast<void (*)()>(::GetProcAddress(module, name)));
}

class MailStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    library_.reset(::LoadLibraryA("QPXPOP3.DLL"));
    ASSERT_TRUE(library_) << "error " << ::GetLastError();
    authenticate_ = exportOf<AuthenticateProc>(library_.get(), "QPIAuthenticateUser");
    ASSERT_NE(authenticate_, nullptr);
  }

  qp::UniqueModule library_;
  AuthenticateProc authenticate_ = nullptr;
  qptest::MailDatabase database_{
      "[Account]\r\nUserName=Jane Doe\r\nPassword=Pa55 word\r\nCapabilities=0x418\r\n"};
};

TEST_F(MailStoreTest, AcceptsTheAccountsUserInAnyCaseWithItsExactPassword) {
  struct Case {
    const char* userName;
    const char* password;
    int32_t accepted;
  };
  const Case cases[] = {
      {"Jane Doe", "Pa55 word", 1},
      {"JANE DOE", "Pa55 word", 1},
      {"Jane Doe", "pa55 word", 0},
      {"Jane", "Pa55 word", 0},
      {"", "", 0},
      {nullptr, nullptr, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.userName ? c.userName : "(null)");
    EXPECT_EQ(authenticate_(database_.path().c_str(), c.userName, c.password, 0, nullptr),
              c.accepted);
  }
  // The journal has one line per call; the password never appears in it.
  const std::string journal = database_.journal();
  for (const char* userName : {"JANE DOE", static_cast<const char*>(nullptr)}) {
    const std::string line = JournalLine("AuthenticateUser")
                                 .text(database_.path().c_str())
                                 .text(userName)
                                 .secret()
                                 .number(0)
                                 .finished();
    EXPECT_NE(journal.find(line), std::string::npos) << journal;
  }
  EXPECT_EQ(journal.find("Pa55"), std::string::npos) << journal;
  size_t lines = 0;
  for (char c : journal) lines += c == '\n';
  EXPECT_EQ(lines, sizeof cases / sizeof cases[0]);
}

TEST_F(MailStoreTest, RefusesWithoutDirectoryOrAccountFile) {
  qptest::MailDatabase noAccount(nullptr);
  const std::string missing = database_.path() + "\\missing";
  EXPECT_EQ(authenticate_(noAccount.path().c_str(), "Jane Doe", "Pa55 word", 0, nullptr), 0);
  EXPECT_EQ(authenticate_(missing.c_str(), "Jane Doe", "Pa55 word", 0, nullptr), 0);
  EXPECT_EQ(authenticate_("", "Jane Doe", "Pa55 word", 0, nullptr), 0);
  EXPECT_EQ(authenticate_(nullptr, "Jane Doe", "Pa55 word", 0, nullptr), 0);
  EXPECT_EQ(::GetFileAttributesA(missing.c_str()), INVALID_FILE_ATTRIBUTES) << "directory created";
}

TEST_F(MailStoreTest, JournalsSessionCallsInTheSessionsMailDatabase) {
  auto initUser = exportOf<SessionProc>(library_.get(), "QPIInitUser");
  auto cleanUp = exportOf<SessionProc>(library_.get(), "QPICleanUpAfterUser");
  ASSERT_NE(initUser, nullptr);
  ASSERT_NE(cleanUp, nullptr);
  QPSESSION session =
      QPOpenSession("Jane Doe", "x", database_.path().c_str(), "POP3", nullptr, nullptr);
  ASSERT_NE(session, QP_NO_SESSION);
  initUser(session, "Jane \"JD\" Doe");
  cleanUp(session, "Jane Doe");
  QPCloseSession(session);
  initUser(session, "closed");  // no mail database any more: nowhere to journal

  const std::string id = std::to_string(session);
  EXPECT_EQ(database_.journal(), "InitUser " + id + " \"Jane \\\"JD\\\" Doe\"\r\n" +
                                     "CleanUpAfterUser " + id + " \"Jane Doe\"\r\n");
}

TEST(MailStoreBuilds, DescribeTheirOwnInterface) {
  struct Case {
    const char* library;
    const char* description;
  };
  const Case cases[] = {
      {"QPXPOP3.DLL", "Sample mail store (POP3)"},
      {"QPXSMTP.DLL", "Sample mail store (SMTP)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.library);
    qp::UniqueModule library(::LoadLibraryA(c.library));
    ASSERT_TRUE(library) << "error " << ::GetLastError();
    auto status = exportOf<StatusProc>(library.get(), "QPICheckInterfaceStatus");
    auto capabilities = exportOf<CapabilitiesProc>(library.get(), "QPIQueryCapabilities");
    ASSERT_NE(status, nullptr);
    ASSERT_NE(capabilities, nullptr);

    char description[QP_TEXT_SMALL];
    std::memset(description, 0x5A, sizeof description);
    int32_t first = static_cast<int32_t>(0xDEADBEEF);
    int32_t second = static_cast<int32_t>(0xDEADBEEF);
    EXPECT_EQ(status(description, &first, &second), 1);
    EXPECT_STREQ(description, c.description);
    EXPECT_EQ(first, 0x100);
    EXPECT_EQ(second, 0x100);
    EXPECT_EQ(status(nullptr, nullptr, nullptr), 1);
    EXPECT_EQ(capabilities(), 0xC00u);
  }
}

}  // namespace
