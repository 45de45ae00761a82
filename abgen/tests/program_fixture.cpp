// The QPABGEN test fixture: server directories with the program, child runs with their
// output in a file, and address books read back.
#include "abgen/tests/program_fixture.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "common/win/unique.h"
#include "host/comm/keyfile.h"

namespace abgentest {

const char kCompleteLine[] = "Processing complete!                         \r\n";

namespace {

std::string testProgramDirectory() {
  char path[MAX_PATH];
  DWORD length = ::GetModuleFileNameA(nullptr, path, sizeof path);
  std::string text(path, length);
  return text.substr(0, text.find_last_of('\\') + 1);
}

// A hard link where the file system allows one (the programs are large with their debug
// information), else a copy.
void placeProgramFile(const std::string& name, const std::string& dir) {
  const std::string from = testProgramDirectory() + name;
  const std::string to = dir + name;
  if (!::CreateHardLinkA(to.c_str(), from.c_str(), nullptr)) {
    ASSERT_TRUE(::CopyFileA(from.c_str(), to.c_str(), FALSE)) << from << ": " << ::GetLastError();
  }
}

std::string readAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string fieldText(const unsigned char* record, size_t offset, size_t size) {
  const char* text = reinterpret_cast<const char*>(record + offset);
  return std::string(text, strnlen(text, size));
}

// One argument in quotes, as the C runtime splits a command line: backslashes before a
// quote (and before the closing one) doubled, quotes escaped.
std::string quoted(const std::string& arg) {
  std::string text = "\"";
  size_t backslashes = 0;
  for (char c : arg) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    text.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
    backslashes = 0;
    text += c;
  }
  return text.append(2 * backslashes, '\\') + "\"";
}

}  // namespace

void ProgramTest::SetUp() {
  static unsigned counter = 0;
  char temp[MAX_PATH];
  DWORD length = ::GetTempPathA(sizeof temp, temp);
  ASSERT_TRUE(length > 0 && length < sizeof temp);
  dir_ = std::string(temp) + "abgen-" + std::to_string(::GetCurrentProcessId()) + "-" +
         std::to_string(++counter) + "\\";
  std::error_code ignored;
  std::filesystem::remove_all(dir_, ignored);
  ASSERT_TRUE(::CreateDirectoryA(dir_.c_str(), nullptr)) << dir_ << ": " << ::GetLastError();
  placeProgramFile("QPABGEN.EXE", dir_);
  placeProgramFile("QPXCOMM.DLL", dir_);
}

void ProgramTest::TearDown() {
  std::error_code ignored;
  if (!dir_.empty()) std::filesystem::remove_all(dir_, ignored);
}

void ProgramTest::writeFile(const std::string& name, const std::string& bytes) const {
  std::ofstream out(path(name), std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  ASSERT_TRUE(out.good()) << "cannot write " << path(name);
}

bool ProgramTest::exists(const std::string& fullPath) const {
  return ::GetFileAttributesA(fullPath.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool ProgramTest::isDirectory(const std::string& fullPath) const {
  DWORD attributes = ::GetFileAttributesA(fullPath.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void ProgramTest::writeServerIni(const char* hostName) const {
  std::string text = "[Server]\r\nName=Test\r\n[SMTP]\r\nPort=25\r\n";
  if (hostName != nullptr) text += std::string("HostDotDomainName=") + hostName + "\r\n";
  writeFile("QUILLPOST.INI", text);
}

void ProgramTest::writeUserFile(const std::string& name,
                                const std::vector<qpcomm::UserRecord>& users) const {
  std::string bytes;
  unsigned char record[qpcomm::kUserRecordSize];
  for (const qpcomm::UserRecord& user : users) {
    qpcomm::buildUserRecord(user, record);
    bytes.append(reinterpret_cast<const char*>(record), sizeof record);
  }
  writeFile(name, bytes);
}

ProgramRun ProgramTest::run(const std::vector<std::string>& args) const {
  std::string commandLine = quoted(path("QPABGEN.EXE"));
  for (const std::string& arg : args) commandLine += " " + quoted(arg);
  // Outside the server directory, so that no test sees it there.
  const std::string outPath = dir_.substr(0, dir_.size() - 1) + ".out";
  ProgramRun result;
  {
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    qp::UniqueFile out(::CreateFileA(outPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                     CREATE_ALWAYS, 0, nullptr));
    if (!out) {
      ADD_FAILURE() << "cannot create " << outPath;
      return result;
    }
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = out.get();
    startup.hStdError = out.get();
    PROCESS_INFORMATION process = {};
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    if (!::CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                          &startup, &process)) {
      ADD_FAILURE() << "CreateProcess failed: " << ::GetLastError();
      return result;
    }
    qp::UniqueHandle processHandle(process.hProcess);
    qp::UniqueHandle threadHandle(process.hThread);
    EXPECT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(process.hProcess, 60000));
    ::GetExitCodeProcess(process.hProcess, &result.exitCode);
  }
  result.out = readAll(outPath);
  ::DeleteFileA(outPath.c_str());
  return result;
}

std::vector<Entry> ProgramTest::readBook(const std::string& fullPath) const {
  std::vector<Entry> entries;
  qpcomm::KeyFileReader reader;
  if (!reader.open(fullPath)) {
    ADD_FAILURE() << fullPath << ": " << reader.error();
    return entries;
  }
  EXPECT_EQ(1024u, reader.recordSize());
  EXPECT_EQ(255u, reader.keySize());
  for (uint32_t i = 0; i < reader.count(); ++i) {
    const unsigned char* r = reader.recordInKeyOrder(i);
    entries.push_back({fieldText(r, 0, 60), fieldText(r, 60, 256), fieldText(r, 316, 41),
                       fieldText(r, 357, 501),
                       std::string(reinterpret_cast<const char*>(r), 1024)});
  }
  return entries;
}

std::string progressOutput(unsigned entries) {
  std::string text;
  for (unsigned i = 1; i <= entries; ++i)
    text += "Processing record " + std::to_string(i) + "...\r";
  return text + kCompleteLine;
}

}  // namespace abgentest
