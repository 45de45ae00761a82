// Log-in to a multi-session profile: QPIAuthenticateUser checks the profile and its
// password, opens one member session per profile member through the session manager and
// hands them to the caller in a MemberSessionTable. Interactively it offers the profile
// dialog when the profile is missing or has no members, and shows failed members.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "common/text.h"
#include "hostapi/qpunique.h"
#include "hostapi/qpxcomm.h"
#include "hostapi/qpxsess.h"
#include "multi/core/profile_keys.h"
#include "multi/export_guard.h"
#include "multi/member_sessions.h"
#include "multi/message_box.h"
#include "multi/profile_dialog.h"
#include "multi/profile_store.h"
#include "multi/qpi_exports.h"
#include "multi/registry_value.h"

namespace qpmulti {

namespace {

constexpr int32_t kInteractive = 1;  // messages are shown, the profile dialog offered
constexpr int32_t kKeep = 2;         // the member sessions are handed to the caller
// Member values are read into buffers one byte larger than the usual 150.
constexpr size_t kMemberTextSize = 151;
constexpr int32_t kStringLimit = 150;

constexpr unsigned kProfileMissing = 3608;
constexpr unsigned kConfigureMissingProfile = 3609;
constexpr unsigned kProfileEmpty = 3610;
constexpr unsigned kConfigureEmptyProfile = 3611;
constexpr unsigned kMemberWithoutInterface = 3612;
constexpr unsigned kMemberRefused = 3613;

// The foreground window when it belongs to this process, for an interactive log-in.
HWND ownerWindow(int32_t flags) {
  if ((flags & kInteractive) == 0) return nullptr;
  HWND window = ::GetForegroundWindow();
  if (window == nullptr || !::IsWindow(window)) return nullptr;
  DWORD process = 0;
  ::GetWindowThreadProcessId(window, &process);
  return process == ::GetCurrentProcessId() ? window : nullptr;
}

// Logs message `problem` about the profile; interactively adds `question` and asks. True
// when the user said Yes and the profile dialog has been shown: the caller tries again.
bool offerProfileDialog(unsigned problem, unsigned question, const char* profile, int32_t flags,
                        HWND owner) {
  char text[kMessageSize];
  formatMessage(text, sizeof text, problem, profile);
  WriteDebugLog(-1, text);
  if ((flags & kInteractive) == 0) return false;
  lstrcatN(text, GetString(question, kStringLimit), sizeof text);
  if (!askYes(owner, text)) return false;
  ConfigureProfile(profile, QP_NO_SESSION, owner);
  return true;
}

void reportMember(const char* text, int32_t flags, HWND owner) {
  WriteDebugLog(-1, text);
  if ((flags & kInteractive) != 0) showError(owner, text);
}

// Whether the key holds a stored password value at all, readable or not.
bool hasStoredPassword(HKEY key) {
  for (const char* name : {"Password", "ProfileData"}) {
    if (::RegQueryValueExA(key, name, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS)
      return true;
  }
  return false;
}

enum class ProfileCheck { kReady, kRetry, kRefused };

// The profile key opens, its password matches and it has member Login1.
ProfileCheck checkProfile(const char* profile, const char* password, int32_t flags, HWND owner,
                          qp::UniqueHKey& key) {
  if (openProfileKey(profile, false, key) != ERROR_SUCCESS) {
    return offerProfileDialog(kProfileMissing, kConfigureMissingProfile, profile, flags, owner)
               ? ProfileCheck::kRetry
               : ProfileCheck::kRefused;
  }
  char stored[kTextSize];
  const bool read = ReadStoredPassword(key.get(), profile, stored, sizeof stored);
  // A stored password that is there but cannot be read (too long, of another type) must
  // not pass for "no password", which the empty password would match.
  const bool matches =
      (read || !hasStoredPassword(key.get())) && ::lstrcmpiA(stored, password) == 0;
  ::SecureZeroMemory(stored, sizeof stored);
  if (!matches) return ProfileCheck::kRefused;  // nothing shown or logged

  qp::UniqueHKey first;
  if (openMemberKey(key.get(), kFirstLogin, false, first) == ERROR_SUCCESS)
    return ProfileCheck::kReady;
  key.reset();  // the dialog may rewrite the whole profile
  return offerProfileDialog(kProfileEmpty, kConfigureEmptyProfile, profile, flags, owner)
             ? ProfileCheck::kRetry
             : ProfileCheck::kRefused;
}

// The member sessions opened so far: ended again, with their table freed, unless the
// table is handed over.
class OpenedMembers {
 public:
  bool allocate() {
    block_.reset(QPmalloc(sizeof(MemberSessionTable)));
    if (!block_) return false;
    for (QPSESSION& slot : table().slots) slot = kEmptySlot;
    return true;
  }
  ~OpenedMembers() {
    if (!block_) return;
    forEachMember(table(), [](QPSESSION member, const char* userName) {
      QPiCleanUpAfterUser(member, userName);
      return true;
    });
  }
  MemberSessionTable& table() { return *qp::blockAs<MemberSessionTable>(block_); }
  void handOver(void** cell) { *cell = block_.release(); }

 private:
  qp::UniqueQpBlock block_;
};

// Authenticates the members Login1..Login49 in Login order into consecutive slots;
// returns how many opened.
int32_t openMembers(HKEY profileKey, int32_t flags, HWND owner, MemberSessionTable& table) {
  int32_t count = 0;
  for (unsigned login = kFirstLogin; login <= kLastLogin; ++login) {
    qp::UniqueHKey member;
    if (openMemberKey(profileKey, login, false, member) != ERROR_SUCCESS) continue;
    char userName[kMemberTextSize];
    char interfaceName[kMemberTextSize];
    if (!readTextValue(member.get(), "UserName", userName, sizeof userName) || userName[0] == '\0')
      continue;  // not a member
    char text[kMessageSize];
    if (!readTextValue(member.get(), "Interface", interfaceName, sizeof interfaceName) ||
        interfaceName[0] == '\0') {
      formatMessage(text, sizeof text, kMemberWithoutInterface, login, userName);
      reportMember(text, flags, owner);
      continue;
    }
    char password[kMemberTextSize];
    char mailDatabase[kMemberTextSize];
    ReadStoredPassword(member.get(), userName, password, sizeof password);
    readTextValue(member.get(), "MailDatabase", mailDatabase, sizeof mailDatabase);
    member.reset();

    const QPSESSION session =
        QPiAuthenticateUser(userName, password, interfaceName, mailDatabase, flags, nullptr);
    ::SecureZeroMemory(password, sizeof password);
    table.slots[count] = session;
    if (session == QP_NO_SESSION) {
      formatMessage(text, sizeof text, kMemberRefused, interfaceName, userName);
      reportMember(text, flags, owner);
      continue;
    }
    ++count;
  }
  return count;
}

// Profiles being logged in on this thread, innermost last. A profile may have a member
// on this interface; one that reaches itself again (directly or through other profiles)
// is refused there, instead of logging in to itself until the stack overflows.
thread_local std::vector<std::string> profilesInProgress;

class ProfileInProgress {
 public:
  explicit ProfileInProgress(const char* profile) { profilesInProgress.emplace_back(profile); }
  ~ProfileInProgress() { profilesInProgress.pop_back(); }
  ProfileInProgress(const ProfileInProgress&) = delete;
  ProfileInProgress& operator=(const ProfileInProgress&) = delete;

  static bool contains(const char* profile) {
    for (const std::string& p : profilesInProgress)
      if (qp::equalsNoCase(p.c_str(), profile)) return true;
    return false;
  }
};

int32_t authenticate(const char* profileName, const char* password, int32_t flags, void** cell) {
  const char* profile = profileName != nullptr ? profileName : "";
  if (ProfileInProgress::contains(profile)) {
    char line[kMessageSize];
    std::snprintf(line, sizeof line, "Profile %.149s is a member of itself; that member is refused", profile);
    WriteDebugLog(-1, line);
    return 0;
  }
  const ProfileInProgress inProgress(profile);
  const HWND owner = ownerWindow(flags);
  qp::UniqueHKey profileKey;
  // As long as the user answers Yes and the profile still fails.
  for (;;) {
    const ProfileCheck check =
        checkProfile(profile, password != nullptr ? password : "", flags, owner, profileKey);
    if (check == ProfileCheck::kRefused) return 0;
    if (check == ProfileCheck::kReady) break;
  }

  OpenedMembers members;
  if (!members.allocate()) return 0;
  const int32_t count = openMembers(profileKey.get(), flags, owner, members.table());
  // QPXSESS opens this library as a member with no cell: then the sessions only proved
  // that the credentials hold, and end again like without flag 2.
  if (count > 0 && (flags & kKeep) != 0 && cell != nullptr) members.handOver(cell);
  return count;
}

}  // namespace

}  // namespace qpmulti

int32_t QPAPI QPIAuthenticateUser(const char* /*mailDatabase*/, const char* profileName,
                                  const char* password, int32_t flags, void** tableCell) {
  return qpmulti::guardExport(
      0, [&] { return qpmulti::authenticate(profileName, password, flags, tableCell); });
}
