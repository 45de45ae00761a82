// Bounded copies never write past the buffer and always terminate; case-insensitive
// comparison treats only ASCII letters as equal across case.
#include "common/text.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(CopyText, CutsToTheBufferAndTerminates) {
  struct Case {
    const char* source;
    size_t size;
    const char* expected;
    bool fits;
  };
  const Case cases[] = {
      {"abc", 4, "abc", true}, {"abcd", 4, "abc", false}, {"", 1, "", true},
      {"x", 1, "", false},     {nullptr, 3, "", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.source ? c.source : "(null)");
    char buffer[8];
    std::memset(buffer, 0x5A, sizeof buffer);
    EXPECT_EQ(qp::copyText(buffer, c.size, c.source), c.fits);
    EXPECT_STREQ(buffer, c.expected);
    for (size_t i = c.size; i < sizeof buffer; ++i) EXPECT_EQ(buffer[i], 0x5A) << "byte " << i;
  }
}

TEST(AppendText, StopsAtTheEndAndRepairsAnUnterminatedBuffer) {
  char buffer[6] = "ab";
  EXPECT_TRUE(qp::appendText(buffer, "cd"));
  EXPECT_STREQ(buffer, "abcd");
  EXPECT_FALSE(qp::appendText(buffer, "efg"));
  EXPECT_STREQ(buffer, "abcde");

  char full[4] = {'w', 'x', 'y', 'z'};
  EXPECT_FALSE(qp::appendText(full, "q"));
  EXPECT_EQ(full[3], '\0');
}

TEST(CompareNoCase, IgnoresAsciiCaseOnly) {
  EXPECT_TRUE(qp::equalsNoCase("POP3", "pop3"));
  EXPECT_FALSE(qp::equalsNoCase("POP3", "POP"));
  EXPECT_TRUE(qp::equalsNoCase(nullptr, ""));
  EXPECT_LT(qp::compareNoCase("abc", "ABD"), 0);
  EXPECT_FALSE(qp::equalsNoCase("\xC4", "\xE4"));  // non-ASCII letters are left alone
  EXPECT_TRUE(qp::startsWithNoCase("multi:3:x", "MULTI:"));
  EXPECT_FALSE(qp::startsWithNoCase("MULT", "MULTI:"));
}
