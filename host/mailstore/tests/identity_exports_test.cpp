// The sample library's identity, signature and poll exports and its per-account
// capabilities, called as the session manager calls them, on a session of one account.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>

#include "common/win/unique.h"
#include "host/mailstore/journal.h"
#include "host/mailstore/tests/mail_database.h"
#include "hostapi/qpunique.h"
#include "hostapi/qpxcomm.h"

namespace {

using qp::mailstore::JournalLine;

template <typename Proc>
Proc exportOf(HMODULE module, const char* name) {
  auto proc = reinterpret_cast<Proc>(reinterpret_cast<void (*)()>(::GetProcAddress(module, name)));
  EXPECT_NE(proc, nullptr) << name;
  return proc;
}

using GetTextProc = int32_t(QPAPI*)(QPSESSION, const char*, char*);
using SetTextProc = void(QPAPI*)(QPSESSION, const char*, const char*);
using GetSignatureProc = char*(QPAPI*)(QPSESSION, const char*);
using PollProc = int32_t(QPAPI*)(QPSESSION, const char*, int32_t, int32_t);
using SessionCapabilitiesProc = uint32_t(QPAPI*)(QPSESSION);
using CapabilitiesProc = uint32_t(QPAPI*)();

class AccountSession : public ::testing::Test {
 protected:
  void SetUp() override {
    library_.reset(::LoadLibraryA("QPXIMAP.DLL"));
    ASSERT_TRUE(library_) << "error " << ::GetLastError();
    session_ = QPOpenSession("jane", "pw", database_.path().c_str(), "IMAP", nullptr, nullptr);
    ASSERT_NE(session_, QP_NO_SESSION);
  }
  void TearDown() override { QPCloseSession(session_); }
  template <typename Proc>
  Proc get(const char* name) {
    return exportOf<Proc>(library_.get(), name);
  }

  qp::UniqueModule library_;
  qptest::MailDatabase database_{
      "[Account]\r\nUserName=jane\r\nPassword=pw\r\nFullName=Jane Doe\r\n"
      "Capabilities=0x18\r\nPollResult=6\r\n"};
  QPSESSION session_ = QP_NO_SESSION;
};

TEST_F(AccountSession, IdentityComesFromTheAccountUntilTheSessionIsGivenOne) {
  auto getName = get<GetTextProc>("QPIGetFullName");
  auto getAddress = get<GetTextProc>("QPIGetFullAddress");
  auto setName = get<SetTextProc>("QPISetFullName");
  auto setAddress = get<SetTextProc>("QPISetFullAddress");
  ASSERT_TRUE(getName && getAddress && setName && setAddress);
  char text[QP_TEXT_LARGE] = "untouched";
  EXPECT_EQ(getAddress(session_, "jane", text), 0);  // the account has no address
  EXPECT_STREQ(text, "untouched");
  EXPECT_EQ(getName(session_, "jane", text), 1);
  EXPECT_STREQ(text, "Jane Doe");

  setName(session_, "profile", "Jane Q. Doe");
  setAddress(session_, "profile", "jane@example.com");
  EXPECT_EQ(getName(session_, "jane", text), 1);
  EXPECT_STREQ(text, "Jane Q. Doe");
  EXPECT_EQ(getAddress(session_, "jane", text), 1);
  EXPECT_STREQ(text, "jane@example.com");
  EXPECT_NE(database_.journal().find(JournalLine("SetFullName")
                                         .number(session_)
                                         .text("profile")
                                         .text("Jane Q. Doe")
                                         .finished()),
            std::string::npos)
      << database_.journal();
}

TEST_F(AccountSession, SignatureFileHoldsTheBytesAsGiven) {
  auto getSignature = get<GetSignatureProc>("QPIGetMessageSignature");
  auto update = get<SetTextProc>("QPIUpdateMessageSignature");
  ASSERT_TRUE(getSignature && update);
  EXPECT_EQ(getSignature(session_, "jane"), nullptr);
  update(session_, "jane", "Jane\r\n-- \"JD\"");
  qp::UniqueQpBlock signature(getSignature(session_, "jane"));
  ASSERT_TRUE(signature);
  EXPECT_STREQ(qp::blockAs<char>(signature), "Jane\r\n-- \"JD\"");
  EXPECT_NE(database_.journal().find(JournalLine("UpdateMessageSignature")
                                         .number(session_)
                                         .text("jane")
                                         .text("Jane\r\n-- \"JD\"")
                                         .finished()),
            std::string::npos)
      << database_.journal();
}

TEST_F(AccountSession, PollAndCapabilitiesAnswerForTheAccount) {
  auto poll = get<PollProc>("QPIForcePollForNewMail");
  auto perSession = get<SessionCapabilitiesProc>("QPIQuerySessionCapabilities");
  auto library = get<CapabilitiesProc>("QPIQueryCapabilities");
  ASSERT_TRUE(poll && perSession && library);
  EXPECT_EQ(poll(session_, "jane", 4, 1), 6);
  EXPECT_EQ(perSession(session_), 0x18u);
  EXPECT_NE(database_.journal().find(JournalLine("ForcePollForNewMail")
                                         .number(session_)
                                         .text("jane")
                                         .number(4)
                                         .number(1)
                                         .finished()),
            std::string::npos)
      << database_.journal();

  // An account without the key, and an unknown session, get the library's bits.
  qptest::MailDatabase plain("[Account]\r\nUserName=joe\r\nPassword=pw\r\n");
  const QPSESSION other =
      QPOpenSession("joe", "pw", plain.path().c_str(), "IMAP", nullptr, nullptr);
  EXPECT_EQ(perSession(other), library());
  EXPECT_EQ(poll(other, "joe", 0, 0), 0);
  QPCloseSession(other);
  EXPECT_EQ(perSession(other), library());
}

}  // namespace
