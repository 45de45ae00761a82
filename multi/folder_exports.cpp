// The folder exports of QPXMULTI.DLL. A folder name means that folder on every member,
// so these calls go to all member sessions and merge their answers; the folder list
// shows each folder once. The new-mail marker files and the rules directory live in the
// host user's own directory.
#include "multi/folder_exports.h"

#include <windows.h>

#include "common/text.h"
#include "common/win/unique.h"
#include "hostapi/qpxcomm.h"
#include "hostapi/qpxsess.h"
#include "multi/core/folder_merge.h"
#include "multi/core/folder_paths.h"
#include "multi/core/member_appends.h"
#include "multi/export_guard.h"
#include "multi/host_lists.h"
#include "multi/member_sessions.h"

namespace qpmulti {

namespace {

// A member's folder information text is received in a buffer of this size; the host's
// text buffer gets at most QP_TEXT_SMALL bytes of it.
constexpr size_t kMemberInfoSize = 152;
constexpr size_t kRulesDirSize = MAX_PATH;

// A file made with the common library's QPCreateFile, closed with its QPCloseHandle.
struct QpFileTraits {
  using Type = HANDLE;
  static Type invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static void close(Type handle) noexcept { QPCloseHandle(handle); }
};
using UniqueQpFile = qp::UniqueAny<QpFileTraits>;

const MemberSessionTable* propagatedTable(QPSESSION host) {
  PropagateSessionOptions(host);
  return findTable(host);
}

// The host user's directory, ending in a separator; empty when the common library builds
// none for that name.
struct UserDirectory {
  char path[MAX_PATH];
  explicit UserDirectory(const char* userName) {
    path[0] = '\0';
    QPBuildUserDirectory(userName != nullptr ? userName : "", path);
    path[MAX_PATH - 1] = '\0';
  }
};

// Adds without the undefined behaviour of a signed overflow.
int32_t addCounts(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}

int32_t buildFolderList(QPSESSION host, char** folderList, int32_t* folderCount, intptr_t arg5) {
  const MemberSessionTable* table = propagatedTable(host);
  if (table == nullptr || folderList == nullptr || folderCount == nullptr) return -1;
  const int32_t before = *folderCount;
  forEachMember(*table, [&](QPSESSION member, const char* userName) {
    const int32_t memberBefore = *folderCount;
    QPiBuildFolderList(member, userName, folderList, folderCount, arg5);
    *folderCount = settleAppended(folderList, memberBefore, *folderCount);
    return true;
  });
  const int32_t after = *folderCount;
  if (before >= 0 && after > before) {
    try {
      *folderCount = static_cast<int32_t>(mergeFolderList(
          folderList, static_cast<size_t>(after), static_cast<size_t>(before), hostEntryMemory()));
    } catch (...) {
      // Out of memory for the merge's work: the list stays as the members left it.
    }
  }
  return *folderCount;
}

int32_t getFolderInfo(QPSESSION host, const char* folderName, int32_t* count, char* text) {
  const MemberSessionTable* table = propagatedTable(host);
  if (table == nullptr) return 0;
  if (text != nullptr) text[0] = '\0';
  if (count != nullptr) *count = 0;
  int32_t result = 0;
  forEachMember(*table, [&](QPSESSION member, const char* userName) {
    int32_t memberCount = 0;
    char memberText[kMemberInfoSize] = "";
    if (QPiGetMailMessageFolderInfo(member, userName, folderName, &memberCount, memberText) == 0)
      return true;
    result = 1;
    memberText[kMemberInfoSize - 1] = '\0';
    if (text != nullptr && text[0] == '\0') qp::copyText(text, QP_TEXT_SMALL, memberText);
    if (count != nullptr) *count = addCounts(*count, memberCount);
    return true;
  });
  return result;
}

// A member's "created" answer does not say whether the folder was new: it is asked
// first, so that a refusal further on removes the folder only from members that did not
// have it before this call.
int32_t createFolder(QPSESSION host, const char* folderName, char* folderInfoText) {
  const MemberSessionTable* table = propagatedTable(host);
  if (table == nullptr) return 0;
  QPSESSION created[kMemberSlots];
  size_t createdCount = 0;
  bool refused = false;
  forEachMember(*table, [&](QPSESSION member, const char* userName) {
    int32_t count = 0;
    char info[kMemberInfoSize] = "";
    const bool had = QPiGetMailMessageFolderInfo(member, userName, folderName, &count, info) != 0;
    if (QPiCreateMailFolder(member, userName, folderName, folderInfoText) == 0) {
      refused = true;
      return false;  // the members after the refusing one are not asked
    }
    if (!had) created[createdCount++] = member;
    return true;
  });
  if (!refused) return 1;
  for (size_t i = 0; i < createdCount; ++i)
    QPiDeleteMailFolder(created[i], MemberName(created[i]).text, folderName);
  return 0;
}

// Asks every member; the first nonzero answer in slot order is the result.
template <typename Ask>
int32_t firstNonzero(QPSESSION host, Ask ask) {
  const MemberSessionTable* table = propagatedTable(host);
  if (table == nullptr) return 0;
  int32_t result = 0;
  forEachMember(*table, [&](QPSESSION member, const char* userName) {
    const int32_t answer = ask(member, userName);
    if (result == 0) result = answer;
    return true;
  });
  return result;
}

int32_t folderHasNewMail(QPSESSION host, const char* userName, const char* folderName) {
  const MemberSessionTable* table = propagatedTable(host);
  if (table == nullptr) return 0;
  const UserDirectory directory(userName);
  char marker[kMarkerPathSize];
  if (NewMailMarkerPath(directory.path, folderName, marker, sizeof marker)) {
    if (const int32_t found = Exist(marker)) return found;  // the members are not asked
  }
  int32_t result = 0;
  forEachMember(*table, [&](QPSESSION member, const char* memberUser) {
    if (QPiDoesFolderHaveNewMail(member, memberUser, folderName) != 0) result = 1;
    return true;  // every member is asked
  });
  return result;
}

int32_t setFolderNewMail(QPSESSION host, const char* userName, const char* folderName,
                         int32_t hasNewMail) {
  const MemberSessionTable* table = propagatedTable(host);
  if (table == nullptr) return 0;
  forEachMember(*table, [&](QPSESSION member, const char* memberUser) {
    QPiSetFolderNewMailStatus(member, memberUser, folderName, hasNewMail);
    return true;
  });
  const UserDirectory directory(userName);
  char marker[kMarkerPathSize];
  // Without a marker path there is no file to make (-1) or to delete (0).
  const bool named = NewMailMarkerPath(directory.path, folderName, marker, sizeof marker);
  if (hasNewMail != 0) {
    if (!named) return -1;
    // CREATE_ALWAYS empties a marker that is there already.
    UniqueQpFile file(QPCreateFile(marker, GENERIC_READ | GENERIC_WRITE,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return -1;
    return QPCloseHandle(file.release());
  }
  return named ? ::DeleteFileA(marker) : 0;
}

// The first rules directory that holds rule files: the host user's own "RULES", then the
// primary member's. Without any, the user's "RULES", made when it is missing.
int32_t getRulesDir(QPSESSION host, const char* userName, char* rulesDir) {
  const MemberSessionTable* table = findTable(host);
  if (table == nullptr || rulesDir == nullptr) return 0;
  const UserDirectory directory(userName);
  char pattern[MAX_PATH];
  if (rulesDirectory(directory.path, true, rulesDir, kRulesDirSize) &&
      rulesFilePattern(rulesDir, pattern, sizeof pattern)) {
    if (const int32_t found = Exist(pattern)) return found;
  }
  const QPSESSION primary = table->slots[0];
  if (primary != kEmptySlot) {
    rulesDir[0] = '\0';  // a member that writes nothing leaves no stale directory
    QPiGetRulesDir(primary, MemberName(primary).text, rulesDir);
    rulesDir[kRulesDirSize - 1] = '\0';
    if (rulesFilePattern(rulesDir, pattern, sizeof pattern)) {
      if (const int32_t found = Exist(pattern)) return found;
    }
  }
  char own[MAX_PATH];
  if (!rulesDirectory(directory.path, false, own, sizeof own)) {
    rulesDir[0] = '\0';
    return 0;
  }
  if (::GetFileAttributesA(own) == INVALID_FILE_ATTRIBUTES) ::CreateDirectoryA(own, nullptr);
  rulesDirectory(directory.path, true, rulesDir, kRulesDirSize);
  return rulesDir[0] != '\0' ? 1 : 0;
}

}  // namespace

}  // namespace qpmulti

using qpmulti::guardExport;

int32_t QPAPI QPIBuildFolderList(QPSESSION host, const char* /*userName*/, char** folderList,
                                 int32_t* folderCount, intptr_t arg5, intptr_t /*arg6*/,
                                 intptr_t /*arg7*/) {
  return guardExport<int32_t>(
      -1, [&] { return qpmulti::buildFolderList(host, folderList, folderCount, arg5); });
}

int32_t QPAPI QPIGetMailMessageFolderInfo(QPSESSION host, const char* /*userName*/,
                                          const char* folderName, int32_t* folderInfoCount,
                                          char* folderInfoText) {
  return guardExport<int32_t>(
      0, [&] { return qpmulti::getFolderInfo(host, folderName, folderInfoCount, folderInfoText); });
}

int32_t QPAPI QPICreateMailFolder(QPSESSION host, const char* /*userName*/, const char* folderName,
                                  char* folderInfoText) {
  return guardExport<int32_t>(
      0, [&] { return qpmulti::createFolder(host, folderName, folderInfoText); });
}

int32_t QPAPI QPIRenameMailFolder(QPSESSION host, const char* /*userName*/, intptr_t arg3,
                                  intptr_t arg4, intptr_t arg5) {
  return guardExport<int32_t>(0, [&] {
    return qpmulti::firstNonzero(host, [&](QPSESSION member, const char* memberUser) {
      return QPiRenameMailFolder(member, memberUser, arg3, arg4, arg5);
    });
  });
}

int32_t QPAPI QPIDeleteMailFolder(QPSESSION host, const char* /*userName*/,
                                  const char* folderName) {
  return guardExport<int32_t>(0, [&] {
    return qpmulti::firstNonzero(host, [&](QPSESSION member, const char* memberUser) {
      return QPiDeleteMailFolder(member, memberUser, folderName);
    });
  });
}

int32_t QPAPI QPIDoesFolderHaveNewMail(QPSESSION host, const char* userName,
                                       const char* folderName) {
  return guardExport<int32_t>(
      0, [&] { return qpmulti::folderHasNewMail(host, userName, folderName); });
}

int32_t QPAPI QPISetFolderNewMailStatus(QPSESSION host, const char* userName,
                                        const char* folderName, int32_t hasNewMail) {
  return guardExport<int32_t>(
      0, [&] { return qpmulti::setFolderNewMail(host, userName, folderName, hasNewMail); });
}

int32_t QPAPI QPIGetRulesDir(QPSESSION host, const char* userName, char* rulesDir) {
  return guardExport<int32_t>(0, [&] { return qpmulti::getRulesDir(host, userName, rulesDir); });
}
