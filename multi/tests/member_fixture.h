// Shared by the Windows tests of log-in, member sessions, identity and signatures:
// QPXMULTI.DLL loaded by name as the host loads it, a fresh profile per test written
// through the profile store, sample mail stores (QPXPOP3/QPXIMAP/QPXSMTP) as members,
// each with a fresh mail database whose journal shows what the member received, and
// host sessions of the common library.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "common/win/unique.h"
#include "host/mailstore/tests/mail_database.h"
#include "hostapi/qpxcomm.h"
#include "multi/core/multi_tag.h"
#include "multi/profile_store.h"
#include "multi/qpi_exports.h"
#include "multi/tests/net_user_areas.h"
#include "multi/tests/registry_fixture.h"

namespace membertest {

// The exports of QPXMULTI.DLL, bound by name.
struct MultiExports {
  decltype(&::QPIAuthenticateUser) authenticateUser = nullptr;
  decltype(&::QPIInitUser) initUser = nullptr;
  decltype(&::QPICleanUpAfterUser) cleanUpAfterUser = nullptr;
  decltype(&::QPICheckInterfaceStatus) checkInterfaceStatus = nullptr;
  decltype(&::QPIGetFullName) getFullName = nullptr;
  decltype(&::QPIGetFullAddress) getFullAddress = nullptr;
  decltype(&::QPIGetMessageSignature) getMessageSignature = nullptr;
  decltype(&::QPIUpdateMessageSignature) updateMessageSignature = nullptr;
  decltype(&::QPIForcePollForNewMail) forcePollForNewMail = nullptr;
  decltype(&::QPIQueryCapabilities) queryCapabilities = nullptr;
  decltype(&::QPIQueryLoginPrompt) queryLoginPrompt = nullptr;
};

template <typename Proc>
void bindExport(HMODULE module, const char* name, Proc& proc) {
  proc = reinterpret_cast<Proc>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
  ASSERT_NE(proc, nullptr) << "QPXMULTI.DLL lacks " << name;
}

// Message `number` of the string table, formatted as QPXMULTI formats it.
inline std::string message(unsigned number, ...) {
  char text[600];
  va_list arguments;
  va_start(arguments, number);
  std::vsnprintf(text, sizeof text, GetString(number, 150), arguments);
  va_end(arguments);
  return text;
}

// An account file for a sample mail store: its user, password and further lines.
inline std::string account(const std::string& user, const std::string& password,
                           const std::string& more = "") {
  return "[Account]\r\nUserName=" + user + "\r\nPassword=" + password + "\r\n" + more;
}

inline std::string sessionUser(QPSESSION member) {
  char name[QP_TEXT_SMALL] = "";
  GetUserUsername(member, name);
  return name;
}

// The operation names of a journal, one per line, in order.
inline std::vector<std::string> calls(const std::string& journal) {
  std::vector<std::string> names;
  std::istringstream lines(journal);
  for (std::string line; std::getline(lines, line);)
    names.push_back(line.substr(0, line.find_first_of(" \r")));
  return names;
}

inline size_t countOf(const std::vector<std::string>& names, const std::string& name) {
  size_t n = 0;
  for (const std::string& s : names) n += s == name;
  return n;
}

class MemberTest : public ::testing::Test {
 protected:
  void SetUp() override {
    resetAreas();
    library_.reset(LoadLibraryA("QPXMULTI.DLL"));
    ASSERT_TRUE(library_) << "error " << GetLastError();
    HMODULE m = library_.get();
    bindExport(m, "QPIAuthenticateUser", multi_.authenticateUser);
    bindExport(m, "QPIInitUser", multi_.initUser);
    bindExport(m, "QPICleanUpAfterUser", multi_.cleanUpAfterUser);
    bindExport(m, "QPICheckInterfaceStatus", multi_.checkInterfaceStatus);
    bindExport(m, "QPIGetFullName", multi_.getFullName);
    bindExport(m, "QPIGetFullAddress", multi_.getFullAddress);
    bindExport(m, "QPIGetMessageSignature", multi_.getMessageSignature);
    bindExport(m, "QPIUpdateMessageSignature", multi_.updateMessageSignature);
    bindExport(m, "QPIForcePollForNewMail", multi_.forcePollForNewMail);
    bindExport(m, "QPIQueryCapabilities", multi_.queryCapabilities);
    bindExport(m, "QPIQueryLoginPrompt", multi_.queryLoginPrompt);
    static unsigned counter = 0;
    profile_ = "mt" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++counter);
  }

