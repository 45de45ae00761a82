// What both modes of QPABGEN share: the program's directory, the output path, opening
// input files, and the address book key file with its progress lines.
#include <charconv>
#include <cstdio>
#include <vector>

#include "abgen/abgen.h"

namespace abgen {

namespace {

constexpr char kDefaultFolder[] = "ADDRBOOK";
constexpr DWORD kLongestPath = 32768;  // the longest path Windows hands out
// Progress lines are collected and written out this often: a formatted console write
// per line makes a large run many times slower (under Wine, output to a device too).
constexpr ULONGLONG kProgressFlushMs = 100;
constexpr size_t kProgressBufferSize = 1 << 16;  // and when this much is collected

}  // namespace

std::string programDirectory() {
  std::vector<char> path(MAX_PATH);
  for (;;) {
    DWORD size = static_cast<DWORD>(path.size());
    DWORD length = ::GetModuleFileNameA(nullptr, path.data(), size);
    if (length == 0) return std::string();
    if (length < size) {
      std::string text(path.data(), length);
      return text.substr(0, text.find_last_of('\\') + 1);  // "" when there is no backslash
    }
    if (size >= kLongestPath) return std::string();
    path.resize(size * 2);  // cut to fit: ask again with room for the whole path
  }
}

std::string fixedUpDirectory(const std::string& directory) {
  std::vector<char> buffer(directory.begin(), directory.end());
  buffer.resize(directory.size() + 2, '\0');  // room for the backslash and the zero
  fixupMV(buffer.data(), static_cast<int32_t>(buffer.size()));
  return std::string(buffer.data());
}

std::string outputPath(int argc, char** argv) {
  std::string directory;
  if (argc > 3) {
    directory = argv[3];
  } else {
    directory = programDirectory() + kDefaultFolder;
    ::CreateDirectoryA(directory.c_str(), nullptr);  // an existing one is fine; a failure
                                                     // shows when the key file is created
  }
  return fixedUpDirectory(directory) + argv[2];
}

HANDLE openForReading(const std::string& path) {
  return ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

AddressBook::~AddressBook() {
  if (open_) QPCloseKeyFile(&keyFile_);
}

bool AddressBook::create(const std::string& path) {
  path_ = path;
  open_ = QPCreateKeyFile(path.c_str(), kKeyFileRecordSize, kKeyFileKeySize, &keyFile_) != 0;
  return open_;
}

void AddressBook::add(BookEntry& entry) {
  ++count_;
  char number[16];
  const auto end = std::to_chars(number, number + sizeof number, count_).ptr;
  progress_.append(kProgressStart).append(number, end).append(kProgressEnd);
  const ULONGLONG now = ::GetTickCount64();
  if (now - lastFlush_ >= kProgressFlushMs || progress_.size() >= kProgressBufferSize) {
    writeProgress();
    lastFlush_ = now;
  }
  NormalizeName(entry.bytes);
  if (!QPInsertKeyFileRecord(&keyFile_, entry.bytes)) writeFailed_ = true;
}

void AddressBook::writeProgress() {
  std::fwrite(progress_.data(), 1, progress_.size(), stdout);
  std::fflush(stdout);
  progress_.clear();
}

int AddressBook::finish() {
  writeProgress();
  bool closed = open_ && QPCloseKeyFile(&keyFile_) != 0;
  open_ = false;
  if (!closed || writeFailed_) {
    std::printf(kErrorWritingOutput, path_.c_str());
    return kExitError;
  }
  std::printf(kComplete);
  return kExitDone;
}

}  // namespace abgen
