// Profile and member key names; see profile_keys.h.
#include "multi/core/profile_keys.h"

#include <cstring>

namespace qpmulti {

bool isMemberLogin(unsigned login) { return login >= kFirstLogin && login <= kLastLogin; }

bool isStoredLogin(unsigned login) { return isMemberLogin(login) || login == kSwapLogin; }

std::string memberKeyName(unsigned login) { return "Login" + std::to_string(login); }

bool isValidProfileName(const char* profileName) {
  if (profileName == nullptr || *profileName == '\0') return false;
  const size_t length = strnlen(profileName, kMaxTextLength + 1);
  return length <= kMaxTextLength && std::memchr(profileName, '\\', length) == nullptr;
}

std::string profileKeyPath(const char* areaPath, const char* profileName) {
  if (!isValidProfileName(profileName)) return std::string();
  std::string path = areaPath == nullptr ? "" : areaPath;
  path += '\\';
  path += profileName;
  return path;
}

bool parseMemberLogin(const char* text, unsigned* login) {
  if (text == nullptr || *text == '\0') return false;
  unsigned value = 0;
  for (const char* p = text; *p != '\0'; ++p) {
    if (*p < '0' || *p > '9') return false;
    value = value * 10 + static_cast<unsigned>(*p - '0');
    if (value > kLastLogin) return false;  // also keeps long digit runs from overflowing
  }
  if (!isMemberLogin(value)) return false;
  *login = value;
  return true;
}

}  // namespace qpmulti
