// The input-file column parser: quoted and unquoted columns, blanks, commas, quotes
// without escapes, the four column limits, and the line buffer's bound.
#include "abgen/core/columns.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

using namespace abgen;

struct Texts {
  std::string name, address, column3, column4;
};

// The whole expected entry: the four texts in their fields, every other byte zero.
BookEntry entryOf(const Texts& t) {
  BookEntry e;
  e.clear();
  std::memcpy(e.field(kNameField), t.name.data(), t.name.size());
  std::memcpy(e.field(kAddressField), t.address.data(), t.address.size());
  std::memcpy(e.field(kColumn3Field), t.column3.data(), t.column3.size());
  std::memcpy(e.field(kColumn4Field), t.column4.data(), t.column4.size());
  return e;
}

Texts textsOf(const BookEntry& e) {
  return {e.field(kNameField), e.field(kAddressField), e.field(kColumn3Field),
          e.field(kColumn4Field)};
}

void expectEntry(const BookEntry& actual, const Texts& expected) {
  Texts got = textsOf(actual);
  EXPECT_EQ(expected.name, got.name);
  EXPECT_EQ(expected.address, got.address);
  EXPECT_EQ(expected.column3, got.column3);
  EXPECT_EQ(expected.column4, got.column4);
  BookEntry want = entryOf(expected);
  for (size_t i = 0; i < kEntrySize; ++i)
    ASSERT_EQ(want.bytes[i], actual.bytes[i]) << "entry byte " << i;
}

TEST(SplitLine, ColumnRules) {
  const std::string x60(60, 'x'), a300(300, 'a'), c45(45, 'c'), d520(520, 'd');
  struct Case {
    const char* what;
    std::string line;
    Texts expected;
    bool complete;
  } const cases[] = {
      {"commas always separate unquoted columns", "Smith, John, smith@example.com",
       {"Smith", "John", "smith@example.com", ""}, true},
      {"quoted name keeps its comma", "\"Smith, John\", jsmith@example.com, Sales, note",
       {"Smith, John", "jsmith@example.com", "Sales", "note"}, true},
      {"blanks before a column skipped, after it kept",
       "   Jane Roe  ,   jane@example.com  ,  x  ", {"Jane Roe  ", "jane@example.com  ", "x  ", ""},
       true},
      {"tabs are blanks", "\tTab Name\t,\ttab@example.com", {"Tab Name\t", "tab@example.com", "", ""},
       true},
      {"quote inside an unquoted column ends it", "Ann\"Lee, ann@example.com",
       {"Ann", "Lee", "ann@example.com", ""}, true},
      {"text after a closing quote starts the next column", "\"Q\" tail, q@example.com",
       {"Q", "tail", "q@example.com", ""}, true},
      {"quoted address and columns", "Bob, \"bob@example.com, b\" , \"c, 3\",\"c4\"",
       {"Bob", "bob@example.com, b", "c, 3", "c4"}, true},
      {"quote never closed runs to the line's end", "\"Open, quote", {"Open, quote", "", "", ""},
       false},
      {"text after the fourth column ignored", "a,b,c,d,e,f", {"a", "b", "c", "d"}, true},
      {"empty address", "a,,c,d", {"a", "", "c", "d"}, false},
      {"name without address", "Nobody", {"Nobody", "", "", ""}, false},
      {"name and a comma", "Nobody,", {"Nobody", "", "", ""}, false},
      {"address without name", " , a@example.com", {"", "a@example.com", "", ""}, false},
      {"empty quoted name", "\"\", a@example.com", {"", "a@example.com", "", ""}, false},
      {"empty line", "", {}, false},
      {"blanks only", "  \t ", {}, false},
      {"name of 60 cut to 50", x60 + ", n@example.com", {x60.substr(0, 50), "n@example.com", "", ""},
       true},
      {"name of exactly 50 kept", x60.substr(0, 50) + ",n@example.com",
       {x60.substr(0, 50), "n@example.com", "", ""}, true},
      {"quoted name cut, its comma passed over", "\"" + x60 + ", y\" , q@example.com",
       {x60.substr(0, 50), "q@example.com", "", ""}, true},
      {"address of 300 cut to 255, columns after it still read", "Long, " + a300 + ", c3, c4",
       {"Long", a300.substr(0, 255), "c3", "c4"}, true},
      {"column 3 cut to 40, column 4 to 500", "N, n@example.com, " + c45 + ", " + d520,
       {"N", "n@example.com", c45.substr(0, 40), d520.substr(0, 500)}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    BookEntry entry;
    std::memset(entry.bytes, 0x5A, sizeof entry.bytes);  // splitLine must zero all of it
    EXPECT_EQ(c.complete, splitLine(c.line.c_str(), entry, skipSpacesAndTabs));
    expectEntry(entry, c.expected);
  }
}

// Whatever the skipper calls a blank is skipped before each column and after it.
TEST(SplitLine, UsesTheGivenBlankSkipper) {
  auto skipDots = [](const char* text) -> const char* {
    while (*text == '.' || *text == ' ') ++text;
    return text;
  };
  BookEntry entry;
  EXPECT_TRUE(splitLine("..Dot.. ,.. d@example.com", entry, skipDots));
  expectEntry(entry, {"Dot.. ", "d@example.com", "", ""});
}

TEST(SplitLineBytes, TakesNoMoreThanTheLineBuffer) {
  BookEntry entry;
  // 1020 blanks and a name: the buffer holds 1027 bytes, so the address is cut to "l".
  std::string longLine = std::string(1020, ' ') + "Late, late@example.com";
  EXPECT_TRUE(splitLineBytes(reinterpret_cast<const uint8_t*>(longLine.data()), longLine.size(),
                             entry));
  expectEntry(entry, {"Late", "l", "", ""});

  const char withZero[] = "A, b\0, c3";
  EXPECT_TRUE(splitLineBytes(reinterpret_cast<const uint8_t*>(withZero), sizeof withZero - 1,
                             entry));
  expectEntry(entry, {"A", "b", "", ""});

  EXPECT_FALSE(splitLineBytes(nullptr, 0, entry));
  expectEntry(entry, {});
}

}  // namespace
