// Text operations: blanks, hard spaces, case-insensitive search, name tidying and
// user-profile booleans.
#include "host/comm/textops.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

namespace {

using namespace qpcomm;

// A heap copy of exactly the text's bytes and its terminator, so that ASan reports any
// read past the end.
std::unique_ptr<char[]> exactCopy(const std::string& text) {
  std::unique_ptr<char[]> copy(new char[text.size() + 1]);
  std::memcpy(copy.get(), text.c_str(), text.size() + 1);
  return copy;
}

TEST(FindNonBlank, SkipsSpacesAndTabsOnly) {
  struct Case {
    const char* text;
    size_t offset;
  } const cases[] = {
      {"", 0}, {"x", 0}, {"  x", 2}, {"\t \tx y", 3}, {"   ", 3}, {"\r\nx", 0}, {" \xA0x", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(c.text + c.offset, findNonBlank(c.text));
  }
  EXPECT_EQ(nullptr, findNonBlank(nullptr));
}

TEST(StripTrailingSpaces, RemovesBlanksAndLineEndsAtTheEnd) {
  struct Case {
    const char* text;
    const char* expected;
  } const cases[] = {
      {"", ""}, {"abc", "abc"}, {"abc  \t", "abc"}, {"a b \r\n", "a b"},
      {"  lead", "  lead"}, {" \t\r\n ", ""}, {"x\xA0", "x\xA0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    auto text = exactCopy(c.text);
    stripTrailingSpaces(text.get());
    EXPECT_STREQ(c.expected, text.get());
  }
  stripTrailingSpaces(nullptr);
}

TEST(StripHardSpaces, EndsAtFirst0xFFAndKeepsTheRest) {
  char text[] = "Subject\xFFID-1\xFFmore";
  stripHardSpaces(text);
  EXPECT_STREQ("Subject", text);
  EXPECT_STREQ("ID-1\xFFmore", text + 8) << "the identifier after the separator must stay";

  char none[] = "no separator";
  stripHardSpaces(none);
  EXPECT_STREQ("no separator", none);
}

TEST(FindNoCase, FindsFirstMatchIgnoringAsciiCase) {
  struct Case {
    const char* text;
    const char* part;
    int offset;  // -1: not found
  } const cases[] = {
      {"QPXMULTI.DLL", "multi", 3},
      {"Hello World", "WORLD", 6},
      {"aaab", "aab", 1},  // a partial match must not skip the real one
      {"abc", "", 0},
      {"", "a", -1},
      {"ab", "abc", -1},
      {"QPXIMAP32.DLL", "32", 7},
      {"\xC4rger", "\xE4rger", -1},  // no case folding beyond ASCII
      {"x.dll", ".DLL", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.text << " / " << c.part);
    auto text = exactCopy(c.text);
    auto part = exactCopy(c.part);
    const char* found = findNoCase(text.get(), part.get());
    if (c.offset < 0) {
      EXPECT_EQ(nullptr, found);
    } else {
      EXPECT_EQ(text.get() + c.offset, found);
    }
  }
  EXPECT_EQ(nullptr, findNoCase(nullptr, "a"));
  EXPECT_EQ(nullptr, findNoCase("a", nullptr));
}

TEST(NormalizeName, TrimsBlanksControlsAndInnerRuns) {
  struct Case {
    const char* name;
    const char* expected;
  } const cases[] = {
      {"Jane Doe", "Jane Doe"},
      {"  Jane   Doe  ", "Jane Doe"},
      {"Jane\tDoe", "Jane Doe"},
      {"\x01Jane\x7F\r\nDoe\x1F", "Jane Doe"},
      {"", ""},
      {" \t ", ""},
      {"M\xFCller, J\xF6rg", "M\xFCller, J\xF6rg"},  // 8-bit letters stay
      {"\"Doe, Jane\"", "\"Doe, Jane\""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    // A 60-byte name field followed by poison: nothing past the field may change,
    // and nothing of the old text may stay behind the new end.
    char record[64];
    std::memset(record, '#', sizeof record);
    std::strcpy(record, c.name);
    const size_t oldLength = std::strlen(c.name);
    normalizeName(record, 60);
    EXPECT_STREQ(c.expected, record);
    for (size_t i = std::strlen(record); i <= oldLength; ++i) EXPECT_EQ(0, record[i]) << "at " << i;
    for (size_t i = oldLength + 1; i < sizeof record; ++i) EXPECT_EQ('#', record[i]) << "at " << i;
  }
}

TEST(NormalizeName, FullBufferWithoutTerminatorEndsInsideIt) {
  std::unique_ptr<char[]> name(new char[8]);
  std::memcpy(name.get(), "A  BCDEF", 8);  // no zero byte within the 8 bytes
  normalizeName(name.get(), 8);
  EXPECT_STREQ("A BCDE", name.get());

  normalizeName(name.get(), 0);  // no room: nothing to do
  EXPECT_STREQ("A BCDE", name.get());
  normalizeName(nullptr, 10);
}

TEST(ParseProfileBool, KnownWordsAnyCaseOthersGiveDefault) {
  struct Case {
    const char* text;
    int ifDefault0;
    int ifDefault1;
  } const cases[] = {
      {"Yes", 1, 1},  {"YES", 1, 1},   {"yes", 1, 1},    {"True", 1, 1},  {"tRuE", 1, 1},
      {"On", 1, 1},   {"1", 1, 1},     {" on\t", 1, 1},  {"No", 0, 0},    {"NO", 0, 0},
      {"False", 0, 0}, {"off", 0, 0},  {"0", 0, 0},      {"  0  ", 0, 0}, {"", 0, 1},
      {"   ", 0, 1},  {"Y", 0, 1},     {"N", 0, 1},      {"yess", 0, 1},  {"2", 0, 1},
      {"10", 0, 1},   {"o", 0, 1},     {"yes no", 0, 1}, {"-1", 0, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "\"" << c.text << "\"");
    auto text = exactCopy(c.text);
    EXPECT_EQ(c.ifDefault0, parseProfileBool(text.get(), 0));
    EXPECT_EQ(c.ifDefault1, parseProfileBool(text.get(), 1));
  }
  EXPECT_EQ(0, parseProfileBool(nullptr, 0));
  EXPECT_EQ(1, parseProfileBool(nullptr, 1));
}

}  // namespace
