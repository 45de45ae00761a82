// The sample user-database generator: descriptions parsed into files of 1024-byte records
// that read back with the common library's record layout, and bad lines refused.
#include "abgen/usergen/usergen.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

namespace {

TEST(UserGen, WritesOneFileOfRecordsPerLetter) {
  std::istringstream description(
      "# file | user | full name | type | kept address\n"
      "\n"
      "A | jdoe | John Doe | SMTP |\n"
      "_ | ian  | Ian Map  | IMAP | ian@isp.example \r\n"
      "A | pat  |          | POP3 | pat@isp.example\n");
  usergen::UserFiles files;
  std::string error;
  ASSERT_TRUE(usergen::parseDescription(description, files, error)) << error;

  // A name of its own, so that two builds running this test do not meet.
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() /
      ("abgen-usergen-" +
       std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  ASSERT_TRUE(usergen::writeUserFiles(files, dir.string(), error)) << error;

  auto read = [&](const char* name) {
    std::ifstream in(dir / name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  };
  const std::string a = read("QPUSER.DBA"), underscore = read("QPUSER.DB_");
  ASSERT_EQ(2 * qpcomm::kUserRecordSize, a.size());
  ASSERT_EQ(qpcomm::kUserRecordSize, underscore.size());
  EXPECT_FALSE(std::filesystem::exists(dir / "QPUSER.DB@"));

  auto record = [](const std::string& bytes, size_t i) {
    return qpcomm::parseUserRecord(
        reinterpret_cast<const unsigned char*>(bytes.data()) + i * qpcomm::kUserRecordSize,
        qpcomm::kUserRecordSize);
  };
  struct Case {
    qpcomm::UserRecord actual;
    qpcomm::UserRecord expected;
  } const cases[] = {
      {record(a, 0), {"jdoe", "John Doe", "SMTP", ""}},
      {record(a, 1), {"pat", "", "POP3", "pat@isp.example"}},
      {record(underscore, 0), {"ian", "Ian Map", "IMAP", "ian@isp.example"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected.userName);
    EXPECT_EQ(c.expected.userName, c.actual.userName);
    EXPECT_EQ(c.expected.fullName, c.actual.fullName);
    EXPECT_EQ(c.expected.mailboxType, c.actual.mailboxType);
    EXPECT_EQ(c.expected.address, c.actual.address);
  }
  std::filesystem::remove_all(dir);
}

TEST(UserGen, RefusesBadLines) {
  struct Case {
    const char* text;
    const char* error;
  } const cases[] = {
      {"A | jdoe | John | SMTP\n", "line 1: expected 5 fields separated by '|', found 4"},
      {"# ok\nB | u | U | POP3 | u@x | more\n", "line 2: expected 5 fields separated by '|', found 6"},
      {"[ | u | U | POP3 | u@x\n", "line 1: '[' names no user database file"},
      {"AB | u | U | POP3 | u@x\n", "line 1: 'AB' names no user database file"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    std::istringstream in(c.text);
    usergen::UserFiles files;
    std::string error;
    EXPECT_FALSE(usergen::parseDescription(in, files, error));
    EXPECT_EQ(c.error, error);
  }
}

}  // namespace