  void TearDown() override {
    for (QPSESSION host : hosts_) {
      if (void** cell = GetUserData(host, 0, nullptr)) {
        if (*cell != nullptr) multi_.cleanUpAfterUser(host, profile_.c_str());
        QPfree(*cell);
      }
      QPCloseSession(host);
    }
    removeUserDirectory(profile_);
    storetest::deleteAreas();
  }

  static void resetAreas() { storetest::resetAreasForNetUser(); }

  // A fresh mail database holding `accountText` (null: no account file).
  qptest::MailDatabase& database(const std::string& accountText) {
    databases_.push_back(std::make_unique<qptest::MailDatabase>(accountText.c_str()));
    return *databases_.back();
  }

  // Member `login` of the profile with a mail database of its own whose account accepts
  // it; `accountLines` go into the account file too. The member's stored password is
  // `password`, the account's "pw-<user>" (so a different one makes the member fail).
  qptest::MailDatabase& addMember(unsigned login, const char* user, const char* iface,
                                  const std::string& accountLines = "",
                                  const char* password = nullptr) {
    const std::string accepted = std::string("pw-") + user;
    qptest::MailDatabase& db = database(account(user, accepted, accountLines));
    EXPECT_TRUE(qpmulti::WriteProfileMember(profile_.c_str(), login, user, iface,
                                            password ? password : accepted.c_str(),
                                            db.path().c_str()));
    return db;
  }

  std::string profilePath() const {
    return storetest::under(qpmulti::GetProfileAreaPath(), profile_);
  }
  std::string memberPath(unsigned login) const {
    return storetest::under(profilePath(), "Login" + std::to_string(login));
  }

  // A host session for the profile, as the mail server opens one.
  QPSESSION openHost(const char* password = "", uint32_t options = 0,
                     const char* fullName = nullptr, const char* fullAddress = nullptr) {
    QPSESSION host = QPOpenSession(profile_.c_str(), password, "", "MULTI", fullName, fullAddress);
    EXPECT_NE(host, QP_NO_SESSION);
    QPSetSessionOptions(host, options);
    hosts_.push_back(host);
    return host;
  }

  // The host session's member table: its 50 slots, or empty when there is none.
  static std::vector<QPSESSION> table(QPSESSION host) {
    void** cell = GetUserData(host, 0, nullptr);
    if (cell == nullptr || *cell == nullptr) return {};
    const auto* slots = static_cast<const QPSESSION*>(*cell);
    return std::vector<QPSESSION>(slots, slots + qpmulti::kMemberSlots);
  }

  // "<server directory>USERS\<user>", where the common library keeps a user's files.
  static std::string userDirectory(const std::string& user) {
    char server[MAX_PATH];
    QPGetServerDirectory(server, sizeof server);
    return std::string(server) + "USERS\\" + user;
  }
  static void makeUsersDirectory() { CreateDirectoryA(userDirectory("").c_str(), nullptr); }
  static void removeUserDirectory(const std::string& user) {
    const std::string dir = userDirectory(user);
    DeleteFileA((dir + "\\Signatur.QP").c_str());
    RemoveDirectoryA(dir.c_str());
    DeleteFileA(dir.c_str());  // a file standing in the directory's way
  }

  qp::UniqueModule library_;
  MultiExports multi_;
  std::string profile_;
  std::vector<std::unique_ptr<qptest::MailDatabase>> databases_;
  std::vector<QPSESSION> hosts_;
};

}  // namespace membertest
