// The host session on QPXMULTI.DLL and the printout of its member table.
#include "host/qphost/multi_host.h"

#include <cstdio>

#include "common/text.h"
#include "hostapi/qpxcomm.h"
#include "multi/core/multi_tag.h"
#include "multi/core/profile_keys.h"
#include "multi/profile_store.h"
#include "multi/registry_value.h"

namespace qphost {

namespace {

constexpr char kMultiLibrary[] = "QPXMULTI.DLL";

template <typename Proc>
bool bind(HMODULE module, const char* name, Proc& proc, std::string& missing) {
  proc = reinterpret_cast<Proc>(reinterpret_cast<void (*)()>(::GetProcAddress(module, name)));
  if (proc == nullptr && missing.empty()) missing = name;
  return proc != nullptr;
}

// The Login number of the member that a slot holds: slots are filled in Login order, so
// it is the first Login after the previous slot's with the same user name and interface.
unsigned findLogin(HKEY profileKey, unsigned after, const char* userName, const char* mailboxType) {
  for (unsigned login = after + 1; login <= qpmulti::kLastLogin; ++login) {
    qp::UniqueHKey member;
    if (qpmulti::openMemberKey(profileKey, login, false, member) != ERROR_SUCCESS) continue;
    char user[qpmulti::kTextSize], iface[qpmulti::kTextSize];
    if (!qpmulti::readTextValue(member.get(), "UserName", user, sizeof user)) continue;
    if (!qpmulti::readTextValue(member.get(), "Interface", iface, sizeof iface)) continue;
    if (qp::equalsNoCase(user, userName) && qp::equalsNoCase(iface, mailboxType)) return login;
  }
  return 0;
}

}  // namespace

MultiHost::~MultiHost() { close(); }

bool MultiHost::load(std::string& error) {
  if (library_) return true;
  char path[MAX_PATH];
  QPGetServerDirectory(path, sizeof path);
  if (!qp::appendText(path, kMultiLibrary)) {
    error = "the path of QPXMULTI.DLL is too long";
    return false;
  }
  qp::UniqueModule module(::LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
  if (!module) {
    error =
        std::string("cannot load ") + path + " (error " + std::to_string(::GetLastError()) + ")";
    return false;
  }
  MultiExports e = {};
  std::string missing;
  HMODULE m = module.get();
  bind(m, "QPIAuthenticateUser", e.authenticateUser, missing);
  bind(m, "QPIInitUser", e.initUser, missing);
  bind(m, "QPICleanUpAfterUser", e.cleanUpAfterUser, missing);
  bind(m, "QPICheckInterfaceStatus", e.checkInterfaceStatus, missing);
  bind(m, "QPIGetFullName", e.getFullName, missing);
  bind(m, "QPIGetFullAddress", e.getFullAddress, missing);
  bind(m, "QPIGetMessageSignature", e.getMessageSignature, missing);
  bind(m, "QPIUpdateMessageSignature", e.updateMessageSignature, missing);
  bind(m, "QPIForcePollForNewMail", e.forcePollForNewMail, missing);
  bind(m, "QPIQueryCapabilities", e.queryCapabilities, missing);
  bind(m, "QPIQueryLoginPrompt", e.queryLoginPrompt, missing);
  if (!missing.empty()) {
    error = std::string(path) + " has no export " + missing;
    return false;
  }
  exports_ = e;
  library_ = std::move(module);
  return true;
}

bool MultiHost::open(const std::string& profile, const std::string& password,
                     const std::string& mailDatabase) {
  if (isOpen()) return false;
  session_ = QPOpenSession(profile.c_str(), password.c_str(), mailDatabase.c_str(), "MULTI",
                           nullptr, nullptr);
  if (session_ == QP_NO_SESSION) return false;
  profile_ = profile;
  password_ = password;
  mailDatabase_ = mailDatabase;
  return true;
}

void MultiHost::close() {
  if (!isOpen()) return;
  QPCloseSession(session_);
  session_ = QP_NO_SESSION;
}

void** MultiHost::tableCell() const { return GetUserData(session_, 0, nullptr); }

void printMemberTable(const MultiHost& host) {
  void** cell = host.tableCell();
  const auto* slots = cell != nullptr ? static_cast<const QPSESSION*>(*cell) : nullptr;
  if (slots == nullptr) {
    std::printf("No member table: the host session has not logged in.\n");
    return;
  }
  qp::UniqueHKey profileKey;
  qpmulti::openProfileKey(host.profile().c_str(), false, profileKey);
  std::printf("Slot  Login  Session  User name             Type      Options\n");
  unsigned lastLogin = 0;
  int filled = 0;
  for (unsigned slot = 0; slot < qpmulti::kMemberSlots; ++slot) {
    const QPSESSION member = slots[slot];
    if (member == qpmulti::kEmptySlot) continue;
    ++filled;
    char userName[QP_TEXT_SMALL], mailboxType[QP_TEXT_SMALL];
    if (!GetUserUsername(member, userName)) {  // ended by a log-out
      std::printf("%4u  %5s  %7d  (ended)\n", slot, "?", static_cast<int>(member));
      continue;
    }
    GetUserMailboxType(member, mailboxType);
    const unsigned login =
        profileKey ? findLogin(profileKey.get(), lastLogin, userName, mailboxType) : 0;
    if (login != 0) lastLogin = login;
    char loginText[16] = "?";
    if (login != 0) std::snprintf(loginText, sizeof loginText, "%u", login);
    std::printf("%4u  %5s  %7d  %-20s  %-8s  0x%08lX\n", slot, loginText, static_cast<int>(member),
                userName, mailboxType, static_cast<unsigned long>(QPGetSessionOptions(member)));
  }
  std::printf("%d member session%s.\n", filled, filled == 1 ? "" : "s");
}

}  // namespace qphost
