// The dial-up settings in the registry, the system's autodial switch, the credentials
// Windows stores for a profile, and the dial parameters built from all of them.
#include "dialup/settings_store.h"

#include <cstring>
#include <memory>
#include <new>
#include <utility>

#include "common/text.h"
#include "dialup/core/dial_logic.h"

namespace qpras {
namespace {

constexpr REGSAM kKeyAccess = KEY_READ | KEY_WRITE;

bool isText(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ; }

}  // namespace

bool openSettingsKey(const char* profile, const char* location, bool create,
                     qp::UniqueHKey& key) {
  // An empty name would address the key above it.
  if ((profile != nullptr && profile[0] == '\0') || (location != nullptr && location[0] == '\0'))
    return false;
  // One level at a time: Wine's ANSI registry calls refuse a path longer than MAX_PATH,
  // which a long profile and location name together exceed.
  const char* const levels[] = {kSettingsKey, profile, location};
  qp::UniqueHKey current;
  HKEY parent = HKEY_CURRENT_USER;
  for (const char* name : levels) {
    if (name == nullptr) break;
    qp::UniqueHKey next;
    LONG rc = create ? ::RegCreateKeyExA(parent, name, 0, const_cast<char*>(kKeyClass),
                                         REG_OPTION_NON_VOLATILE, kKeyAccess, nullptr,
                                         next.put(), nullptr)
                     : ::RegOpenKeyExA(parent, name, 0, kKeyAccess, next.put());
    if (rc != ERROR_SUCCESS) {
      next.release();
      return false;
    }
    current = std::move(next);
    parent = current.get();
  }
  key = std::move(current);
  return true;
}

bool readText(HKEY key, const char* name, char* text, size_t size) {
  if (size == 0) return false;
  text[0] = '\0';
  DWORD type = REG_NONE;
  DWORD length = static_cast<DWORD>(size);
  LONG rc = ::RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(text),
                               &length);
  if (rc == ERROR_SUCCESS) {
    if (!isText(type)) {
      text[0] = '\0';
      return false;
    }
    fitText(text, size, text, length);  // the data need not end with a zero
    return true;
  }
  if (rc != ERROR_MORE_DATA || !isText(type)) {
    text[0] = '\0';
    return false;
  }
  // Longer than the buffer: read it whole, keep what fits.
  std::unique_ptr<char[]> whole(new (std::nothrow) char[length]);
  if (!whole || ::RegQueryValueExA(key, name, nullptr, &type,
                                   reinterpret_cast<BYTE*>(whole.get()),
                                   &length) != ERROR_SUCCESS || !isText(type)) {
    text[0] = '\0';
    return false;
  }
  fitText(text, size, whole.get(), length);
  return true;
}

bool writeText(HKEY key, const char* name, const char* text) {
  if (text == nullptr) text = "";
  return ::RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                          static_cast<DWORD>(std::strlen(text) + 1)) == ERROR_SUCCESS;
}

void deleteValue(HKEY key, const char* name) { ::RegDeleteValueA(key, name); }

DWORD readAutodial() {
  qp::UniqueHKey key;
  if (::RegOpenKeyExA(HKEY_CURRENT_USER, kInternetSettingsKey, 0, KEY_READ, key.put()) !=
      ERROR_SUCCESS) {
    key.release();
    return 0;
  }
  DWORD value = 0;
  DWORD length = sizeof value;
  if (::RegQueryValueExA(key.get(), kEnableAutodialValue, nullptr, nullptr,
                         reinterpret_cast<BYTE*>(&value), &length) != ERROR_SUCCESS)
    return 0;
  return value;
}

bool writeAutodial(DWORD value) {
  qp::UniqueHKey key;
  if (::RegOpenKeyExA(HKEY_CURRENT_USER, kInternetSettingsKey, 0, kKeyAccess, key.put()) !=
      ERROR_SUCCESS) {
    key.release();
    return false;
  }
  return ::RegSetValueExA(key.get(), kEnableAutodialValue, 0, REG_BINARY,
                          reinterpret_cast<const BYTE*>(&value), sizeof value) == ERROR_SUCCESS;
}

bool rasAutodialKeyExists() {
  qp::UniqueHKey key;
  LONG rc = ::RegOpenKeyExA(HKEY_CURRENT_USER, kRasAutodialKey, 0, KEY_READ, key.put());
  if (rc != ERROR_SUCCESS) key.release();
  return rc == ERROR_SUCCESS;
}

bool fetchStoredDialParams(RasGetEntryDialParamsProc getParams, const char* profile,
                           RasDialParamsA& params) {
  std::memset(&params, 0, sizeof params);
  params.dwSize = kRasDialParamsSize;
  if (getParams == nullptr || profile == nullptr || profile[0] == '\0') return false;
  qp::copyText(params.szEntryName, profile);
  BOOL passwordStored = FALSE;
  if (getParams(nullptr, &params, &passwordStored) != 0) return false;
  // RAS fills fixed fields; make sure each ends inside its own.
  params.szPhoneNumber[sizeof params.szPhoneNumber - 1] = '\0';
  params.szUserName[sizeof params.szUserName - 1] = '\0';
  params.szPassword[sizeof params.szPassword - 1] = '\0';
  return true;
}

void GetStoredCredentials(const char* profile, char* user, size_t userSize, char* password,
                          size_t passwordSize) {
  qp::copyText(user, userSize, "");
  qp::copyText(password, passwordSize, "");
  RasLibrary ras;
  if (!ras) return;
  RasDialParamsA params;
  if (fetchStoredDialParams(
          ras.lookUp<RasGetEntryDialParamsProc>("RasGetEntryDialParamsA"), profile, params)) {
    qp::copyText(user, userSize, params.szUserName);
    qp::copyText(password, passwordSize, params.szPassword);
  }
  ::SecureZeroMemory(&params, sizeof params);
}

void readDialParams(RasDialParamsA& params) {
  std::memset(&params, 0, sizeof params);
  params.dwSize = kRasDialParamsSize;
  qp::UniqueHKey settings;
  if (!openSettingsKey(nullptr, nullptr, false, settings)) return;
  readText(settings.get(), kDefaultProfileValue, params.szEntryName,
           sizeof params.szEntryName);
  char location[kNameSize] = "";
  qp::UniqueHKey profileKey;
  if (openSettingsKey(params.szEntryName, nullptr, false, profileKey))
    readText(profileKey.get(), kDefaultLocationValue, location, sizeof location);
  qp::UniqueHKey locationKey;
  if (openSettingsKey(params.szEntryName, location, false, locationKey)) {
    readText(locationKey.get(), kPhoneNumberValue, params.szPhoneNumber,
             sizeof params.szPhoneNumber);
    readText(locationKey.get(), kUserNameValue, params.szUserName, sizeof params.szUserName);
    readText(locationKey.get(), kPasswordValue, params.szPassword, sizeof params.szPassword);
  }
  char storedUser[kNameSize];
  char storedPassword[kNameSize];
  GetStoredCredentials(params.szEntryName, storedUser, sizeof storedUser, storedPassword,
                       sizeof storedPassword);
  completeCredentials(params.szUserName, params.szPassword, storedUser, storedPassword);
  ::SecureZeroMemory(storedPassword, sizeof storedPassword);
}

}  // namespace qpras
