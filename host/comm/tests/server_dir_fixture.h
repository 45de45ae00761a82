// Test fixture: a fresh, empty server directory per test under the temporary directory,
// named in QP_SERVER_DIR for the common library in this process and removed afterwards.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>

namespace qptest {

class ServerDirTest : public ::testing::Test {
 protected:
  void SetUp() override {
    static unsigned counter = 0;
    char temp[MAX_PATH];
    DWORD length = ::GetTempPathA(sizeof temp, temp);
    ASSERT_TRUE(length > 0 && length < sizeof temp) << "GetTempPathA gave " << length;
    dir_ = std::string(temp) + "qpcomm-" + std::to_string(::GetCurrentProcessId()) + "-" +
           std::to_string(::GetTickCount()) + "-" + std::to_string(++counter) + "\\";
    ASSERT_TRUE(::CreateDirectoryA(dir_.c_str(), nullptr))
        << dir_ << ": error " << ::GetLastError();
    ASSERT_TRUE(::SetEnvironmentVariableA("QP_SERVER_DIR", dir_.c_str()));
  }

  void TearDown() override {
    ::SetEnvironmentVariableA("QP_SERVER_DIR", nullptr);
    std::error_code ignored;
    if (!dir_.empty()) std::filesystem::remove_all(dir_, ignored);
  }

  // A path inside the server directory.
  std::string path(const std::string& name) const { return dir_ + name; }

  void writeFile(const std::string& name, const std::string& bytes) const {
    std::ofstream out(path(name), std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out.good()) << "cannot write " << path(name);
  }

  std::string readFile(const std::string& name) const {
    std::ifstream in(path(name), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

  bool isDirectory(const std::string& fullPath) const {
    DWORD attributes = ::GetFileAttributesA(fullPath.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
  }

  std::string dir_;  // ends with a backslash
};

}  // namespace qptest
