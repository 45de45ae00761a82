// Win32 file access of the mail store.
#include "host/mailstore/store_files.h"

#include <windows.h>

#include "common/win/unique.h"
#include "host/mailstore/store_paths.h"
#include "hostapi/qpxcomm.h"

namespace qp::mailstore {

namespace {

// The first `limit` bytes of a file of the directory, or nothing when it cannot be read.
std::optional<std::string> readFile(const std::string& mailDatabase, const char* name,
                                    size_t limit) {
  std::string path = joinPath(mailDatabase, name);
  if (path.empty()) return std::nullopt;
  UniqueFile file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return std::nullopt;
  std::string text(limit, '\0');
  size_t used = 0;
  while (used < text.size()) {
    DWORD got = 0;
    if (!::ReadFile(file.get(), &text[used], static_cast<DWORD>(text.size() - used), &got,
                    nullptr)) {
      return std::nullopt;
    }
    if (got == 0) break;
    used += got;
  }
  text.resize(used);
  return text;
}

}  // namespace

std::string sessionMailDatabase(QPSESSION session) {
  char mailDatabase[QP_TEXT_SMALL] = "";
  GetUserMailDatabase(session, mailDatabase);
  return mailDatabase;
}

std::optional<Account> readAccount(const std::string& mailDatabase) {
  std::optional<std::string> text = readFile(mailDatabase, kAccountFileName, kMaxAccountFileSize);
  if (!text) return std::nullopt;
  return parseAccount(*text);
}

std::optional<Account> readSessionAccount(QPSESSION session) {
  return readAccount(sessionMailDatabase(session));
}

void journalForSession(QPSESSION session, const JournalLine& line) {
  appendJournal(sessionMailDatabase(session), line);
}

std::optional<std::string> readSignature(const std::string& mailDatabase) {
  return readFile(mailDatabase, kSignatureFileName, kMaxSignatureSize);
}

bool writeSignature(const std::string& mailDatabase, const std::string& text) {
  std::string path = joinPath(mailDatabase, kSignatureFileName);
  if (path.empty() || text.size() > MAXDWORD) return false;
  UniqueFile file(::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  DWORD written = 0;
  return ::WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written,
                     nullptr) &&
         written == text.size();
}

void appendJournal(const std::string& mailDatabase, const JournalLine& line) {
  std::string path = joinPath(mailDatabase, kJournalFileName);
  if (path.empty()) return;
  UniqueFile file(::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return;
  // Writers, in this process or another, take turns through a lock on one byte far past
  // any journal's end (so readers never meet it), then write at the end. Opening with
  // FILE_APPEND_DATA alone is not enough: under Wine two such writers lost lines.
  OVERLAPPED turn = {};
  turn.OffsetHigh = 0x40000000;
  if (!::LockFileEx(file.get(), LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &turn)) return;
  ScopeExit unlock([&] { ::UnlockFileEx(file.get(), 0, 1, 0, &turn); });
  LARGE_INTEGER end = {};
  if (!::SetFilePointerEx(file.get(), end, nullptr, FILE_END)) return;
  std::string text = line.finished();
  DWORD written = 0;
  ::WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

}  // namespace qp::mailstore
