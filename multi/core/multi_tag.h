// The MULTI tag that routes a member's string back to its member session: "MULTI:", the
// member's slot in the MemberSessionTable in decimal, ":" and the member's own string.
// Portable.
#pragma once

#include <cstdint>

namespace qpmulti {

// Slots of a MemberSessionTable; -1 marks an empty slot.
constexpr unsigned kMemberSlots = 50;
constexpr int32_t kEmptySlot = -1;

struct MultiTag {
  unsigned index = 0;          // the slot the tag names
  const char* rest = nullptr;  // the member's own string, inside the parsed text
};

// Parses a tagged text. True when it begins with "MULTI:" (any letter case) and names a
// slot 0..49 that holds a member session in `slots` (kMemberSlots entries); the text
// after the digits and the one character that follows them (the ":") is the rest.
// Otherwise the text is untagged: false, with `rest` set to the whole text.
// A null `slots` has no member sessions, a null text is untagged.
bool ParseMultiTag(const char* text, const int32_t* slots, MultiTag* tag);

}  // namespace qpmulti
