// The server directory, users' directories, user look-ups in the user database files and
// user-profile booleans.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "host/comm/tests/server_dir_fixture.h"
#include "host/comm/userdb.h"
#include "hostapi/qpxcomm.h"

namespace {

using ServerTest = qptest::ServerDirTest;

std::string record(const char* user, const char* fullName, const char* address) {
  unsigned char bytes[qpcomm::kUserRecordSize];
  qpcomm::buildUserRecord({user, fullName, "POP3", address}, bytes);
  return std::string(reinterpret_cast<const char*>(bytes), sizeof bytes);
}

TEST_F(ServerTest, ServerDirectoryComesFromTheVariableOrTheProgram) {
  const std::string plain = dir_.substr(0, dir_.size() - 1);
  char program[MAX_PATH];
  ASSERT_GT(::GetModuleFileNameA(nullptr, program, sizeof program), 0u);
  std::string programDir = program;
  programDir.erase(programDir.find_last_of('\\') + 1);

  struct Case {
    const char* variable;  // null: unset
    std::string expected;
  } const cases[] = {
      {dir_.c_str(), dir_},
      {plain.c_str(), dir_},
      {"", programDir},
      {nullptr, programDir},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.variable ? c.variable : "(unset)");
    ::SetEnvironmentVariableA("QP_SERVER_DIR", c.variable);
    char buffer[MAX_PATH];
    EXPECT_EQ(buffer, QPGetServerDirectory(buffer, sizeof buffer));
    EXPECT_EQ(c.expected, buffer);
  }
  ::SetEnvironmentVariableA("QP_SERVER_DIR", plain.c_str());
  char small[8];
  std::memset(small, 0x5A, sizeof small);
  EXPECT_STREQ("", QPGetServerDirectory(small, sizeof small));  // a cut path would mislead
}

TEST_F(ServerTest, UserDirectoryIsCreatedUnderUsers) {
  char buffer[MAX_PATH];
  EXPECT_EQ(buffer, QPBuildUserDirectory("alice", buffer));
  EXPECT_EQ(path("USERS\\alice\\"), buffer);
  EXPECT_TRUE(isDirectory(buffer));
  // A second call finds it there.
  EXPECT_EQ(path("USERS\\alice\\"), QPBuildUserDirectory("alice", buffer));
}

TEST_F(ServerTest, UserDirectoryRefusesNamesThatLeaveUsers) {
  const std::string tooLong(MAX_PATH, 'u');
  const char* const names[] = {"..\\x", "..",  ".",     "a\\b",  "a/b",
                               "c:x",   "x.",  "x ",    "a*b",   "",
                               nullptr, "a..b", tooLong.c_str()};
  for (const char* name : names) {
    SCOPED_TRACE(name ? name : "(null)");
    char buffer[MAX_PATH];
    std::memset(buffer, 0x5A, sizeof buffer);
    EXPECT_EQ(buffer, QPBuildUserDirectory(name, buffer));
    EXPECT_STREQ("", buffer);
  }
  EXPECT_FALSE(isDirectory(path("x")));
  EXPECT_FALSE(isDirectory(path("USERS")));  // nothing is made for a refused name
}

TEST_F(ServerTest, GetUserFindsTheFirstMatchWithoutRegardToCase) {
  const std::string longAddress(400, 'a');
  // The last record is short, cut right after its address text: what it lacks reads as
  // zeros, not as the bytes of the record before.
  std::string shortLast = record("carol", "Carol C", "c@x").substr(0, qpcomm::kAddressOffset + 3);
  writeFile("QPUSER.DBA", record("bob", "Bob Early", "bob@early"));
  writeFile("QPUSER.DBK", record("alice", "Alice A", longAddress.c_str()) +
                              record("Bob", "Bob Late", "bob@late") +
                              record("dave", "Dave D", "dave@example.com") + shortLast);
  writeFile("QPUSER.DB_", record("erin", "Erin E", "erin@example.com"));

  struct Case {
    const char* user;
    std::string fullName;
    std::string address;
  } const cases[] = {
      {"ALICE", "Alice A", std::string(249, 'a')},
      {"bob", "Bob Early", "bob@early"},
      {"Carol", "Carol C", "c@x"},
      {"erin", "Erin E", "erin@example.com"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.user);
    char fullName[260], address[260];
    std::memset(fullName, 0x5A, sizeof fullName);
    std::memset(address, 0x5A, sizeof address);
    EXPECT_NE(0, QPGetUser(0, 0, c.user, fullName, address, 0, 0, 0, 0, 0, 0));
    EXPECT_EQ(c.fullName, fullName);
    EXPECT_EQ(c.address, address);
    for (size_t i = 250; i < sizeof address; ++i) ASSERT_EQ(0x5A, address[i]) << "byte " << i;
  }
  char only[260];
  EXPECT_NE(0, QPGetUser(0, 0, "dave", nullptr, only, 0, 0, 0, 0, 0, 0));
  EXPECT_STREQ("dave@example.com", only);

  for (const char* missing : {"zed", "ali", "", static_cast<const char*>(nullptr)}) {
    SCOPED_TRACE(missing ? missing : "(null)");
    char fullName[260];
    std::memset(fullName, 0x5A, sizeof fullName);
    EXPECT_EQ(0, QPGetUser(0, 0, missing, fullName, nullptr, 0, 0, 0, 0, 0, 0));
    EXPECT_EQ(0x5A, fullName[0]);  // left alone
  }
}

TEST_F(ServerTest, ProfileBooleansReadCommonSpellings) {
  struct Case {
    const char* value;  // null: never written
    int32_t whenDefault0;
    int32_t whenDefault1;
  } const cases[] = {
      {"Yes", 1, 1}, {"no", 0, 0},       {"TRUE", 1, 1}, {"off", 0, 0},   {"1", 1, 1},
      {"0", 0, 0},   {"garbage", 0, 1},  {"", 0, 1},     {nullptr, 0, 1},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value ? c.value : "(unset)");
    const std::string key = "Key" + std::to_string(n++);
    if (c.value != nullptr) {
      ASSERT_NE(0, QPWriteUserProfileString2("alice", "Options", key.c_str(), c.value));
    }
    EXPECT_EQ(c.whenDefault0, QPGetUserProfileBool2("alice", "Options", key.c_str(), 0));
    EXPECT_EQ(c.whenDefault1, QPGetUserProfileBool2("alice", "Options", key.c_str(), 1));
  }
  EXPECT_NE(0, Exist(path("USERS\\alice\\QPUSER.INI").c_str()));
  // Reading a user without a directory gives the default and creates nothing.
  EXPECT_EQ(1, QPGetUserProfileBool2("nobody", "Options", "Key0", 1));
  EXPECT_FALSE(isDirectory(path("USERS\\nobody")));
  EXPECT_EQ(0, QPWriteUserProfileString2("..\\x", "Options", "Key", "1"));
}

}  // namespace
