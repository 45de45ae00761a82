// What the misbehaving test interface library QPXWILD.DLL appends, shared by the library
// and the tests that check what QPXMULTI makes of it: its modes (chosen per call through
// the environment variable QP_WILD_MODE) and the texts of its entries.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

namespace wild {

// The environment variables the library reads at every call.
constexpr char kModeVariable[] = "QP_WILD_MODE";  // one of the mode names below
constexpr char kAuthVariable[] = "QP_WILD_AUTH";  // "refuse": QPIAuthenticateUser fails

enum class Mode {
  Normal,     // a few good entries
  Nothing,    // appends nothing, answers 0
  Many,       // 50,000 entries
  Bare,       // entries without the separators or brackets the host format expects
  Nulls,      // null pointers and empty strings among its entries (counted lists)
  CountHigh,  // raises the count (or answers a number) above what it appended
  CountLow,   // raises the count (or answers a number) below what it appended
  Shrink,     // lowers the host's count below what it was (counted lists)
  Fail,       // appends nothing and answers -1
};

struct ModeName {
  Mode mode;
  const char* name;
};
constexpr ModeName kModeNames[] = {
    {Mode::Normal, "normal"},      {Mode::Nothing, "nothing"}, {Mode::Many, "many"},
    {Mode::Bare, "bare"},          {Mode::Nulls, "nulls"},     {Mode::CountHigh, "count-high"},
    {Mode::CountLow, "count-low"}, {Mode::Shrink, "shrink"},   {Mode::Fail, "fail"},
};

inline Mode modeNamed(const char* name) {
  for (const ModeName& m : kModeNames) {
    if (name != nullptr && std::strcmp(name, m.name) == 0) return m.mode;
  }
  return Mode::Normal;
}

constexpr uint32_t kNormalEntries = 3;
constexpr uint32_t kManyEntries = 50000;
// CountHigh appends one entry and claims this many; CountLow appends three and claims one.
constexpr uint32_t kClaimedHigh = 4;
constexpr uint32_t kClaimedLow = 1;

// The lists the library appends to.
enum class List { Index, Search, Folders, Books, Recipients };

// Entry n (from 1) of a list, as the library appends it. `bare`: without any separator
// (0xFF) or angle bracket.
inline std::string entryText(List list, uint32_t n, bool bare = false) {
  // Fixed width, so that no identifier begins with another (a search result whose
  // identifier begins with an earlier one's counts as a repeat).
  char digits[16];
  std::snprintf(digits, sizeof digits, "%05u", static_cast<unsigned>(n));
  const std::string number = digits;
  if (bare) return "wild text " + number;
  switch (list) {
    case List::Index:
      return "Wild sender | Subject " + number + "\xFFW/" + number;
    case List::Search:
      return "Wild sender | Subject " + number + "\xFFW/" + number + "\xFFInbox";
    case List::Folders:
      return "Wild" + number + " - " + number + " messages";
    case List::Books:
      return "WildBook" + number;
    case List::Recipients:
      return "Wild Person " + number + " <w" + number + "@wild.example>";
  }
  return number;
}

}  // namespace wild
