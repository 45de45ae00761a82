// Members, the Internet interface and the key helpers against Wine's registry: what a
// member write leaves in its key, which member keys count when read, the Login numbers
// that are read at all, the class string of created keys and the debug-log lines.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "multi/profile_store.h"
#include "multi/tests/registry_fixture.h"

using namespace storetest;

namespace {

class ProfileMember : public StoreTest {};

struct MemberTexts {
  char user[150], iface[150], password[150], database[150];
  MemberTexts() {
    for (char* text : {user, iface, password, database}) std::memset(text, 'Q', 150);
  }
  bool read(const char* profile, unsigned login) {
    return qpmulti::ReadProfileMember(profile, login, user, iface, password, database);
  }
};

}  // namespace

TEST_F(ProfileMember, WriteStoresTextsAndScrambledPasswordAndReadsBack) {
  ASSERT_TRUE(qpmulti::WriteProfileMember("jane", 1, "Jane.Pop", "POP3", "pw", "C:\\Mail\\jane"));
  const std::string key = memberPath("jane", 1);
  EXPECT_EQ(readRaw(key, "UserName").type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(readRaw(key, "UserName").data.size(), sizeof "Jane.Pop");  // with its zero
  EXPECT_EQ(readRaw(key, "Interface").text(), "POP3");
  EXPECT_EQ(readRaw(key, "MailDatabase").text(), "C:\\Mail\\jane");
  EXPECT_FALSE(readRaw(key, "Password").found);
  const RawValue data = readRaw(key, "ProfileData");
  EXPECT_EQ(hex(data.data), "34c000");  // keyed by the user name, lower-cased
  EXPECT_EQ(keyInfo(key).keyClass, "Corvane");
  EXPECT_EQ(keyInfo(profilePath("jane")).keyClass, "Corvane");

  MemberTexts m;
  ASSERT_TRUE(m.read("jane", 1));
  EXPECT_STREQ(m.user, "Jane.Pop");
  EXPECT_STREQ(m.iface, "POP3");
  EXPECT_STREQ(m.password, "pw");
  EXPECT_STREQ(m.database, "C:\\Mail\\jane");
}

TEST_F(ProfileMember, ReadCountsOnlyMembersWithAUserName) {
  struct Case {
    const char* name;
    const char* userName;   // null: no value
    const char* interface;  // null: no value
    bool counts;
  };
  const std::string tooLong(150, 'u');
  const Case cases[] = {
      {"user name and interface", "jane.imap", "IMAP", true},
      {"no interface", "jane.imap", nullptr, true},
      {"no user name", nullptr, "IMAP", false},
      {"empty user name", "", "IMAP", false},
      {"user name that does not fit", tooLong.c_str(), "IMAP", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    deleteAreas();
    const std::string key = memberPath("jane", 2);
    rawKey(key);
    if (c.userName) setText(key, "UserName", c.userName);
    if (c.interface) setText(key, "Interface", c.interface);
    setText(key, "Password", "plain");
    setText(key, "MailDatabase", "db");
    MemberTexts m;
    EXPECT_EQ(m.read("jane", 2), c.counts);
    EXPECT_STREQ(m.user, c.counts ? c.userName : "");
    EXPECT_STREQ(m.iface, c.counts && c.interface ? c.interface : "");
    EXPECT_STREQ(m.password, c.counts ? "plain" : "");
    EXPECT_STREQ(m.database, c.counts ? "db" : "");
  }
}

TEST_F(ProfileMember, OnlyMemberNumbersAndTheSwapKeyAreRead) {
  struct Case {
    unsigned login;
    bool read;
  };
  const Case cases[] = {{0, false}, {1, true}, {49, true}, {50, false}, {1000, false},
                        {1001, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.login);
    setText(memberPath("jane", c.login), "UserName", "someone");
    MemberTexts m;
    EXPECT_EQ(m.read("jane", c.login), c.read);
    EXPECT_EQ(qpmulti::WriteProfileMember("jane", c.login, "other", "POP3", nullptr, nullptr),
              c.read);
    EXPECT_EQ(readRaw(memberPath("jane", c.login), "UserName").text(),
              c.read ? "other" : "someone");
  }
}

TEST_F(ProfileMember, WriteReplacesTheWholeKey) {
  ASSERT_TRUE(qpmulti::WriteProfileMember("jane", 3, "jane.pop", "POP3", "pw", "db"));
  setText(memberPath("jane", 3), "Extra", "left over");
  rawKey(under(memberPath("jane", 3), "Sub"));

  // Empty texts write no value but leave the key.
  EXPECT_TRUE(qpmulti::WriteProfileMember("jane", 3, "", "", "", ""));
  const KeyInfo emptied = keyInfo(memberPath("jane", 3));
  EXPECT_EQ(emptied.keyClass, "Corvane");
  EXPECT_EQ(emptied.values, 0u);
  EXPECT_EQ(emptied.subkeys, 0u);
  MemberTexts m;
  EXPECT_FALSE(m.read("jane", 3));

  // All four absent only deletes.
  ASSERT_TRUE(qpmulti::WriteProfileMember("jane", 3, "jane.pop", "POP3", nullptr, nullptr));
  EXPECT_FALSE(qpmulti::WriteProfileMember("jane", 3, nullptr, nullptr, nullptr, nullptr));
  EXPECT_FALSE(keyExists(memberPath("jane", 3)));
  EXPECT_TRUE(keyExists(profilePath("jane")));
}

TEST_F(ProfileMember, InternetInterfaceIsWrittenOrDeleted) {
  char name[150];
  ASSERT_TRUE(qpmulti::WriteInternetInterface("jane", "POP3"));
  EXPECT_EQ(readRaw(profilePath("jane"), "InternetInterface").data.size(), sizeof "POP3");
  EXPECT_TRUE(qpmulti::ReadInternetInterface("jane", name));
  EXPECT_STREQ(name, "POP3");
  for (const char* empty : {"", static_cast<const char*>(nullptr)}) {
    ASSERT_TRUE(qpmulti::WriteInternetInterface("jane", "IMAP"));
    EXPECT_FALSE(qpmulti::WriteInternetInterface("jane", empty));
    EXPECT_FALSE(readRaw(profilePath("jane"), "InternetInterface").found);
    std::strcpy(name, "poison");
    EXPECT_FALSE(qpmulti::ReadInternetInterface("jane", name));
    EXPECT_STREQ(name, "");
  }
}

TEST_F(ProfileMember, FailuresWriteTheirDebugLogLines) {
  TempDir server;
  ASSERT_TRUE(SetEnvironmentVariableA("QP_SERVER_DIR", server.path().c_str()));
  ASSERT_TRUE(qpmulti::WriteProfileMember("jane", 1, "jane.pop", "POP3", nullptr, nullptr));
  MemberTexts m;
  EXPECT_FALSE(m.read("jane", 3));                                  // no such member key
  EXPECT_FALSE(m.read("jane\\x", 1));                               // unusable profile name
  EXPECT_FALSE(qpmulti::WriteProfileMember("", 1, "u", "POP3", nullptr, nullptr));
  SetEnvironmentVariableA("QP_SERVER_DIR", nullptr);
  const std::string log = readFile(server.file("QPDEBUG.LOG"));
  EXPECT_NE(log.find("[-1] Error 2h opening profile member Login3\r\n"), std::string::npos) << log;
  EXPECT_NE(log.find("[-1] Error 7Bh opening profile for jane\\x\r\n"), std::string::npos) << log;
  EXPECT_NE(log.find("[-1] Error 7Bh opening profile for \r\n"), std::string::npos) << log;
}

TEST_F(ProfileMember, KeysAreDeletedByTheirFullPaths) {
  ASSERT_TRUE(qpmulti::WriteProfileMember("jane", 1, "a", "POP3", "pw", nullptr));
  ASSERT_TRUE(qpmulti::WriteProfileMember("jane", 2, "b", "IMAP", nullptr, nullptr));
  ASSERT_TRUE(qpmulti::WriteProfileMember("joe", 1, "c", "POP3", nullptr, nullptr));
  EXPECT_EQ(qpmulti::deleteMemberKey("jane", 2), ERROR_SUCCESS);
  EXPECT_FALSE(keyExists(memberPath("jane", 2)));
  EXPECT_TRUE(keyExists(memberPath("jane", 1)));
  EXPECT_EQ(qpmulti::deleteMemberKey("jane", 2), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(qpmulti::deleteProfileKey("jane"), ERROR_SUCCESS);
  EXPECT_FALSE(keyExists(profilePath("jane")));
  EXPECT_TRUE(keyExists(memberPath("joe", 1)));
  EXPECT_EQ(qpmulti::deleteProfileKey("jane"), ERROR_FILE_NOT_FOUND);
}
