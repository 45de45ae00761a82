// Stored passwords of profiles and member keys against Wine's registry: which value
// wins, what a write leaves behind, scrambling keyed by the owner whatever its letter
// case, reads cut to the caller's buffer, and refused profile names.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "multi/core/scramble.h"
#include "multi/profile_store.h"
#include "multi/tests/registry_fixture.h"

using namespace storetest;

namespace {

class StoredPassword : public StoreTest {};

std::vector<unsigned char> scrambled(const char* loweredOwner, const std::string& password) {
  std::vector<unsigned char> data(qpmulti::kProfileDataSize + 200);
  data.resize(qpmulti::scramblePassword(loweredOwner, password.c_str(), data.data(), data.size()));
  return data;
}

}  // namespace

TEST_F(StoredPassword, PlainPasswordWinsOverProfileDataAndIsReturnedUnchanged) {
  setText(profilePath("jane"), "Password", "Plain Text");
  setBinary(profilePath("jane"), "ProfileData", scrambled("jane", "scrambled"));
  char password[150];
  std::memset(password, 'Q', sizeof password);
  EXPECT_TRUE(qpmulti::ReadProfilePassword("jane", password));
  EXPECT_STREQ(password, "Plain Text");
}

TEST_F(StoredPassword, WriteLeavesOnlyProfileDataOneByteLongerEndingInZero) {
  setText(profilePath("jane"), "Password", "old");
  ASSERT_TRUE(qpmulti::WriteProfilePassword("Jane", "s3cret"));
  EXPECT_FALSE(readRaw(profilePath("jane"), "Password").found);
  const RawValue data = readRaw(profilePath("jane"), "ProfileData");
  ASSERT_TRUE(data.found);
  EXPECT_EQ(data.type, static_cast<DWORD>(REG_BINARY));
  // Keyed by the lower-cased profile name "jane"; the bytes end in the zero byte.
  EXPECT_EQ(hex(data.data), "33fc670129bf00");
}

TEST_F(StoredPassword, RoundTripsWhateverTheOwnersLetterCase) {
  struct Case {
    const char* writer;
    const char* reader;
    const char* password;
  };
  const Case cases[] = {
      {"Jane", "JANE", "s3cret"},
      {"jane.pop", "Jane.Pop", "x"},
      {"J\xC4NE", "j\xE4ne", "umlaut owner"},  // ANSI lower-casing, not only ASCII
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.password);
    qp::UniqueHKey key = rawKey(profilePath("owner"));
    ASSERT_TRUE(qpmulti::WriteStoredPassword(key.get(), c.writer, c.password));
    char password[150];
    EXPECT_TRUE(qpmulti::ReadStoredPassword(key.get(), c.reader, password, sizeof password));
    EXPECT_STREQ(password, c.password);
  }
}

