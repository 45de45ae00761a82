// The server directory, users' own directories under it, and user look-ups in the
// server's user database files.
#include <cstring>
#include <string>

#include "common/text.h"
#include "common/win/unique.h"
#include "host/comm/comm_shell.h"
#include "host/comm/userdb.h"
#include "hostapi/qpxcomm.h"

namespace {

constexpr char kServerDirVariable[] = "QP_SERVER_DIR";
constexpr char kUsersFolder[] = "USERS\\";
// Full-name and address buffers of QPGetUser callers.
constexpr size_t kUserTextSize = 250;

bool isSeparator(char c) { return c == '\\' || c == '/'; }

// A name that stays one directory below USERS. Windows drops trailing dots and blanks
// from a path's components, so "x." would be the directory of "x" and " " USERS itself.
bool validUserName(const char* name) {
  if (name == nullptr || *name == '\0') return false;
  if (std::strstr(name, "..") != nullptr) return false;
  for (const char* p = name; *p != '\0'; ++p) {
    unsigned char c = static_cast<unsigned char>(*p);
    if (c < 0x20 || std::strchr("\\/:*?\"<>|", c) != nullptr) return false;
  }
  char last = name[std::strlen(name) - 1];
  return last != '.' && last != ' ';
}

bool makeDirectory(const char* path) {
  ::CreateDirectoryA(path, nullptr);  // an existing one is fine; checked below
  DWORD attributes = ::GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool fail(char* out) {
  out[0] = '\0';
  return false;
}

}  // namespace

namespace qpcomm {

bool serverDirectory(char* out, size_t size) {
  if (size < 2 || size > MAXDWORD) return size > 0 ? fail(out) : false;
  const DWORD room = static_cast<DWORD>(size);
  DWORD length = ::GetEnvironmentVariableA(kServerDirVariable, out, room);
  if (length >= room) return fail(out);
  if (length == 0) {  // unset or empty: the running program's directory
    length = ::GetModuleFileNameA(nullptr, out, room);
    if (length == 0 || length >= room) return fail(out);
    while (length > 0 && !isSeparator(out[length - 1])) --length;
    if (length == 0) return fail(out);
    out[length] = '\0';
  }
  if (isSeparator(out[length - 1])) {
    out[length - 1] = '\\';
  } else {
    if (length + 2 > size) return fail(out);
    out[length] = '\\';
    out[length + 1] = '\0';
  }
  return true;
}

bool userDirectory(const char* userName, char* out, size_t size, bool create) {
  if (size == 0) return false;
  if (!validUserName(userName) || !serverDirectory(out, size)) return fail(out);
  const size_t usersEnd = std::strlen(out) + std::strlen(kUsersFolder);
  if (!qp::appendText(out, size, kUsersFolder) || !qp::appendText(out, size, userName) ||
      !qp::appendText(out, size, "\\"))
    return fail(out);
  if (create) {  // only once the whole path is known to fit
    char saved = out[usersEnd];
    out[usersEnd] = '\0';
    bool made = makeDirectory(out);
    out[usersEnd] = saved;
    if (!made || !makeDirectory(out)) return fail(out);
  }
  return true;
}

}  // namespace qpcomm

char* QPAPI QPGetServerDirectory(char* buffer, int32_t size) {
  if (buffer != nullptr && size > 0) qpcomm::serverDirectory(buffer, static_cast<size_t>(size));
  return buffer;
}

char* QPAPI QPBuildUserDirectory(const char* userName, char* buffer) {
  if (buffer != nullptr) qpcomm::userDirectory(userName, buffer, MAX_PATH, true);
  return buffer;
}

// Reads each database file record by record. Every record buffer is zeroed before its
// read, so a short last record holds only its own bytes.
int32_t QPAPI QPGetUser(int32_t reserved1, int32_t reserved2, const char* userName,
                        char* fullName, char* fullAddress, intptr_t reserved6,
                        intptr_t reserved7, intptr_t reserved8, intptr_t reserved9,
                        intptr_t reserved10, intptr_t reserved11) {
  if (userName == nullptr || *userName == '\0') return 0;
  char directory[MAX_PATH];
  if (!qpcomm::serverDirectory(directory, sizeof directory)) return 0;
  try {
    for (int i = 0; i < qpcomm::kUserDbFileCount; ++i) {
      std::string path = directory + qpcomm::userDbFileName(i);
      qp::UniqueFile file(::CreateFileA(path.c_str(), GENERIC_READ,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
      if (!file) continue;
      unsigned char record[qpcomm::kUserRecordSize];
      for (;;) {
        std::memset(record, 0, sizeof record);
        DWORD got = 0;
        if (!::ReadFile(file.get(), record, sizeof record, &got, nullptr) || got == 0) break;
        qpcomm::UserRecord user = qpcomm::parseUserRecord(record, got);
        if (!qp::equalsNoCase(user.userName.c_str(), userName)) continue;
        if (fullName != nullptr) qp::copyText(fullName, kUserTextSize, user.fullName.c_str());
        if (fullAddress != nullptr)
          qp::copyText(fullAddress, kUserTextSize, user.address.c_str());
        return 1;
      }
    }
  } catch (...) {  // out of memory for a path or a record's texts
  }
  return 0;
}
