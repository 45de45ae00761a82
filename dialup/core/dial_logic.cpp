// Decisions and text handling of the dial-up library (see dial_logic.h).
#include "dialup/core/dial_logic.h"

#include <cstdio>
#include <cstring>

#include "common/text.h"

namespace qpras {

UserSetting userSettingFrom(int readDefaultNo, int readDefaultYes) {
  if (readDefaultNo != 0) return UserSetting::Yes;
  if (readDefaultYes == 0) return UserSetting::No;
  return UserSetting::Unset;
}

DialDecision decideDial(UserSetting setting, uint32_t autodial, bool rasAutodialKey) {
  if (setting == UserSetting::Yes)
    return autodial != 0 ? DialDecision::SwitchOffAutodialAndDial : DialDecision::Dial;
  if (setting == UserSetting::No) return DialDecision::Refuse;
  // Unset: dial only where the system has no autodial of its own.
  return autodial == 0 && !rasAutodialKey ? DialDecision::Dial : DialDecision::Refuse;
}

bool keepOverride(const char* typed, const char* stored) {
  return !qp::equalsNoCase(typed, stored);
}

void completeCredentials(char* user, char* password, const char* storedUser,
                         const char* storedPassword) {
  if (user[0] == '\0') qp::copyText(user, kNameSize, storedUser);
  if (password[0] == '\0' && qp::equalsNoCase(user, storedUser))
    qp::copyText(password, kNameSize, storedPassword);
}

bool itemMatches(const char* item, const char* wanted, ItemMatch match) {
  if (wanted == nullptr || wanted[0] == '\0') return false;
  return match == ItemMatch::Prefix ? qp::startsWithNoCase(item, wanted)
                                    : qp::equalsNoCase(item, wanted);
}

bool isDefaultLocation(const char* location) {
  return qp::equalsNoCase(location, kDefaultLocation);
}

bool fitText(char* destination, size_t size, const char* data, size_t length) {
  if (size == 0) return false;
  if (data == nullptr) length = 0;
  size_t text = length == 0 ? 0 : strnlen(data, length);
  size_t n = text < size - 1 ? text : size - 1;
  if (n > 0) std::memmove(destination, data, n);
  destination[n] = '\0';
  return n == text;
}

namespace {

// Appends within the output buffer; `used` counts what is in it.
void put(char* out, size_t size, size_t& used, const char* text, size_t length) {
  size_t room = size - 1 - used;
  size_t n = length < room ? length : room;
  std::memcpy(out + used, text, n);
  used += n;
}

}  // namespace

void formatMessage(const char* format, const MessageArg* args, size_t count, char* out,
                   size_t size) {
  if (size == 0) return;
  size_t used = 0;
  size_t next = 0;
  for (const char* p = format ? format : ""; *p != '\0'; ++p) {
    if (*p != '%') {
      put(out, size, used, p, 1);
      continue;
    }
    const char* conversion = p + 1;
    if (*conversion == '%') {
      put(out, size, used, "%", 1);
      p = conversion;
      continue;
    }
    if (*conversion == 'l') ++conversion;
    if (*conversion != 's' && *conversion != 'd' && *conversion != 'i' && *conversion != 'u') {
      put(out, size, used, p, 1);  // not a conversion we fill: copied as it is
      continue;
    }
    p = conversion;
    if (next >= count) continue;
    const MessageArg& arg = args[next++];
    if (arg.text != nullptr) {
      put(out, size, used, arg.text, std::strlen(arg.text));
    } else {
      char number[24];
      int length = *conversion == 'u' ? std::snprintf(number, sizeof number, "%lu",
                                                static_cast<unsigned long>(arg.number))
                                : std::snprintf(number, sizeof number, "%ld", arg.number);
      if (length > 0) put(out, size, used, number, static_cast<size_t>(length));
    }
  }
  out[used] = '\0';
}

}  // namespace qpras
