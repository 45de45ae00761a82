// Where a registry area's per-profile keys live for the current network user: the first
// network user of a Windows account uses the area itself, every other one a sub-area
// "\NonDefaultUser\<name>". Portable: the Win32 side reads and writes the registry.
#pragma once

#include <string>

namespace qpmulti {

// Base paths of the two areas under HKEY_CURRENT_USER.
constexpr const char* kProfileAreaBase = "Software\\Vendral\\Corvane\\MultiSession";
constexpr const char* kClientAreaBase = "Software\\Vendral\\Trn32";
// Value of the base key naming the area's default network user.
constexpr const char* kNetDefaultUserValue = "NetDefaultUser";

// True when the net user should be stored as the area's default user: none is stored yet
// (`storedDefault` null or empty) and there is a net user.
bool shouldStoreNetDefaultUser(const char* netUser, const char* storedDefault);

// The area path: `basePath`, followed by "\NonDefaultUser\" and the net user when the
// net user is non-empty and differs (ASCII case aside) from `defaultUser`.
std::string areaPath(const char* basePath, const char* netUser, const char* defaultUser);

}  // namespace qpmulti
