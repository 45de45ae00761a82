// Journal lines: arguments in order, texts quoted and escaped onto one line, passwords
// hidden.
#include "host/mailstore/journal.h"

#include <gtest/gtest.h>

using qp::mailstore::JournalLine;

TEST(JournalLine, WritesArgumentsInOrderWithOneLineEnd) {
  EXPECT_EQ(
      JournalLine("AuthenticateUser").text("C:\\mail").text("jane").secret().number(3).finished(),
      "AuthenticateUser \"C:\\\\mail\" \"jane\" *** 3\r\n");
  EXPECT_EQ(JournalLine("InitUser").number(-1).text(nullptr).text("").finished(),
            "InitUser -1 null \"\"\r\n");
  EXPECT_EQ(JournalLine("Big").number(4294967295LL).number(INT64_MIN).finished(),
            "Big 4294967295 -9223372036854775808\r\n");
  EXPECT_EQ(JournalLine("QueryCapabilities").finished(), "QueryCapabilities\r\n");
}

TEST(JournalLine, EscapesQuotesBackslashesAndControlCharacters) {
  struct Case {
    const char* text;
    const char* written;
  };
  const Case cases[] = {
      {"say \"hi\"", "\"say \\\"hi\\\"\""},
      {"a\\b", "\"a\\\\b\""},
      {"two\r\nlines\tx", "\"two\\r\\nlines\\tx\""},
      {"\x01\x1F\x7F", "\"\\x01\\x1F\\x7F\""},
      {"\xE4nne", "\"\xE4nne\""},  // 8-bit ANSI text stays as it is
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.written);
    EXPECT_EQ(JournalLine("Op").text(c.text).finished(), std::string("Op ") + c.written + "\r\n");
  }
}
