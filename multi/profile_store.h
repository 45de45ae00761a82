// The profile store: multi-session profiles in the current user's registry hive (profile
// password, interface for Internet recipients, up to 49 members), the registry area of
// the current network user, and the cache of the user's full name and address in the
// desktop client's area. Texts are zero-terminated ANSI; out texts are always
// terminated within the size given; "absent" texts are null pointers.
#pragma once

#include <windows.h>

#include <cstddef>

#include "common/win/unique.h"

namespace qpmulti {

// Buffer sizes of the mail interface: profile texts and the full name/address.
constexpr size_t kTextSize = 150;
constexpr size_t kFullTextSize = 500;

// ---- Areas (computed on first use, then kept for the life of the process) -------------
// "Software\Vendral\Corvane\MultiSession", with "\NonDefaultUser\<net user>" appended
// for a network user other than the area's first one. The base key is created when
// missing.
const char* GetProfileAreaPath();
// The same for the desktop client's area "Software\Vendral\Trn32" (only opened).
const char* GetClientAreaPath();
// Test seam: where the network user's name comes from (null: WNetGetUserA). A source
// that returns null stands for a failed call, i.e. no network user. Takes effect only
// before the first area path is computed.
void setNetUserSourceForTesting(const char* (*source)());

// ---- Keys (Win32 error codes; ERROR_INVALID_NAME for an unusable profile name) ---------
// The profile key "<profile area>\<profile>", created (class "Corvane") when `create`.
LONG openProfileKey(const char* profileName, bool create, qp::UniqueHKey& key);
// The member key "Login<n>" of an open profile key; n is 1..49 or 1001.
LONG openMemberKey(HKEY profileKey, unsigned login, bool create, qp::UniqueHKey& key);
// The client-area profile key "<client area>\<profile>", never created.
LONG openClientProfileKey(const char* profileName, qp::UniqueHKey& key);
// Delete a whole profile, or one member key, with everything below it, by full path.
LONG deleteProfileKey(const char* profileName);
LONG deleteMemberKey(const char* profileName, unsigned login);

// ---- Stored passwords ------------------------------------------------------------------
// Reads the password of an open key: the plain "Password" value when present (returned
// unchanged), else "ProfileData" unscrambled with `ownerName`, cut to `size`. True when
// either value was read; the password is empty otherwise.
bool ReadStoredPassword(HKEY key, const char* ownerName, char* password,
                        size_t size = kTextSize);
// Deletes "Password" and "ProfileData", then stores a non-empty password scrambled as
// "ProfileData". False only when that value could not be written.
bool WriteStoredPassword(HKEY key, const char* ownerName, const char* password);

// ---- Profile (the profile key is created when missing) ---------------------------------
bool ReadProfilePassword(const char* profileName, char* password, size_t size = kTextSize);
bool WriteProfilePassword(const char* profileName, const char* password);
// True when "InternetInterface" was read.
bool ReadInternetInterface(const char* profileName, char* interfaceName,
                           size_t size = kTextSize);
// Replaces "InternetInterface"; true only when a non-empty name was written (an empty
// or null name just deletes the value).
bool WriteInternetInterface(const char* profileName, const char* interfaceName);

// ---- Members (Login numbers 1..49, and 1001 for the dialog's swap) ---------------------
// Reads member `login`: true when it counts (a non-empty "UserName"). Each out text may
// be null; the others hold `size` bytes and are emptied first.
bool ReadProfileMember(const char* profileName, unsigned login, char* userName,
                       char* interfaceName, char* password, char* mailDatabase,
                       size_t size = kTextSize);
// Replaces member `login` with the given texts (empty ones write no value). With all
// four absent the member key is only deleted and the result is false.
bool WriteProfileMember(const char* profileName, unsigned login, const char* userName,
                        const char* interfaceName, const char* password,
                        const char* mailDatabase);

// ---- Full name and address -------------------------------------------------------------
// The cached "FullName" ("FullAddress") of the client-area profile key when non-empty,
// else the mail server's user record of the profile name (QPGetUser).
void LookUpFullName(const char* profileName, char* fullName, size_t size = kFullTextSize);
void LookUpFullAddress(const char* profileName, char* fullAddress,
                       size_t size = kFullTextSize);
// Stores the text in the client-area profile key when that key exists.
void CacheFullName(const char* profileName, const char* fullName);
void CacheFullAddress(const char* profileName, const char* fullAddress);

}  // namespace qpmulti
