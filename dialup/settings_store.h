// The dial-up settings in the current user's registry: the settings key with the last
// confirmed profile, one key per profile with its last location, one key per location
// with the overrides (phone number, user name, password); the system's autodial
// switch; and the credentials Windows stores for a dial-up profile.
#pragma once

#include <windows.h>

#include <cstddef>

#include "common/win/unique.h"
#include "dialup/core/ras_types.h"
#include "dialup/ras_library.h"

namespace qpras {

// All under HKEY_CURRENT_USER.
constexpr const char* kSettingsKey = "Software\\Vendral\\Corvane\\DialUpNetworking";
constexpr const char* kInternetSettingsKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
constexpr const char* kRasAutodialKey = "Software\\Microsoft\\RAS AutoDial";
constexpr const char* kRemoteAccessKey = "RemoteAccess";
// Class string of every key this library creates.
constexpr const char* kKeyClass = "Corvane";

constexpr const char* kDefaultProfileValue = "DefaultProfile";
constexpr const char* kDefaultLocationValue = "DefaultLocation";
constexpr const char* kPhoneNumberValue = "PhoneNumber";
constexpr const char* kUserNameValue = "UserName";
constexpr const char* kPasswordValue = "Password";
constexpr const char* kInternetProfileValue = "InternetProfile";
constexpr const char* kEnableAutodialValue = "EnableAutodial";

// The settings key, or settings key \ profile, or settings key \ profile \ location
// (profile and location may be null), opened for reading and writing; `create` makes
// missing keys with the class "Corvane". False when the key cannot be had.
bool openSettingsKey(const char* profile, const char* location, bool create,
                     qp::UniqueHKey& key);

// Reads a text value into `size` bytes, cut to fit. False (and an empty text) when the
// value is missing or is no text.
bool readText(HKEY key, const char* name, char* text, size_t size);
// Writes a REG_SZ value whose stored length includes the terminator.
bool writeText(HKEY key, const char* name, const char* text);
void deleteValue(HKEY key, const char* name);

// "EnableAutodial" of the Internet Settings key; 0 when the key or value is missing.
DWORD readAutodial();
// Writes "EnableAutodial" as 4 bytes of type REG_BINARY; false when the key cannot be
// opened for writing or the write fails.
bool writeAutodial(DWORD value);
bool rasAutodialKeyExists();

// Fills `params` (zeroed, dwSize 1052, entry name = profile) with what Windows stores
// for the profile, through `getParams`; false when it is null, the profile is empty or
// RAS refuses.
bool fetchStoredDialParams(RasGetEntryDialParamsProc getParams, const char* profile,
                           RasDialParamsA& params);

// The user name and password Windows stores for a dial-up profile, each cut to its
// buffer; both empty when RAS or the profile cannot give them.
void GetStoredCredentials(const char* profile, char* user, size_t userSize, char* password,
                          size_t passwordSize);

// The dial parameters of the confirmed choice: entry name from "DefaultProfile", the
// location's phone number and overrides, completed from the stored credentials.
void readDialParams(RasDialParamsA& params);

}  // namespace qpras
