// The life of a host session after log-in (QPIInitUser prepares the members,
// QPICleanUpAfterUser ends them), polling for new mail, and the exports that describe
// this interface to the host.
#include <windows.h>

#include "hostapi/qpxcomm.h"
#include "hostapi/qpxsess.h"
#include "multi/core/member_options.h"
#include "multi/export_guard.h"
#include "multi/member_sessions.h"
#include "multi/qpi_exports.h"

namespace {

// QPIInitUser's own log-in: interactive, and the sessions are kept in the cell.
constexpr int32_t kInitUserLoginFlags = 3;
constexpr int32_t kStringLimit = 150;
constexpr int32_t kStatusValue = 0x100;
constexpr uint32_t kCapabilities = 0x407;
constexpr unsigned kDescriptionMessage = 3614;
constexpr unsigned kLoginPromptMessage = 3616;

void initUser(QPSESSION host, const char* profileName) {
  const char* profile = profileName != nullptr ? profileName : "";
  qpmulti::PropagateSessionOptions(host);
  void** cell = qpmulti::tableCell(host);
  if (cell == nullptr) return;
  if (*cell == nullptr) {
    char password[QP_TEXT_SMALL];
    char mailDatabase[QP_TEXT_SMALL];
    GetUserPassword(host, password);
    GetUserMailDatabase(host, mailDatabase);
    QPIAuthenticateUser(mailDatabase, profile, password, kInitUserLoginFlags, cell);
    ::SecureZeroMemory(password, sizeof password);
  }
  if (const auto* table = static_cast<const qpmulti::MemberSessionTable*>(*cell)) {
    qpmulti::forEachMember(*table, [&](QPSESSION member, const char* userName) {
      char mailboxType[QP_TEXT_SMALL];
      GetUserMailboxType(member, mailboxType);
      QPSetSessionOptions(
          member, qpmulti::initialisedMemberOptions(QPGetSessionOptions(host), mailboxType));
      QPiInitUser(member, userName);
      qpmulti::PropagateIdentity(host, profile, member);
      return true;
    });
  }
  qpmulti::SynchroniseSignature(host, profile);
}

}  // namespace

void QPAPI QPIInitUser(QPSESSION host, const char* profileName) {
  qpmulti::guardExport([&] { initUser(host, profileName); });
}

void QPAPI QPICleanUpAfterUser(QPSESSION host, const char* /*userName*/) {
  qpmulti::PropagateSessionOptions(host);
  // The ended sessions' handles stay in the table.
  if (const qpmulti::MemberSessionTable* table = qpmulti::findTable(host)) {
    qpmulti::forEachMember(*table, [](QPSESSION member, const char* userName) {
      QPiCleanUpAfterUser(member, userName);
      return true;
    });
  }
}

int32_t QPAPI QPIForcePollForNewMail(QPSESSION host, const char* /*userName*/, int32_t pollFlags,
                                     int32_t pollValue) {
  qpmulti::PropagateSessionOptions(host);
  const qpmulti::MemberSessionTable* table = qpmulti::findTable(host);
  if (table == nullptr) return 0;
  int32_t result = 0;
  // Every member is polled; the first non-zero answer is the result.
  qpmulti::forEachMember(*table, [&](QPSESSION member, const char* userName) {
    if (qpmulti::skipsPoll(pollFlags, QPGetSessionOptions(member))) return true;
    const int32_t answer = QPiForcePollForNewMail(member, userName, pollFlags, pollValue);
    if (result == 0) result = answer;
    return true;
  });
  return result;
}

int32_t QPAPI QPICheckInterfaceStatus(char* description, int32_t* first, int32_t* second) {
  if (first != nullptr) *first = kStatusValue;
  if (second != nullptr) *second = kStatusValue;
  if (description != nullptr)
    lstrcpyN(description, GetString(kDescriptionMessage, kStringLimit), QP_TEXT_SMALL);
  return 1;
}

uint32_t QPAPI QPIQueryCapabilities(void) { return kCapabilities; }

void QPAPI QPIQueryLoginPrompt(int32_t promptNumber, char* prompt) {
  if (promptNumber == 0 && prompt != nullptr)
    lstrcpyN(prompt, GetString(kLoginPromptMessage, kStringLimit), QP_TEXT_SMALL);
}
