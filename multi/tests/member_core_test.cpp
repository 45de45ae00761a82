// The portable rules behind member sessions: MULTI tags and the option bits a member
// session gets from its host session and its mailbox type.
#include <gtest/gtest.h>

#include <string>

#include "multi/core/member_options.h"
#include "multi/core/multi_tag.h"

namespace {

using qpmulti::MultiTag;
using qpmulti::ParseMultiTag;

// Slots 0, 1 and 12 hold member sessions; all others are empty.
struct Slots {
  int32_t slot[qpmulti::kMemberSlots];
  Slots() {
    for (int32_t& s : slot) s = qpmulti::kEmptySlot;
    slot[0] = 7;
    slot[1] = 8;
    slot[12] = 19;
  }
};

TEST(MultiTag, ParsesTagsOfFilledSlotsOnly) {
  struct Case {
    const char* text;
    bool tagged;
    unsigned index;
    const char* rest;  // for untagged texts, the whole text comes back
  };
  const Case cases[] = {
      {"MULTI:1:<id@host>", true, 1, "<id@host>"},
      {"multi:1:lower-case tag", true, 1, "lower-case tag"},
      {"Multi:12:thirteenth", true, 12, "thirteenth"},
      {"MULTI:0:", true, 0, ""},
      {"MULTI:1", true, 1, ""},                    // digits end the text
      {"MULTI::no digits", true, 0, "no digits"},  // an empty run of digits is slot 0
      {"MULTI:1x:rest", true, 1, ":rest"},         // exactly one character is skipped
      {"MULTI:01:x", true, 1, "x"},
      {"MULTI:77:x", false, 0, "MULTI:77:x"},  // beyond the table
      {"MULTI:49:x", false, 0, "MULTI:49:x"},  // in range, but the slot is empty
      {"MULTI:2:x", false, 0, "MULTI:2:x"},
      {"MULTI-1:x", false, 0, "MULTI-1:x"},  // sixth character is not ':'
      {"MULTI", false, 0, "MULTI"},
      {"MULT:1:x", false, 0, "MULT:1:x"},
      {"plain id", false, 0, "plain id"},
      {"", false, 0, ""},
      // Huge indexes must not wrap around to a filled slot (2^32 + 1 and 2^64 + 12).
      {"MULTI:4294967297:x", false, 0, "MULTI:4294967297:x"},
      {"MULTI:18446744073709551628:x", false, 0, "MULTI:18446744073709551628:x"},
  };
  const Slots slots;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    MultiTag tag;
    tag.index = 99;
    EXPECT_EQ(ParseMultiTag(c.text, slots.slot, &tag), c.tagged);
    EXPECT_EQ(tag.index, c.index);
    ASSERT_NE(tag.rest, nullptr);
    EXPECT_EQ(std::string(tag.rest), c.rest);
  }
}

TEST(MultiTag, WithoutTableOrTextNothingIsTagged) {
  MultiTag tag;
  EXPECT_FALSE(ParseMultiTag("MULTI:0:x", nullptr, &tag));
  EXPECT_FALSE(ParseMultiTag(nullptr, Slots().slot, &tag));
  EXPECT_EQ(tag.rest, nullptr);
}

TEST(MemberOptions, MailboxTypeBitsIgnoreLetterCase) {
  struct Case {
    const char* type;
    uint32_t bits;
  };
  const Case cases[] = {
      {"TRN", 0x3},  {"trn", 0x3},  {"POP3", 0xC}, {"pop3", 0xC}, {"Imap", 0x98},
      {"SMTP", 0x8}, {"smtp", 0x8}, {"MULTI", 0},  {"POP", 0},    {"POP3 ", 0},
      {"IMAP4", 0},  {"", 0},       {nullptr, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.type ? c.type : "(null)");
    EXPECT_EQ(qpmulti::mailboxTypeOptions(c.type), c.bits);
    // Initialisation replaces the member's word: host word, 0x200 | 0x800, type bits.
    EXPECT_EQ(qpmulti::initialisedMemberOptions(0x10001, c.type), 0x10001u | 0xA00u | c.bits);
  }
}

TEST(MemberOptions, HostBitsAreCopiedAndPollFlagFourNeedsBit80) {
  EXPECT_EQ(qpmulti::withHostBit(0x0F, 0x100, 0x100), 0x10Fu);
  EXPECT_EQ(qpmulti::withHostBit(0x14F, 0x000, 0x100), 0x04Fu);
  EXPECT_EQ(qpmulti::withHostBit(0x04F, 0xFFFFFFBF, 0x40), 0x00Fu);
  EXPECT_TRUE(qpmulti::skipsPoll(4, 0x7F));
  EXPECT_TRUE(qpmulti::skipsPoll(5, 0xA0C));
  EXPECT_FALSE(qpmulti::skipsPoll(4, 0xA98));
  EXPECT_FALSE(qpmulti::skipsPoll(3, 0));
}

}  // namespace
