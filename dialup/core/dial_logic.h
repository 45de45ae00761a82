// The dial-up library's decisions and text handling, free of Windows: whether to dial,
// which stored credentials a call uses, which overrides the settings dialog keeps, how
// list items are matched, how registry and RAS texts are cut into the dialogs' buffers,
// and how the numbered message texts are filled in without trusting their conversions.
#pragma once

#include <cstddef>
#include <cstdint>

#include "dialup/core/ras_types.h"

namespace qpras {

// Buffers of the dialogs and the dial thread. Profile names, locations, user names and
// passwords keep what RAS allows (256 characters); phone numbers what RAS dials (128).
constexpr size_t kNameSize = kRasEntryNameSize;
constexpr size_t kPhoneSize = kRasPhoneNumberSize;
// Registry values read for a list search or a box ("DefaultProfile", "PhoneNumber").
constexpr size_t kRegistryTextSize = 500;
// The dialog's explanation text, with the application name filled in.
constexpr size_t kExplanationSize = 500;

// ---- Whether to dial ----------------------------------------------------------------
// The user's "UseDialUpNetworking", read once with default false (readDefaultNo) and
// once with default true (readDefaultYes).
enum class UserSetting { Yes, No, Unset };
UserSetting userSettingFrom(int readDefaultNo, int readDefaultYes);

enum class DialDecision {
  Refuse,                    // this library does not dial
  Dial,                      // start the dial thread
  SwitchOffAutodialAndDial,  // remember and switch off the system's autodial, then dial
};
// autodial: the system's "EnableAutodial"; rasAutodialKey: whether the key
// "Software\Microsoft\RAS AutoDial" exists (consulted only when autodial is 0).
DialDecision decideDial(UserSetting setting, uint32_t autodial, bool rasAutodialKey);

// ---- Credentials ----------------------------------------------------------------------
// The settings dialog keeps a typed user name or password only when it differs from the
// one Windows stores for the profile, letter case ignored; otherwise it deletes it.
bool keepOverride(const char* typed, const char* stored);

// Completes the dial parameters' user name and password from the stored credentials:
// an empty user name takes the stored one; an empty password takes the stored one when
// the user name is the stored user name (letter case ignored). Both buffers are at
// least kNameSize bytes.
void completeCredentials(char* user, char* password, const char* storedUser,
                         const char* storedPassword);

// ---- List items ------------------------------------------------------------------------
enum class ItemMatch { Prefix, Exact };
// Whether a list item matches a wanted text, letter case ignored. An empty wanted text
// matches nothing.
bool itemMatches(const char* item, const char* wanted, ItemMatch match);

// The location every profile has in the dialog, whether or not its key exists.
constexpr const char* kDefaultLocation = "(default)";
bool isDefaultLocation(const char* location);

// ---- Cutting ---------------------------------------------------------------------------
// Copies text data of `length` bytes that need not be terminated (a registry value, a
// RAS field) up to its first zero, cut to size - 1 characters, and terminates. Returns
// true when all of it fit. Nothing is written when size is 0.
bool fitText(char* destination, size_t size, const char* data, size_t length);

// ---- Message texts ---------------------------------------------------------------------
// One value for a conversion of a message text.
struct MessageArg {
  const char* text;  // used when not null
  long number;
};
// Fills a message text: each %s, %d, %i, %u, %ld or %lu takes the next value (a number
// for %s is written in decimal, a text for %d as it is), %% gives %, a conversion
// without a value gives nothing, anything else is copied. The result is cut to
// size - 1 characters and always terminated; never more than `count` values are read.
void formatMessage(const char* format, const MessageArg* args, size_t count, char* out,
                   size_t size);

}  // namespace qpras
