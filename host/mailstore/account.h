// The account file "ACCOUNT.INI" of a sample mail store: its [Account] section read from
// text, the capability number, and the credential check.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qp::mailstore {

// A line or value of an INI file without its surrounding blanks and tabs and a trailing CR.
std::string_view trimIniText(std::string_view text);

constexpr const char* kAccountFileName = "ACCOUNT.INI";
constexpr size_t kMaxAccountFileSize = 64 * 1024;

struct Account {
  std::string userName;
  std::string password;
  std::string fullName;
  std::string fullAddress;
  std::optional<uint32_t> capabilities;  // absent when unset or not a number
  uint32_t pollResult = 0;               // what a poll for new mail answers
};

// Reads the keys of section [Account] (section and key names without regard to case;
// blanks around names and values dropped; lines starting with ';' or '#' are comments;
// the first occurrence of a key wins). Keys of other sections are ignored.
Account parseAccount(std::string_view text);

// A 32-bit number written in decimal or as 0x hex, with blanks around it allowed.
std::optional<uint32_t> parseNumber(std::string_view text);

// True when the user name matches without regard to case and the password exactly. An
// account without a user name accepts nobody.
bool acceptsCredentials(const Account& account, const char* userName, const char* password);

}  // namespace qp::mailstore