TEST_F(StoredPassword, ReadsWhatTheValuesHold) {
  const std::string long200(200, 'L');
  const std::string long400(400, 'w');
  struct Case {
    const char* name;
    const char* plain;                        // "Password", null: absent
    std::vector<unsigned char> profileData;   // "ProfileData"
    bool hasProfileData;
    bool result;
    std::string password;
  };
  const Case cases[] = {
      {"nothing stored", nullptr, {}, false, false, ""},
      {"zero-byte ProfileData", nullptr, {}, true, true, ""},
      {"empty Password", "", scrambled("owner", "unused"), true, true, ""},
      {"ProfileData longer than the buffer", nullptr, scrambled("owner", long400), true, true,
       long400.substr(0, 149)},
      {"ProfileData over 500 bytes", nullptr, std::vector<unsigned char>(501, 1), true, false, ""},
      {"Password that does not fit", long200.c_str(), scrambled("owner", "fallback"), true, true,
       "fallback"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    deleteAreas();
    qp::UniqueHKey key = rawKey(profilePath("owner"));
    if (c.plain) setText(profilePath("owner"), "Password", c.plain);
    if (c.hasProfileData) setBinary(profilePath("owner"), "ProfileData", c.profileData);
    char password[160];
    std::memset(password, 'Q', sizeof password);
    EXPECT_EQ(qpmulti::ReadStoredPassword(key.get(), "Owner", password, 150), c.result);
    EXPECT_EQ(std::string(password), c.password);
    for (size_t i = 150; i < sizeof password; ++i) ASSERT_EQ(password[i], 'Q') << "byte " << i;
  }
}

TEST_F(StoredPassword, EmptyPasswordDeletesBothValues) {
  for (const char* empty : {"", static_cast<const char*>(nullptr)}) {
    SCOPED_TRACE(empty ? "empty" : "null");
    setText(profilePath("jane"), "Password", "plain");
    ASSERT_TRUE(qpmulti::WriteProfilePassword("jane", "s3cret"));
    setText(profilePath("jane"), "Password", "plain");
    EXPECT_TRUE(qpmulti::WriteProfilePassword("jane", empty));
    EXPECT_FALSE(readRaw(profilePath("jane"), "Password").found);
    EXPECT_FALSE(readRaw(profilePath("jane"), "ProfileData").found);
    char password[150] = "poison";
    EXPECT_FALSE(qpmulti::ReadProfilePassword("jane", password));
    EXPECT_STREQ(password, "");
  }
}

// An empty owner name would divide by zero in the format; the key is then one zero byte.
TEST_F(StoredPassword, EmptyOwnerStoresThePasswordUnderAZeroKey) {
  qp::UniqueHKey key = rawKey(profilePath("owner"));
  for (const char* owner : {"", static_cast<const char*>(nullptr)}) {
    SCOPED_TRACE(owner ? "empty" : "null");
    ASSERT_TRUE(qpmulti::WriteStoredPassword(key.get(), owner, "pw"));
    EXPECT_EQ(hex(readRaw(profilePath("owner"), "ProfileData").data), "707700");
    char password[150];
    EXPECT_TRUE(qpmulti::ReadStoredPassword(key.get(), "", password, sizeof password));
    EXPECT_STREQ(password, "pw");
  }
}

TEST_F(StoredPassword, WriteThroughAReadOnlyKeyReportsFailure) {
  rawKey(profilePath("jane"));
  qp::UniqueHKey readOnly;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, profilePath("jane").c_str(), 0, KEY_READ,
                          readOnly.put()), ERROR_SUCCESS);
  EXPECT_FALSE(qpmulti::WriteStoredPassword(readOnly.get(), "jane", "s3cret"));
  EXPECT_FALSE(readRaw(profilePath("jane"), "ProfileData").found);
}

TEST_F(StoredPassword, ReadingAMissingProfileCreatesItsEmptyKey) {
  char password[150] = "poison";
  EXPECT_FALSE(qpmulti::ReadProfilePassword("nobody", password));
  EXPECT_STREQ(password, "");
  const KeyInfo info = keyInfo(profilePath("nobody"));
  EXPECT_EQ(info.keyClass, "Corvane");
  EXPECT_EQ(info.values, 0u);
}

// "" would address the area's own key and "a\b" a key of another profile.
TEST_F(StoredPassword, ProfileNamesOutsideOneKeyAreRefused) {
  const std::string tooLong(150, 'n');
  for (const char* name : {"", "jane\\Login1", tooLong.c_str()}) {
    SCOPED_TRACE(std::string(name).substr(0, 20));
    EXPECT_FALSE(qpmulti::WriteProfilePassword(name, "s3cret"));
    char password[150] = "poison";
    EXPECT_FALSE(qpmulti::ReadProfilePassword(name, password));
    EXPECT_STREQ(password, "");
  }
  EXPECT_FALSE(qpmulti::WriteProfilePassword(nullptr, "s3cret"));
  EXPECT_FALSE(readRaw(qpmulti::kProfileAreaBase, "ProfileData").found);
  EXPECT_FALSE(keyExists(profilePath("jane")));
  rawKey(profilePath("joe"));
  EXPECT_EQ(qpmulti::deleteProfileKey(""), ERROR_INVALID_NAME);
  EXPECT_EQ(qpmulti::deleteMemberKey("joe\\..", 1), ERROR_INVALID_NAME);
  EXPECT_TRUE(keyExists(profilePath("joe")));
}
