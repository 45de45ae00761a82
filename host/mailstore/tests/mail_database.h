// Test helper: a fresh mail database directory under the temporary directory, holding an
// ACCOUNT.INI, removed again at the end; and a reader for its journal.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>

namespace qptest {

inline std::string accountText(const std::string& userName, const std::string& password) {
  return "[Account]\r\nUserName=" + userName + "\r\nPassword=" + password +
         "\r\nFullName=Test User\r\nFullAddress=test@example.com\r\n";
}

class MailDatabase {
 public:
  // account null: the directory holds no account file.
  explicit MailDatabase(const char* account) {
    static unsigned counter = 0;
    char temp[MAX_PATH];
    DWORD length = ::GetTempPathA(sizeof temp, temp);
    if (length == 0 || length >= sizeof temp) {
      ADD_FAILURE() << "GetTempPathA gave " << length;
      return;
    }
    path_ = std::string(temp) + "qpmail-" + std::to_string(::GetCurrentProcessId()) + "-" +
            std::to_string(::GetTickCount()) + "-" + std::to_string(++counter);
    if (!::CreateDirectoryA(path_.c_str(), nullptr)) {
      ADD_FAILURE() << path_ << ": error " << ::GetLastError();
      return;
    }
    if (account != nullptr) {
      std::ofstream out(path_ + "\\ACCOUNT.INI", std::ios::binary);
      out << account;
      if (!out.good()) ADD_FAILURE() << "cannot write the account file in " << path_;
    }
  }
  ~MailDatabase() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  MailDatabase(const MailDatabase&) = delete;
  MailDatabase& operator=(const MailDatabase&) = delete;

  // The directory, without a trailing backslash.
  const std::string& path() const { return path_; }

  std::string journal() const {
    std::ifstream in(path_ + "\\JOURNAL.LOG", std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

 private:
  std::string path_;
};

}  // namespace qptest
