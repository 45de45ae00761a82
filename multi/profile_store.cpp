// Stored passwords, profile-level values and members of the profile store.
#include "multi/profile_store.h"

#include <cstdio>
#include <string>

#include "common/text.h"
#include "hostapi/qpxcomm.h"
#include "multi/core/profile_keys.h"
#include "multi/core/scramble.h"
#include "multi/registry_value.h"

namespace qpmulti {

namespace {

constexpr const char* kPasswordValue = "Password";
constexpr const char* kProfileDataValue = "ProfileData";

// The scrambling key: the owner name cut to 149 characters and lower-cased the way
// Windows lower-cases ANSI text, so that letter case never matters.
struct LoweredOwner {
  char text[kScrambleKeyLimit + 1];
  explicit LoweredOwner(const char* owner) {
    qp::copyText(text, owner);
    CharLowerA(text);
  }
};

void clear(char* text, size_t size) {
  if (text != nullptr && size > 0) text[0] = '\0';
}

// One debug-log line "Error <code>h <what> <name>".
void logError(const char* format, LONG code, const char* name) {
  char line[400];
  std::snprintf(line, sizeof line, format, static_cast<unsigned long>(code), name ? name : "");
  WriteDebugLog(-1, line);
}

// Opens the profile key, creating it; logs a failure for the member operations.
LONG openProfileForMember(const char* profileName, qp::UniqueHKey& key) {
  LONG rc = openProfileKey(profileName, true, key);
  if (rc != ERROR_SUCCESS) logError("Error %lXh opening profile for %s", rc, profileName);
  return rc;
}

bool isEmpty(const char* text) { return text == nullptr || *text == '\0'; }

}  // namespace

bool ReadStoredPassword(HKEY key, const char* ownerName, char* password, size_t size) {
  if (size == 0) return false;
  password[0] = '\0';
  if (readTextValue(key, kPasswordValue, password, size)) return true;
  unsigned char data[kProfileDataSize];
  size_t length = 0;
  if (!readBinaryValue(key, kProfileDataValue, data, sizeof data, &length)) return false;
  const LoweredOwner owner(ownerName);
  unscramblePassword(owner.text, data, length, password, size);
  return true;
}

bool WriteStoredPassword(HKEY key, const char* ownerName, const char* password) {
  RegDeleteValueA(key, kPasswordValue);
  RegDeleteValueA(key, kProfileDataValue);
  if (isEmpty(password)) return true;
  const LoweredOwner owner(ownerName);
  unsigned char data[kProfileDataSize];
  const size_t length = scramblePassword(owner.text, password, data, sizeof data);
  return RegSetValueExA(key, kProfileDataValue, 0, REG_BINARY, data,
                        static_cast<DWORD>(length)) == ERROR_SUCCESS;
}

bool ReadProfilePassword(const char* profileName, char* password, size_t size) {
  clear(password, size);
  qp::UniqueHKey key;
  if (openProfileKey(profileName, true, key) != ERROR_SUCCESS) return false;
  return ReadStoredPassword(key.get(), profileName, password, size);
}

bool WriteProfilePassword(const char* profileName, const char* password) {
  qp::UniqueHKey key;
  if (openProfileKey(profileName, true, key) != ERROR_SUCCESS) return false;
  return WriteStoredPassword(key.get(), profileName, password);
}

bool ReadInternetInterface(const char* profileName, char* interfaceName, size_t size) {
  clear(interfaceName, size);
  qp::UniqueHKey key;
  if (openProfileKey(profileName, true, key) != ERROR_SUCCESS) return false;
  return readTextValue(key.get(), "InternetInterface", interfaceName, size);
}

bool WriteInternetInterface(const char* profileName, const char* interfaceName) {
  qp::UniqueHKey key;
  if (openProfileKey(profileName, true, key) != ERROR_SUCCESS) return false;
  RegDeleteValueA(key.get(), "InternetInterface");
  if (isEmpty(interfaceName)) return false;
  return writeTextValue(key.get(), "InternetInterface", interfaceName) == ERROR_SUCCESS;
}

bool ReadProfileMember(const char* profileName, unsigned login, char* userName,
                       char* interfaceName, char* password, char* mailDatabase, size_t size) {
  clear(userName, size);
  clear(interfaceName, size);
  clear(password, size);
  clear(mailDatabase, size);
  if (size == 0 || !isStoredLogin(login)) return false;  // other numbers are never read

  qp::UniqueHKey profile;
  if (openProfileForMember(profileName, profile) != ERROR_SUCCESS) return false;
  qp::UniqueHKey member;
  LONG rc = openMemberKey(profile.get(), login, false, member);
  if (rc != ERROR_SUCCESS) {
    logError("Error %lXh opening profile member %s", rc, memberKeyName(login).c_str());
    return false;
  }

  // The user name is needed as the password's key even when the caller does not want it.
  std::string user(size, '\0');
  if (!readTextValue(member.get(), "UserName", &user[0], size) || user[0] == '\0') return false;
  if (userName != nullptr) qp::copyText(userName, size, user.c_str());
  if (interfaceName != nullptr) readTextValue(member.get(), "Interface", interfaceName, size);
  if (password != nullptr) ReadStoredPassword(member.get(), user.c_str(), password, size);
  if (mailDatabase != nullptr) readTextValue(member.get(), "MailDatabase", mailDatabase, size);
  return true;
}

bool WriteProfileMember(const char* profileName, unsigned login, const char* userName,
                        const char* interfaceName, const char* password,
                        const char* mailDatabase) {
  if (!isStoredLogin(login)) return false;
  qp::UniqueHKey profile;
  if (openProfileForMember(profileName, profile) != ERROR_SUCCESS) return false;
  const std::string name = memberKeyName(login);
  RegDeleteTreeA(profile.get(), name.c_str());  // whatever the key held
  if (!userName && !interfaceName && !password && !mailDatabase) return false;

  qp::UniqueHKey member;
  LONG rc = openMemberKey(profile.get(), login, true, member);
  if (rc != ERROR_SUCCESS) {
    logError("Error %lXh creating profile member %s", rc, name.c_str());
    return false;
  }
  bool ok = true;
  if (!isEmpty(userName)) ok &= writeTextValue(member.get(), "UserName", userName) == ERROR_SUCCESS;
  ok &= WriteStoredPassword(member.get(), userName, password);
  if (!isEmpty(interfaceName))
    ok &= writeTextValue(member.get(), "Interface", interfaceName) == ERROR_SUCCESS;
  if (!isEmpty(mailDatabase))
    ok &= writeTextValue(member.get(), "MailDatabase", mailDatabase) == ERROR_SUCCESS;
  return ok;
}

}  // namespace qpmulti
