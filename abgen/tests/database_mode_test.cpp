// QPABGEN's database mode, run for real on user database files beside the program:
// mailbox types, the SMTP address rules, the order of the 28 files, files passed over,
// short last records, and the sample server directory with the sample input file.
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "abgen/tests/program_fixture.h"
#include "abgen/usergen/usergen.h"

namespace {

using namespace abgentest;
using qpcomm::UserRecord;

using Database = ProgramTest;

std::string recordBytes(const UserRecord& user) {
  unsigned char record[qpcomm::kUserRecordSize];
  qpcomm::buildUserRecord(user, record);
  return std::string(reinterpret_cast<const char*>(record), sizeof record);
}

TEST_F(Database, TypesAddressRulesAndFileOrder) {
  writeServerIni("mail.example.com");
  writeUserFile("QPUSER.DBA", {
      {"jdoe", "John Doe", "SMTP", ""},
      {"jdoe1", "Jane Doe", "SMTP", "JDOE1@relay.example"},
      {"jdoe2", "Jim Doe", "SMTP", "bob@relay.example"},
      {"jo@corp.example", "Jo At", "smtp", "other@relay.example"},
      {"pop", "Pop Person", "POP3", "pop@isp.example"},
      {"imap", "Imap Person", "imap", "imap@isp.example"},
      {"nopop", "Pop Without Address", "POP3", ""},
      {"news", "Other Type", "NNTP", "news@isp.example"},
      {"anon", "", "POP3", "anon@isp.example"},
      {"spaced", "  Spaced    Name ", "POP3", "spaced@isp.example"},
  });
  // Equal names keep the order of the files: "@", "A" .. "Z", "_".
  writeUserFile("QPUSER.DB_", {{"u", "Same Name", "POP3", "underscore@x.example"}});
  writeUserFile("QPUSER.DBZ", {{"z", "Same Name", "POP3", "z@x.example"}});
  writeUserFile("QPUSER.DBB", {{"b", "Same Name", "POP3", "b@x.example"}});
  writeUserFile("QPUSER.DB@", {{"at", "Same Name", "POP3", "at@x.example"}});
  // Passed over: a file that cannot be opened, and a name outside the 28.
  ASSERT_TRUE(::CreateDirectoryA(path("QPUSER.DBC").c_str(), nullptr));
  writeUserFile("QPUSER.DB1", {{"one", "Not Read", "POP3", "one@x.example"}});

  const ProgramRun r = run({"*", "users.ab"});
  EXPECT_EQ(0u, r.exitCode) << r.out;
  const std::vector<Entry> book = readBook(path("ADDRBOOK\\users.ab"));
  struct Row {
    std::string name, address;
  };
  const std::vector<Row> expected = {
      {"Imap Person", "imap@isp.example"},  {"Jane Doe", "JDOE1@relay.example"},
      {"Jim Doe", "jdoe2@mail.example.com"}, {"Jo At", "jo@corp.example"},
      {"John Doe", "jdoe@mail.example.com"}, {"Pop Person", "pop@isp.example"},
      {"Same Name", "at@x.example"},         {"Same Name", "b@x.example"},
      {"Same Name", "z@x.example"},          {"Same Name", "underscore@x.example"},
      {"Spaced Name", "spaced@isp.example"},
  };
  EXPECT_EQ(progressOutput(static_cast<unsigned>(expected.size())), r.out);
  ASSERT_EQ(expected.size(), book.size());
  for (size_t i = 0; i < book.size(); ++i) {
    SCOPED_TRACE(expected[i].name + " " + expected[i].address);
    EXPECT_EQ(expected[i].name, book[i].name);
    EXPECT_EQ(expected[i].address, book[i].address);
    EXPECT_EQ(std::string(1024 - 316, '\0'), book[i].bytes.substr(316))
        << "columns 3 and 4 are not empty";
  }
}

// The last record of a file may be shorter than 1024 bytes: it holds only its own bytes,
// none of the record read before it.
TEST_F(Database, ShortLastRecordHoldsOnlyItsOwnBytes) {
  writeServerIni("mail.example.com");
  // Ends before the address: a POP3 mailbox without address, so no entry.
  writeFile("QPUSER.DBD", recordBytes({"alice", "Alice Full", "POP3", "alice.long@example.com"}) +
                              recordBytes({"bob", "Bob Short", "POP3", ""}).substr(0, 300));
  // Ends within the address: the address is cut where the file ends.
  writeFile("QPUSER.DBE",
            recordBytes({"carol", "Carol Full", "POP3", "carol.long.address@example.com"}) +
                recordBytes({"dave", "Dave Cut", "POP3", "dave@example.com"}).substr(0, 420));

  const ProgramRun r = run({"*", "short.ab"});
  EXPECT_EQ(0u, r.exitCode) << r.out;
  const std::vector<Entry> book = readBook(path("ADDRBOOK\\short.ab"));
  ASSERT_EQ(3u, book.size());
  EXPECT_EQ("Alice Full", book[0].name);
  EXPECT_EQ("Carol Full", book[1].name);
  EXPECT_EQ("Dave Cut", book[2].name);
  EXPECT_EQ("dave@e", book[2].address);
}

// The sample server directory of the demo: its user database files made by our generator
// from users.txt, and the sample input file.
TEST_F(Database, SampleServerAndSampleInput) {
  std::ifstream description(ABGEN_SAMPLE_DIR "server/users.txt");
  ASSERT_TRUE(description.good()) << "no sample user list at " ABGEN_SAMPLE_DIR;
  usergen::UserFiles files;
  std::string error;
  ASSERT_TRUE(usergen::parseDescription(description, files, error)) << error;
  ASSERT_TRUE(usergen::writeUserFiles(files, dir(), error)) << error;
  ASSERT_TRUE(::CopyFileA(ABGEN_SAMPLE_DIR "server/QUILLPOST.INI", path("QUILLPOST.INI").c_str(),
                          FALSE));

  ProgramRun r = run({"*", "server.ab", dir()});
  EXPECT_EQ(0u, r.exitCode) << r.out;
  std::vector<Entry> book = readBook(path("server.ab"));
  EXPECT_EQ(progressOutput(static_cast<unsigned>(book.size())), r.out);
  ASSERT_EQ(7u, book.size());
  EXPECT_EQ("Anna Berg", book[0].name);
  EXPECT_EQ("anna.berg@quillpost.example", book[0].address);
  EXPECT_EQ("Henrik Dahl", book[3].name);  // a kept address of another user is dropped
  EXPECT_EQ("hdahl@quillpost.example", book[3].address);

  r = run({ABGEN_SAMPLE_DIR "addresses.csv", "sample.ab", dir()});
  EXPECT_EQ(0u, r.exitCode) << r.out;
  book = readBook(path("sample.ab"));
  EXPECT_EQ(progressOutput(static_cast<unsigned>(book.size())), r.out);
  ASSERT_EQ(6u, book.size());
  EXPECT_EQ("Abbott, Ada", book[0].name);
  EXPECT_EQ("ada.abbott@example.com", book[0].address);
  EXPECT_EQ("Sales", book[0].column3);
}

}  // namespace
