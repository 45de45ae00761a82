// The registry areas of the profile store by network user, and opening, creating and
// deleting the profile, member and client-area profile keys.
#include <windows.h>
#include <winnetwk.h>

#include <string>

#include "multi/core/area_path.h"
#include "multi/core/profile_keys.h"
#include "multi/profile_store.h"
#include "multi/registry_value.h"

namespace qpmulti {

namespace {

const char* (*netUserSource)() = nullptr;

// The user name of the default network connection; empty when there is none.
std::string currentNetUser() {
  if (netUserSource != nullptr) {
    const char* name = netUserSource();
    return name == nullptr ? std::string() : std::string(name).substr(0, kMaxTextLength);
  }
  char name[150] = "";
  DWORD size = sizeof name;
  if (WNetGetUserA(nullptr, name, &size) != NO_ERROR) return std::string();
  name[sizeof name - 1] = '\0';
  return name;
}

// Reads (and on first use stores) the area's default network user, then decides the
// path. When the base key cannot be opened no default exists, and a network user gets
// a sub-area; a failed write of the default likewise only changes the path.
std::string computeAreaPath(const char* basePath, bool createBase) {
  const std::string netUser = currentNetUser();
  std::string defaultUser;
  qp::UniqueHKey base;
  LONG rc = createBase ? createKey(HKEY_CURRENT_USER, basePath, base)
                       : openKey(HKEY_CURRENT_USER, basePath, base);
  if (rc == ERROR_SUCCESS) {
    char stored[250];
    readTextValue(base.get(), kNetDefaultUserValue, stored, sizeof stored);
    defaultUser = stored;
    if (shouldStoreNetDefaultUser(netUser.c_str(), stored) &&
        writeTextValue(base.get(), kNetDefaultUserValue, netUser.c_str()) == ERROR_SUCCESS) {
      defaultUser = netUser;
    }
  }
  return areaPath(basePath, netUser.c_str(), defaultUser.c_str());
}

}  // namespace

const char* GetProfileAreaPath() {
  static const std::string path = computeAreaPath(kProfileAreaBase, true);
  return path.c_str();
}

const char* GetClientAreaPath() {
  static const std::string path = computeAreaPath(kClientAreaBase, false);
  return path.c_str();
}

void setNetUserSourceForTesting(const char* (*source)()) { netUserSource = source; }

LONG openProfileKey(const char* profileName, bool create, qp::UniqueHKey& key) {
  key.reset();
  const std::string path = profileKeyPath(GetProfileAreaPath(), profileName);
  if (path.empty()) return ERROR_INVALID_NAME;
  return create ? createKey(HKEY_CURRENT_USER, path.c_str(), key)
                : openKey(HKEY_CURRENT_USER, path.c_str(), key);
}

LONG openMemberKey(HKEY profileKey, unsigned login, bool create, qp::UniqueHKey& key) {
  key.reset();
  if (!isStoredLogin(login)) return ERROR_INVALID_PARAMETER;
  const std::string name = memberKeyName(login);
  return create ? createKey(profileKey, name.c_str(), key) : openKey(profileKey, name.c_str(), key);
}

LONG openClientProfileKey(const char* profileName, qp::UniqueHKey& key) {
  key.reset();
  const std::string path = profileKeyPath(GetClientAreaPath(), profileName);
  if (path.empty()) return ERROR_INVALID_NAME;
  return openKey(HKEY_CURRENT_USER, path.c_str(), key);
}

LONG deleteProfileKey(const char* profileName) {
  const std::string path = profileKeyPath(GetProfileAreaPath(), profileName);
  if (path.empty()) return ERROR_INVALID_NAME;
  return RegDeleteTreeA(HKEY_CURRENT_USER, path.c_str());
}

LONG deleteMemberKey(const char* profileName, unsigned login) {
  if (!isStoredLogin(login)) return ERROR_INVALID_PARAMETER;
  std::string path = profileKeyPath(GetProfileAreaPath(), profileName);
  if (path.empty()) return ERROR_INVALID_NAME;
  path += '\\';
  path += memberKeyName(login);
  return RegDeleteTreeA(HKEY_CURRENT_USER, path.c_str());
}

}  // namespace qpmulti
