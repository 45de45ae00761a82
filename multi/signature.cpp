// The message signature: the profile's own file "Signatur.QP" in the user directory of
// the profile name, passed on to every member when it changes, and made the one
// signature of the profile and all members at log-in.
#include <windows.h>

#include <cstring>

#include "common/win/unique.h"
#include "hostapi/qpunique.h"
#include "hostapi/qpxcomm.h"
#include "hostapi/qpxsess.h"
#include "multi/member_sessions.h"
#include "multi/qpi_exports.h"

namespace qpmulti {

namespace {

constexpr char kSignatureFileName[] = "Signatur.QP";
constexpr size_t kSignaturePathSize = 150;
constexpr DWORD kAccess = GENERIC_READ | GENERIC_WRITE;
constexpr DWORD kSharing = FILE_SHARE_READ | FILE_SHARE_WRITE;
// Files are read and written in pieces no larger than this.
constexpr DWORD kChunk = 1u << 20;

struct QpFileTraits {
  using Type = HANDLE;
  static Type invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static void close(Type file) noexcept { QPCloseHandle(file); }
};
using QpFile = qp::UniqueAny<QpFileTraits>;

// The signature file of `userName`. False when the user has no directory or the path
// would not fit: a cut path would name another file, and an empty directory the
// program's current directory.
bool signaturePath(const char* userName, char (&path)[kSignaturePathSize]) {
  char directory[MAX_PATH] = "";
  QPBuildUserDirectory(userName, directory);
  if (directory[0] == '\0') return false;
  if (std::strlen(directory) + sizeof kSignatureFileName > sizeof path) return false;
  lstrcpyN(path, directory, sizeof path);
  lstrcatN(path, kSignatureFileName, sizeof path);
  return true;
}

QpFile openSignature(const char* userName, DWORD disposition) {
  char path[kSignaturePathSize];
  if (!signaturePath(userName, path)) return QpFile();
  return QpFile(
      QPCreateFile(path, kAccess, kSharing, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr));
}

char* readSignature(const char* userName) {
  QpFile file = openSignature(userName, OPEN_EXISTING);
  if (!file) return nullptr;
  LARGE_INTEGER size;
  if (!::GetFileSizeEx(file.get(), &size) || size.QuadPart >= static_cast<LONGLONG>(UINT32_MAX))
    return nullptr;
  const auto length = static_cast<uint32_t>(size.QuadPart);
  qp::UniqueQpBlock block(QPmalloc(length + 1));  // zero-filled: the text ends where reading did
  if (!block) return nullptr;
  char* text = qp::blockAs<char>(block);
  for (uint32_t done = 0; done < length;) {
    DWORD got = 0;
    const DWORD want = length - done < kChunk ? length - done : kChunk;
    if (!::ReadFile(file.get(), text + done, want, &got, nullptr) || got == 0) break;
    done += got;
  }
  return static_cast<char*>(block.release());
}

// True when the user's signature file holds anything at all, read or not.
bool signatureFileHasBytes(const char* userName) {
  QpFile file = openSignature(userName, OPEN_EXISTING);
  LARGE_INTEGER size;
  return file && ::GetFileSizeEx(file.get(), &size) && size.QuadPart > 0;
}

// Writes the file anew; false when it cannot be created. Write errors are ignored.
bool writeSignature(const char* userName, const char* text) {
  QpFile file = openSignature(userName, CREATE_ALWAYS);
  if (!file) return false;
  for (size_t done = 0, length = std::strlen(text); done < length;) {
    DWORD written = 0;
    const DWORD want = length - done < kChunk ? static_cast<DWORD>(length - done) : kChunk;
    if (!::WriteFile(file.get(), text + done, want, &written, nullptr) || written == 0) break;
    done += written;
  }
  return true;
}

// A signature of nothing but blanks counts as none.
bool isBlank(const char* text) { return *FindNonBlank(text) == '\0'; }

// Takes over a QPmalloc'd signature; blank ones are dropped.
void keepIfNotBlank(qp::UniqueQpBlock& holder, char* signature) {
  holder.reset(signature);
  if (holder && isBlank(qp::blockAs<char>(holder))) holder.reset();
}

void updateMembers(QPSESSION host, const char* text) {
  if (const MemberSessionTable* table = findTable(host)) {
    forEachMember(*table, [&](QPSESSION member, const char* userName) {
      QPiUpdateMessageSignature(member, userName, text);
      return true;
    });
  }
}

}  // namespace

void SynchroniseSignature(QPSESSION host, const char* profileName) {
  qp::UniqueQpBlock signature;
  char* own = QPIGetMessageSignature(host, profileName);
  if (own == nullptr && signatureFileHasBytes(profileName)) {
    // The profile's signature is there but could not be read (no memory for it): a
    // member's written over it would lose it, so nothing is synchronised this time.
    WriteDebugLog(-1, "The profile's signature could not be read; signatures left as they are");
    return;
  }
  keepIfNotBlank(signature, own);
  const MemberSessionTable* table = findTable(host);
  if (!signature && table != nullptr) {
    forEachMember(*table, [&](QPSESSION member, const char* userName) {
      keepIfNotBlank(signature, QPiGetMessageSignature(member, userName));
      return !signature;
    });
  }
  if (!signature) return;  // none anywhere: nothing is written
  const char* text = qp::blockAs<char>(signature);
  QPIUpdateMessageSignature(host, profileName, text);
  // Also when the profile's file could not be written.
  updateMembers(host, text);
}

}  // namespace qpmulti

char* QPAPI QPIGetMessageSignature(QPSESSION host, const char* userName) {
  qpmulti::PropagateSessionOptions(host);
  return qpmulti::readSignature(userName);
}

void QPAPI QPIUpdateMessageSignature(QPSESSION host, const char* userName, const char* signature) {
  qpmulti::PropagateSessionOptions(host);
  const char* text = signature != nullptr ? signature : "";
  if (qpmulti::writeSignature(userName, text)) qpmulti::updateMembers(host, text);
}
