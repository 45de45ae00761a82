// QPABGEN's database mode: one address book entry per SMTP, POP3 or IMAP mailbox of the
// server's user database files, which lie with QUILLPOST.INI in the program's directory.
#include <cstdio>

#include "abgen/abgen.h"
#include "abgen/core/mailbox.h"
#include "common/win/unique.h"

namespace abgen {

namespace {

constexpr char kServerIni[] = "QUILLPOST.INI";
constexpr char kUserDbPattern[] = "QPUSER.DB?";
constexpr DWORD kHostNameSize = 150;

// Adds the entries of one user database file; a file that cannot be opened is passed over.
void addUserFile(const std::string& path, const char* hostName, AddressBook& book) {
  qp::UniqueFile file(openForReading(path));
  if (!file) return;
  UserRecord record;
  BookEntry entry;
  for (;;) {
    record.clear();
    DWORD got = 0;
    if (!::ReadFile(file.get(), record.bytes, kUserRecordSize, &got, nullptr) || got == 0) break;
    if (entryFromUserRecord(record, hostName, entry)) book.add(entry);
  }
}

}  // namespace

int runDatabase(int argc, char** argv) {
  const std::string serverDirectory = fixedUpDirectory(programDirectory());
  const std::string iniPath = serverDirectory + kServerIni;
  if (!Exist(iniPath.c_str())) {
    std::printf(kErrorLocatingUserFiles, iniPath.c_str());
    return kExitError;
  }
  const std::string pattern = serverDirectory + kUserDbPattern;
  if (!Exist(pattern.c_str())) {
    std::printf(kErrorLocatingUserFiles, pattern.c_str());
    return kExitError;
  }
  char hostName[kHostNameSize];
  ::GetPrivateProfileStringA("SMTP", "HostDotDomainName", "", hostName, kHostNameSize,
                             iniPath.c_str());
  if (hostName[0] == '\0') {
    std::printf(kErrorNoHostName);
    return kExitError;
  }
  const std::string bookPath = outputPath(argc, argv);
  AddressBook book;
  if (!book.create(bookPath)) {
    std::printf(kErrorOpeningOutput, bookPath.c_str());
    return kExitError;
  }
  for (int i = 0; i < kUserDbFileCount; ++i)
    addUserFile(serverDirectory + userDbFileName(i), hostName, book);
  return book.finish();
}

}  // namespace abgen
