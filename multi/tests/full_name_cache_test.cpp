// The full-name and full-address cache in the desktop client's area, and the fall-back
// to the mail server's user records when nothing usable is cached.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "host/comm/userdb.h"
#include "multi/profile_store.h"
#include "multi/tests/registry_fixture.h"

using namespace storetest;

namespace {

// A server directory whose QPUSER.DB@ knows "jane", set as the common library's server
// directory for the test.
class FullNameCache : public StoreTest {
 protected:
  void SetUp() override {
    StoreTest::SetUp();
    unsigned char record[qpcomm::kUserRecordSize];
    qpcomm::buildUserRecord({"Jane", "Jane From Db", "SMTP", "jane@example.com"}, record);
    qp::UniqueFile file(CreateFileA(server_.file("QPUSER.DB@").c_str(), GENERIC_WRITE, 0,
                                    nullptr, CREATE_ALWAYS, 0, nullptr));
    ASSERT_TRUE(file);
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(file.get(), record, sizeof record, &written, nullptr));
    ASSERT_TRUE(SetEnvironmentVariableA("QP_SERVER_DIR", server_.path().c_str()));
  }
  void TearDown() override {
    SetEnvironmentVariableA("QP_SERVER_DIR", nullptr);
    StoreTest::TearDown();
  }
  static std::string fullName(const char* profile) {
    char text[500];
    std::memset(text, 'Q', sizeof text);
    qpmulti::LookUpFullName(profile, text);
    return text;
  }
  static std::string fullAddress(const char* profile) {
    char text[500];
    std::memset(text, 'Q', sizeof text);
    qpmulti::LookUpFullAddress(profile, text);
    return text;
  }
  TempDir server_;
};

}  // namespace

TEST_F(FullNameCache, CachedTextsWinWhenTheClientKeyExists) {
  rawKey(clientPath("jane"));
  qpmulti::CacheFullName("jane", "Jane Cached");
  qpmulti::CacheFullAddress("jane", "Jane Cached <jane@cached.example>");
  const RawValue name = readRaw(clientPath("jane"), "FullName");
  EXPECT_EQ(name.type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(name.data.size(), sizeof "Jane Cached");
  EXPECT_EQ(fullName("jane"), "Jane Cached");
  EXPECT_EQ(fullAddress("jane"), "Jane Cached <jane@cached.example>");
}

TEST_F(FullNameCache, WithoutAClientKeyNothingIsCached) {
  qpmulti::CacheFullName("jane", "Jane Cached");
  qpmulti::CacheFullAddress("jane", "jane@cached.example");
  EXPECT_FALSE(keyExists(clientPath("jane")));
  EXPECT_EQ(fullName("jane"), "Jane From Db");
  EXPECT_EQ(fullAddress("jane"), "jane@example.com");
}

TEST_F(FullNameCache, UnusableCachedTextsFallBackToTheUserRecord) {
  struct Case {
    const char* name;
    std::string cached;
  };
  const Case cases[] = {{"empty", ""}, {"longer than 249", std::string(250, 'x')}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    setText(clientPath("jane"), "FullName", c.cached);
    setText(clientPath("jane"), "FullAddress", c.cached);
    EXPECT_EQ(fullName("jane"), "Jane From Db");
    EXPECT_EQ(fullAddress("jane"), "jane@example.com");
  }
}

TEST_F(FullNameCache, UnknownUserGivesEmptyTexts) {
  EXPECT_EQ(fullName("nobody"), "");
  EXPECT_EQ(fullAddress("nobody"), "");
}

TEST_F(FullNameCache, LookUpIsCutToTheCallersBuffer) {
  char small[6];
  qpmulti::LookUpFullName("jane", small, sizeof small);
  EXPECT_STREQ(small, "Jane ");
}
