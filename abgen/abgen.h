// QPABGEN's Win32 shell: what its two modes share (the program's directory, the output
// path, the address book being written and the texts it prints).
#pragma once

#include <windows.h>

#include <string>

#include "abgen/core/book_entry.h"
#include "hostapi/qpxcomm.h"

namespace abgen {

// Exit codes: 0 after "Processing complete!", -1 after every error message.
constexpr int kExitDone = 0;
constexpr int kExitError = -1;

constexpr char kUsageLine1[] =
    "QPABGEN - Generates an SMTP address book for Quillpost, Portmerge or Trn2000\n";
constexpr char kUsageLine2[] =
    "Usage:   QPABGEN \"Input filename\" \"Output Address Book\" [Directory]\n";
constexpr char kErrorOpeningInput[] = "Error opening file %s\n";
constexpr char kErrorOpeningOutput[] = "Error opening address book output file %s\n";
constexpr char kErrorWritingOutput[] = "Error writing address book output file %s\n";
constexpr char kErrorLocatingUserFiles[] = "Error locating Quillpost/Portmerge user files at %s\n";
constexpr char kErrorNoHostName[] = "Quillpost/Portmerge SMTP host name is not configured\n";
// A progress line is "Processing record %u...\r", put together from these two.
constexpr char kProgressStart[] = "Processing record ";
constexpr char kProgressEnd[] = "...\r";
// The blanks cover the last progress line.
constexpr char kComplete[] = "Processing complete!                         \n";

// The running program's directory, up to and including its last backslash ("" when
// Windows cannot tell).
std::string programDirectory();

// A directory path passed through the common library's fixupMV, which ends it with a
// backslash.
std::string fixedUpDirectory(const std::string& directory);

// Where the address book goes: argument 3 when given (used as it is), else "ADDRBOOK"
// under the program's directory, created when missing; then the file name.
std::string outputPath(int argc, char** argv);

// Opens a file for reading the way both modes do: existing files only, shared for
// reading and writing.
HANDLE openForReading(const std::string& path);

// The key file being written. Each added entry counts, shows progress and is tidied by
// the common library before it is inserted; a failed insert is remembered, so that the
// run does not report a damaged address book as complete. Progress lines reach standard
// output a few times a second.
class AddressBook {
 public:
  AddressBook() = default;
  ~AddressBook();
  AddressBook(const AddressBook&) = delete;
  AddressBook& operator=(const AddressBook&) = delete;

  // Creates the key file (record size 1024, key size 255); false when it cannot.
  bool create(const std::string& path);
  void add(BookEntry& entry);
  // Closes the key file and prints the completion line; on a write failure prints the
  // error instead. Returns the program's exit code.
  int finish();

 private:
  void writeProgress();

  QPKEYFILE keyFile_ = {};
  std::string path_;
  bool open_ = false;
  bool writeFailed_ = false;
  unsigned count_ = 0;
  std::string progress_;  // progress lines not yet written
  ULONGLONG lastFlush_ = 0;
};

int runInputFile(const char* inputPath, int argc, char** argv);
int runDatabase(int argc, char** argv);

}  // namespace abgen
