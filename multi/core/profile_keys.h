// Names of the keys of a profile: the profile key under its area, the member keys
// "Login<n>" and the Login numbers that a profile may hold. Portable.
#pragma once

#include <cstddef>
#include <string>

namespace qpmulti {

constexpr unsigned kFirstLogin = 1;
constexpr unsigned kLastLogin = 49;
// Member key used only while the profile dialog swaps two members.
constexpr unsigned kSwapLogin = 1001;

// Longest text kept in a 150-byte buffer of the mail interface.
constexpr size_t kMaxTextLength = 149;

// True for the Login numbers of a profile's members, 1..49.
bool isMemberLogin(unsigned login);
// True for every number a member key may carry: 1..49 and the swap key 1001.
bool isStoredLogin(unsigned login);

// "Login<n>".
std::string memberKeyName(unsigned login);

// A profile name addresses exactly one key below its area: it must be non-empty, hold no
// backslash (which would reach into other keys, or for "" the area itself) and fit a
// 150-byte buffer.
bool isValidProfileName(const char* profileName);

// "<area>\<profile>", or the empty text for an invalid profile name.
std::string profileKeyPath(const char* areaPath, const char* profileName);

// Parses a Login number of a member (1..49) written in decimal digits only.
bool parseMemberLogin(const char* text, unsigned* login);

}  // namespace qpmulti
