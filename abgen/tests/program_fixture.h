// Runs the real QPABGEN.EXE as a child process: each test gets a fresh server directory
// (under the temporary directory) that holds the program and the common library, since
// database mode reads the files beside the program. The address book it writes is read
// back with the common library's key-file reader.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/comm/userdb.h"

namespace abgentest {

struct ProgramRun {
  DWORD exitCode = 0xDEADBEEF;
  std::string out;  // standard output, as written (text mode: "\n" arrives as "\r\n")
};

// An address book entry as read back: its four texts and all of its 1024 bytes.
struct Entry {
  std::string name, address, column3, column4;
  std::string bytes;
};

constexpr DWORD kExitError = static_cast<DWORD>(-1);
// The completion line as it reaches a file.
extern const char kCompleteLine[];

// Its helpers are public: tables of steps call them through plain function pointers.
class ProgramTest : public ::testing::Test {
 public:
  void SetUp() override;
  void TearDown() override;

  // A path in the server directory (the program's directory); dir() ends in "\".
  const std::string& dir() const { return dir_; }
  std::string path(const std::string& name) const { return dir_ + name; }
  void writeFile(const std::string& name, const std::string& bytes) const;
  bool exists(const std::string& fullPath) const;
  bool isDirectory(const std::string& fullPath) const;

  // QUILLPOST.INI with the host name in [SMTP] (no key at all when `hostName` is null).
  void writeServerIni(const char* hostName) const;
  // A user database file of whole records laid out by the common library.
  void writeUserFile(const std::string& name,
                     const std::vector<qpcomm::UserRecord>& users) const;

  // Runs QPABGEN from the server directory with the arguments.
  ProgramRun run(const std::vector<std::string>& args) const;

  // The entries of a closed key file in key order; fails the test when the file is no
  // valid key file of record size 1024 and key size 255.
  std::vector<Entry> readBook(const std::string& fullPath) const;

 private:
  std::string dir_;
};

// "Processing record 1...\r" .. "Processing record N...\r" and the completion line.
std::string progressOutput(unsigned entries);

}  // namespace abgentest
