// The script of our stand-in dial-up service: its phonebook (entries with their own
// phone numbers and stored credentials), forced failures, and one scripted outcome per
// dial. Also the journal line format. No Windows here, so it is tested natively.
//
// Script text, one instruction a line; blank lines and lines starting with # are skipped:
//   entry NAME | PHONE | USER | PASSWORD   a phonebook entry (fields after NAME optional)
//   enum-error CODE                        RasEnumEntriesA fails with CODE
//   params-error CODE                      RasGetEntryDialParamsA fails with CODE
//   delay MS                               pause before each posted state (default 0)
//   dial STATE...                          the next RasDialA succeeds and the states are
//                                          posted to its window in order
//   dial error CODE [nohandle]             the next RasDialA fails with CODE, handing out
//                                          a connection (to be hung up) unless nohandle
// STATE is a number (decimal or 0x hex) or one of PortOpened, Authenticate,
// LogonNetwork, Connected, Disconnected. Dials past the last dial line fail with
// kNoOutcomeError.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace rasfake {

struct Entry {
  std::string name;
  std::string phone;
  std::string user;
  std::string password;
};

struct Dial {
  bool refused = false;       // RasDialA returns `error`
  uint32_t error = 0;
  bool handsOutHandle = true;  // a refused dial still gives a connection handle
  std::vector<uint32_t> states;
};

struct Script {
  std::vector<Entry> entries;
  uint32_t enumError = 0;
  uint32_t paramsError = 0;
  uint32_t delayMs = 0;
  std::vector<Dial> dials;
};

// RAS's limits for the texts of an entry (characters).
constexpr size_t kMaxName = 256;
constexpr size_t kMaxPhone = 128;
constexpr size_t kMaxCredential = 256;

// The error of a dial that has no scripted outcome left.
constexpr uint32_t kNoOutcomeError = 629;

// Parses a script; on a bad line returns false with `error` saying "line N: why".
bool parseScript(const std::string& text, Script& script, std::string& error);

// The entry of that name (letter case ignored), or null.
const Entry* findEntry(const Script& script, const char* name);

// How the journal shows a password: empty when none was given, else "****" and its
// length ("****(6)"), never the text, so that a journal can be kept or shown safely.
std::string maskedPassword(const std::string& password);

// One journal line: the call, its fields as name=value separated by tabs, and
// "-> result". Tabs, line ends and backslashes in values are escaped (\t, \n, \r, \\).
std::string journalLine(const char* call,
                        const std::vector<std::pair<std::string, std::string>>& fields,
                        uint32_t result);

}  // namespace rasfake
