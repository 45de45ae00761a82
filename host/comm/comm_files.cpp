// File exports: existence checks, the CreateFile/CloseHandle pair, directory-path fixing
// and reading a file line by line.
#include <cstring>

#include "common/win/unique.h"
#include "hostapi/qpxcomm.h"

namespace {

constexpr DWORD kReadChunk = 512;

bool isSeparator(char c) { return c == '\\' || c == '/'; }

}  // namespace

int32_t QPAPI Exist(const char* pathOrPattern) {
  if (pathOrPattern == nullptr || *pathOrPattern == '\0') return 0;
  WIN32_FIND_DATAA found;
  qp::UniqueFind find(::FindFirstFileA(pathOrPattern, &found));
  if (!find) return 0;
  do {
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) return 1;
  } while (::FindNextFileA(find.get(), &found));
  return 0;
}

HANDLE QPAPI QPCreateFile(const char* path, DWORD access, DWORD share,
                          SECURITY_ATTRIBUTES* security, DWORD disposition, DWORD flags,
                          HANDLE templateFile) {
  return ::CreateFileA(path, access, share, security, disposition, flags, templateFile);
}

// The export callers use to close what QPCreateFile gave them; it is itself the owner's
// close function, so it calls CloseHandle directly.
BOOL QPAPI QPCloseHandle(HANDLE handle) { return ::CloseHandle(handle); }

// A path already ending in '/' counts as ended too: Windows takes either separator.
char* QPAPI fixupMV(char* path, int32_t size) {
  if (path == nullptr || size <= 0) return path;
  size_t length = strnlen(path, static_cast<size_t>(size));
  if (length == 0 || length + 2 > static_cast<size_t>(size)) return path;
  if (!isSeparator(path[length - 1])) {
    path[length] = '\\';
    path[length + 1] = '\0';
  }
  return path;
}

// Reads the file in chunks; once the line end is found, the file pointer is moved back
// to just after it, so the next call starts at the next line.
int32_t QPAPI FHReadString(HANDLE file, char* buffer, int32_t size) {
  if (buffer == nullptr || size <= 0) return 0;
  const size_t room = static_cast<size_t>(size) - 1;
  size_t lineLength = 0;  // bytes of the line so far, stored or not
  size_t stored = 0;
  char last = '\0';
  bool anyRead = false;
  bool lineEnded = false;
  char chunk[kReadChunk];
  DWORD got = 0;
  while (!lineEnded && ::ReadFile(file, chunk, kReadChunk, &got, nullptr) && got > 0) {
    anyRead = true;
    DWORD used = got;
    if (const void* lf = std::memchr(chunk, '\n', got)) {
      used = static_cast<DWORD>(static_cast<const char*>(lf) - chunk);
      lineEnded = true;
    }
    if (stored < room) {
      size_t n = used < room - stored ? used : room - stored;
      std::memcpy(buffer + stored, chunk, n);
      stored += n;
    }
    if (used > 0) last = chunk[used - 1];
    lineLength += used;
    if (lineEnded && used + 1 < got) {
      LARGE_INTEGER back;
      back.QuadPart = -static_cast<LONGLONG>(got - used - 1);
      ::SetFilePointerEx(file, back, nullptr, FILE_CURRENT);
    }
  }
  // Drop the CR of a CRLF, unless the line was cut before it.
  if (lineEnded && last == '\r' && stored == lineLength) --stored;
  buffer[stored] = '\0';
  return anyRead;
}
