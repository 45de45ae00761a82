// Typed address-book names and recipients: which member answers a typed name, and the
// forms recipients and public entries of other members are rewritten into.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "multi/core/book_names.h"

namespace {

using qpmulti::findTypedSlot;
using qpmulti::formatTypedRecipient;
using qpmulti::typedRecipientLength;
using qpmulti::typePublicEntry;

TEST(BookNames, TypedNameGoesToTheLowestSlotOfItsType) {
  // Slot 0 IMAP, 1 SMTP, 2 empty, 3 SMTP, 4 POP3.
  const char* const prefixes[] = {"IMAP:", "SMTP:", nullptr, "SMTP:", "POP3:"};
  struct Case {
    const char* name;
    int slot;
  };
  const Case cases[] = {
      {"SMTP:Staff", 1},        // the lower of two SMTP slots
      {"smtp:staff", 1},        // letter case aside
      {"POP3:Friends", 4},
      {"IMAP:Own book", 0},     // the primary member's own type
      {"Public", -1},           // untyped: nobody's
      {"SMTP", -1},             // the type without its colon is not a prefix
      {"", -1},
      {nullptr, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name != nullptr ? c.name : "(null)");
    EXPECT_EQ(c.slot, findTypedSlot(c.name, prefixes, 5));
  }
  // Only the slots asked about count.
  EXPECT_EQ(-1, findTypedSlot("POP3:Friends", prefixes, 4));
}

TEST(BookNames, RecipientsTakeOneOfTwoForms) {
  struct Case {
    const char* fullName;
    const char* bare;
    const char* expected;
  };
  const Case cases[] = {
      {"Ann Lee", "ann@example.com", "Ann Lee <SMTP:ann@example.com>"},
      {"", "ann@example.com", "<SMTP:ann@example.com>"},
      {nullptr, "bob", "<SMTP:bob>"},
      // The form itself compares nothing: a name that repeats the address stays.
      {"bob", "bob", "bob <SMTP:bob>"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected);
    char out[100];
    ASSERT_TRUE(formatTypedRecipient(c.fullName, "SMTP:", c.bare, out, sizeof out));
    EXPECT_STREQ(c.expected, out);
    EXPECT_EQ(std::strlen(c.expected), typedRecipientLength(c.fullName, "SMTP:", c.bare));
  }
}

TEST(BookNames, RecipientTooLongForItsBlockIsCutAndReported) {
  char out[10];
  EXPECT_FALSE(formatTypedRecipient("Ann", "SMTP:", "ann@example.com", out, sizeof out));
  EXPECT_STREQ("Ann <SMTP", out);
  EXPECT_FALSE(formatTypedRecipient("Ann", "SMTP:", "a", out, 0));
}

void upperCase(char* text, size_t, void*) {
  for (; *text != '\0'; ++text) {
    if (*text >= 'a' && *text <= 'z') *text = static_cast<char>(*text - 'a' + 'A');
  }
}

TEST(BookNames, PublicEntryIsTypedOnlyWhenItFits) {
  struct Case {
    const char* fullName;
    const char* bare;
    const char* expected;
  };
  const Case cases[] = {
      {"Ann Lee", "ann@example.com", "ANN LEE <SMTP:ann@example.com>"},
      {"ANN@example.com", "ann@example.com", "SMTP:ANN@EXAMPLE.COM"},  // name = address
      {"", "bob", "SMTP:BOB"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected);
    char entry[qpmulti::kPublicEntrySize] = "as the member wrote it";
    EXPECT_TRUE(typePublicEntry(c.fullName, c.bare, "SMTP", upperCase, nullptr, entry));
    EXPECT_STREQ(c.expected, entry);
  }

  // A typed form longer than the entry buffer takes leaves the member's entry alone:
  // 496 characters of address plus "SMTP:" do not fit in 499.
  const std::string bare(496, 'a');
  char entry[qpmulti::kPublicEntrySize + 8];
  std::memset(entry, '#', sizeof entry);
  std::memcpy(entry, bare.c_str(), bare.size() + 1);
  EXPECT_FALSE(typePublicEntry("", bare.c_str(), "SMTP", upperCase, nullptr, entry));
  EXPECT_EQ(bare, std::string(entry));
  EXPECT_EQ('#', entry[qpmulti::kPublicEntrySize]);  // nothing written past the buffer
}

}  // namespace
