// QPABGEN on oversized and malformed input, run for real: input lines and columns at,
// just beyond and far beyond their buffers (the rest of a long line never becomes an
// entry of its own), user database records whose texts fill their whole field without
// a terminating zero, and host names at the length the program reads.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "abgen/tests/program_fixture.h"
#include "host/comm/userdb.h"
#include "testing/oversized_cases.h"

namespace {

using oversizedtest::caseCount;
using oversizedtest::kFarBeyond;
using oversizedtest::pattern;
const auto* const printer =
    ::testing::AddGlobalTestEnvironment(new oversizedtest::CountPrinter);

using namespace abgentest;

using Oversized = ProgramTest;

const Entry* findByAddress(const std::vector<Entry>& book, const std::string& address) {
  for (const Entry& e : book) {
    if (e.address == address) return &e;
  }
  return nullptr;
}

TEST_F(Oversized, ColumnsAndLinesAroundTheirLimits) {
  struct Case {
    std::string line;
    std::string name, address, column3, column4;  // expected; empty name: no entry
  };
  std::vector<Case> cases;
  int n = 0;
  auto id = [&n] { return "id" + std::to_string(++n); };
  // Each column at its limit minus one, its limit, one more and far beyond.
  const struct {
    int column;
    size_t limit;
  } columns[] = {{1, 50}, {2, 255}, {3, 40}, {4, 500}};
  for (const auto& col : columns) {
    for (size_t length : {col.limit - 1, col.limit, col.limit + 1, kFarBeyond}) {
      const std::string tag = id();
      const std::string text = tag + pattern(length - tag.size(), 'A');  // unique when cut
      const std::string kept = text.substr(0, col.limit);
      Case c;
      c.name = tag;
      c.address = tag + "@example.com";
      c.column3 = "c3";
      c.column4 = "c4";
      switch (col.column) {
        case 1:
          c.name = kept;
          break;
        case 2:
          c.address = kept;
          break;
        case 3:
          c.column3 = kept;
          break;
        case 4:
          c.column4 = kept;
          break;
      }
      // Quoted, so that the far-beyond text is one column however it is cut.
      const std::string cells[] = {col.column == 1 ? "\"" + text + "\"" : c.name,
                                   col.column == 2 ? "\"" + text + "\"" : c.address,
                                   col.column == 3 ? "\"" + text + "\"" : "c3",
                                   col.column == 4 ? "\"" + text + "\"" : "c4"};
      c.line = cells[0] + "," + cells[1] + "," + cells[2] + "," + cells[3];
      if (col.column == 2) c.name = tag;
      // A column long enough to push the later ones out of the 1027-character line.
      if (col.column < 4 && length > 1000) {
        if (col.column == 3) c.column4 = "";
        if (col.column <= 2) c.column3 = c.column4 = "";
        if (col.column == 1) c.address = "";  // no address left: no entry
      }
      if (c.address.empty()) c.name.clear();
      cases.push_back(c);
    }
  }
  // Whole lines around the 1028-byte line buffer; the rest of a long line holds what
  // would be an entry, and must be passed over.
  for (size_t length : {size_t{1026}, size_t{1027}, size_t{1028}, size_t{1029}, kFarBeyond}) {
    const std::string tag = id();
    std::string line = tag + "," + tag + "@example.com,c3,";
    const size_t head = line.size();
    line += std::string(length - head, 'x');
    const std::string ghost = ",Ghost" + tag + ",ghost" + tag + "@example.com";
    if (length > 1100) line.replace(1050, ghost.size(), ghost);
    Case c{line, tag, tag + "@example.com", "c3",
           std::string(std::min<size_t>(500, std::min(length, size_t{1027}) - head), 'x')};
    cases.push_back(c);
    cases.push_back({"after" + tag + ",after" + tag + "@example.com", "after" + tag,
                     "after" + tag + "@example.com", "", ""});
  }
  std::string input;
  unsigned written = 0;
  for (const Case& c : cases) {
    input += c.line + "\r\n";
    written += !c.name.empty();
  }
  writeFile("big.txt", input);
  caseCount += static_cast<unsigned>(cases.size());

  const ProgramRun r = run({path("big.txt"), "big.ab"});
  EXPECT_EQ(0u, r.exitCode) << r.out.substr(0, 300);
  EXPECT_EQ(progressOutput(written), r.out);
  const std::vector<Entry> book = readBook(path("ADDRBOOK\\big.ab"));
  EXPECT_EQ(written, book.size());
  for (const Case& c : cases) {
    if (c.name.empty()) continue;
    SCOPED_TRACE(c.line.substr(0, 80));
    const Entry* e = findByAddress(book, c.address);
    ASSERT_NE(nullptr, e) << "missing";
    EXPECT_EQ(c.name, e->name);
    EXPECT_EQ(c.column3, e->column3);
    EXPECT_EQ(c.column4, e->column4);
  }
  for (const Entry& e : book)
    EXPECT_EQ(e.name.find("Ghost"), std::string::npos) << "the rest of a long line made an entry";
}

// A user record laid out byte by byte: each text copied into its field as it is, with no
// terminating zero when it fills the field.
std::string rawRecord(const std::string& user, const std::string& fullName, const std::string& type,
                      const std::string& address) {
  std::string record(qpcomm::kUserRecordSize, '\0');
  auto put = [&record](size_t offset, size_t size, const std::string& text) {
    record.replace(offset, std::min(size, text.size()), text.substr(0, size));
  };
  put(qpcomm::kUserNameOffset, qpcomm::kFullNameOffset, user);
  put(qpcomm::kFullNameOffset, qpcomm::kMailboxTypeOffset - qpcomm::kFullNameOffset, fullName);
  put(qpcomm::kMailboxTypeOffset, qpcomm::kAddressOffset - qpcomm::kMailboxTypeOffset, type);
  put(qpcomm::kAddressOffset, qpcomm::kUserRecordSize - qpcomm::kAddressOffset, address);
  return record;
}

// Texts that fill their whole field end at the field's end, never in the next field.
TEST_F(Oversized, RecordTextsThatFillTheirFields) {
  const std::string host = "mail.example.com";
  const std::string user50 = pattern(50), user51 = pattern(51, 'b');
  const std::string name202 = pattern(202, 'C');
  const std::string type161 = "POP3" + std::string(157, 'x');
  const std::string address610 = pattern(600, 'd') + "@x.example";
  struct Case {
    std::string record;
    std::string name, address;  // expected; empty name: no entry
  } const cases[] = {
      {rawRecord(user50, "Fifty User", "SMTP", ""), "Fifty User", user50 + "@" + host},
      {rawRecord(user51, "Fiftyone User", "SMTP", ""), "Fiftyone User", user51 + "@" + host},
      {rawRecord("full", name202, "POP3", "full@x.example"), name202.substr(0, 59),
       "full@x.example"},
      {rawRecord("typed", "Typed User", type161, "typed@x.example"), "", ""},
      {rawRecord("pop", "Pop Long", "POP3", address610), "Pop Long", address610.substr(0, 255)},
      {rawRecord("imap", "Imap 255", "IMAP", pattern(255, 'e')), "Imap 255", pattern(255, 'e')},
      {rawRecord("imap", "Imap 256", "IMAP", pattern(256, 'f')), "Imap 256",
       pattern(256, 'f').substr(0, 255)},
      {rawRecord(pattern(51, 'g'), "Smtp Kept", "SMTP", pattern(51, 'g') + "@relay.example"),
       "Smtp Kept", pattern(51, 'g') + "@relay.example"},
  };
  std::string bytes;
  unsigned written = 0;
  for (const Case& c : cases) {
    bytes += c.record;
    written += !c.name.empty();
  }
  writeServerIni(host.c_str());
  writeFile("QPUSER.DBA", bytes);
  caseCount += sizeof cases / sizeof cases[0];

  const ProgramRun r = run({"*", "users.ab"});
  EXPECT_EQ(0u, r.exitCode) << r.out.substr(0, 300);
  const std::vector<Entry> book = readBook(path("ADDRBOOK\\users.ab"));
  EXPECT_EQ(written, book.size());
  for (const Case& c : cases) {
    if (c.name.empty()) continue;
    SCOPED_TRACE(c.name);
    const Entry* e = findByAddress(book, c.address);
    ASSERT_NE(nullptr, e) << "missing; entries: " << book.size();
    EXPECT_EQ(c.name, e->name);
  }
}

// "HostDotDomainName" is read with at most 149 characters.
TEST_F(Oversized, HostNamesAroundTheirLimit) {
  for (size_t length : {size_t{149}, size_t{150}, kFarBeyond}) {
    SCOPED_TRACE(length);
    ++caseCount;
    const std::string host = pattern(length, 'h');
    writeServerIni(host.c_str());
    writeFile("QPUSER.DBA", rawRecord("smtpuser", "Smtp User", "SMTP", ""));
    const std::string book = "h" + std::to_string(length) + ".ab";
    const ProgramRun r = run({"*", book});
    EXPECT_EQ(0u, r.exitCode) << r.out.substr(0, 300);
    const std::vector<Entry> entries = readBook(path("ADDRBOOK\\" + book));
    ASSERT_EQ(1u, entries.size());
    EXPECT_EQ("smtpuser@" + host.substr(0, 149), entries[0].address);
  }
}

}  // namespace
