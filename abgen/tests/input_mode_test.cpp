// QPABGEN's input-file mode, run for real: the column rules on a table of lines, names
// tidied before insertion, over-long lines, the default and a given output directory,
// and the progress lines.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "abgen/tests/program_fixture.h"
#include "common/text.h"

namespace {

using namespace abgentest;

using InputFile = ProgramTest;

struct Texts {
  std::string name, address, column3, column4;
};

// All 1024 bytes of the entry the texts should give.
std::string entryBytes(const Texts& t) {
  std::string bytes(1024, '\0');
  bytes.replace(0, t.name.size(), t.name);
  bytes.replace(60, t.address.size(), t.address);
  bytes.replace(316, t.column3.size(), t.column3);
  bytes.replace(357, t.column4.size(), t.column4);
  return bytes;
}

const Entry* findByName(const std::vector<Entry>& entries, const std::string& name) {
  for (const Entry& e : entries) {
    if (e.name == name) return &e;
  }
  return nullptr;
}

TEST_F(InputFile, ColumnRulesOnATableOfLines) {
  const std::string n60(60, 'N'), a300(300, 'a'), x1100(1100, 'x');
  struct Case {
    const char* what;
    std::string line;  // without its line end
    bool written;
    Texts expected;
  } const cases[] = {
      {"unquoted: commas always separate", "Smith, John, smith@example.com, note", true,
       {"Smith", "John", "smith@example.com", "note"}},
      {"quoted name with a comma", "\"Smith, John\", jsmith@example.com", true,
       {"Smith, John", "jsmith@example.com", "", ""}},
      {"name of 60 cut to 50", n60 + ", long.name@example.com", true,
       {n60.substr(0, 50), "long.name@example.com", "", ""}},
      {"address of 300 cut to 255, columns after it kept", "Addr Long, " + a300 + ", c3, c4",
       true, {"Addr Long", a300.substr(0, 255), "c3", "c4"}},
      {"blanks around columns; the name tidied, the rest kept",
       "   Jane   Roe   ,   jane@example.com   ,  desk  ", true,
       {"Jane Roe", "jane@example.com   ", "desk  ", ""}},
      {"tabs are blanks", "\tTab Name,\ttab@example.com", true,
       {"Tab Name", "tab@example.com", "", ""}},
      {"quote inside an unquoted column", "Ann\"Lee, ann@example.com", true,
       {"Ann", "Lee", "ann@example.com", ""}},
      {"name without address", "Nobody Here", false, {}},
      {"name and comma only", "Only Comma,", false, {}},
      {"address without name", ", orphan@example.com", false, {}},
      {"empty line", "", false, {}},
      {"line longer than the line buffer: its rest is passed over",
       "Long Line, long@example.com, c3, " + x1100 + ", Tail Name, tail@example.com", true,
       {"Long Line", "long@example.com", "c3", std::string(500, 'x')}},
      {"the line after the long one", "Next Line, next@example.com", true,
       {"Next Line", "next@example.com", "", ""}},
  };
  std::string input;
  unsigned written = 0;
  for (const Case& c : cases) {
    input += c.line + "\r\n";
    written += c.written;
  }
  input += "Lf Only, lf@example.com\nLast Line, last@example.com";  // LF; no final line end
  written += 2;
  writeFile("people.txt", input);

  const ProgramRun r = run({path("people.txt"), "people.ab"});
  EXPECT_EQ(0u, r.exitCode);
  EXPECT_EQ(progressOutput(written), r.out);
  ASSERT_TRUE(isDirectory(path("ADDRBOOK"))) << "the default directory was not created";
  const std::vector<Entry> book = readBook(path("ADDRBOOK\\people.ab"));
  EXPECT_EQ(written, book.size());

  for (const Case& c : cases) {
    if (!c.written) continue;
    SCOPED_TRACE(c.what);
    const Entry* e = findByName(book, c.expected.name);
    ASSERT_NE(nullptr, e) << c.expected.name << " is missing";
    EXPECT_EQ(c.expected.address, e->address);
    EXPECT_EQ(c.expected.column3, e->column3);
    EXPECT_EQ(c.expected.column4, e->column4);
    EXPECT_TRUE(entryBytes(c.expected) == e->bytes) << "bytes outside the texts are not zero";
  }
  EXPECT_NE(nullptr, findByName(book, "Lf Only"));
  EXPECT_NE(nullptr, findByName(book, "Last Line"));
  EXPECT_EQ(nullptr, findByName(book, "Tail Name"));
  EXPECT_TRUE(std::is_sorted(book.begin(), book.end(), [](const Entry& a, const Entry& b) {
    return qp::compareNoCase(a.name.c_str(), b.name.c_str()) < 0;
  })) << "entries are not in key order";
}

TEST_F(InputFile, GivenDirectoryIsUsedAsItIs) {
  writeFile("in.csv", "Pat Given, pat@example.com\r\n");
  ASSERT_TRUE(::CreateDirectoryA(path("out books").c_str(), nullptr));
  // Without a final backslash: the common library adds it.
  const ProgramRun r = run({path("in.csv"), "given.ab", path("out books")});
  EXPECT_EQ(0u, r.exitCode) << r.out;
  EXPECT_EQ(progressOutput(1), r.out);
  const std::vector<Entry> book = readBook(path("out books\\given.ab"));
  ASSERT_EQ(1u, book.size());
  EXPECT_EQ("pat@example.com", book[0].address);
  EXPECT_FALSE(exists(path("ADDRBOOK"))) << "the default directory was made as well";
}

TEST_F(InputFile, EmptyInputGivesAnEmptyBook) {
  writeFile("empty.csv", "\r\nNo Address\r\n");
  const ProgramRun r = run({path("empty.csv"), "empty.ab"});
  EXPECT_EQ(0u, r.exitCode);
  EXPECT_EQ(kCompleteLine, r.out);
  EXPECT_TRUE(readBook(path("ADDRBOOK\\empty.ab")).empty());
}

}  // namespace
