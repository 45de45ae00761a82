// The registry area by network user. The store computes each area path once per
// process, so ctest runs every test of this program in a process of its own
// (--gtest_filter=NetUser.<name>); a second test in the same process is skipped.
#include <windows.h>
#include <winnetwk.h>

#include <gtest/gtest.h>

#include <string>

#include "multi/core/area_path.h"
#include "multi/profile_store.h"
#include "multi/tests/registry_fixture.h"

using namespace storetest;

namespace {

const char* netUser = nullptr;
const char* netUserSource() { return netUser; }

const std::string kProfileBase = qpmulti::kProfileAreaBase;
const std::string kClientBase = qpmulti::kClientAreaBase;

class NetUser : public ::testing::Test {
 protected:
  void SetUp() override {
    static bool used = false;
    if (used) GTEST_SKIP() << "area paths are already fixed in this process";
    used = true;
    deleteAreas();
  }
  void TearDown() override { deleteAreas(); }
  static void useNetUser(const char* name) {
    netUser = name;
    qpmulti::setNetUserSourceForTesting(netUserSource);
  }
};

}  // namespace

TEST_F(NetUser, FirstUserOwnsTheArea) {
  useNetUser("alice");
  EXPECT_EQ(std::string(qpmulti::GetProfileAreaPath()), kProfileBase);
  const RawValue stored = readRaw(kProfileBase, "NetDefaultUser");
  EXPECT_EQ(stored.type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(stored.text(), "alice");
  EXPECT_EQ(keyInfo(kProfileBase).keyClass, "Corvane");
  ASSERT_TRUE(qpmulti::WriteProfilePassword("jane", "pw"));
  EXPECT_TRUE(readRaw(under(kProfileBase, "jane"), "ProfileData").found);

  // The client area is never created, so no default can be stored there.
  EXPECT_EQ(std::string(qpmulti::GetClientAreaPath()), kClientBase + "\\NonDefaultUser\\alice");
  EXPECT_FALSE(keyExists(kClientBase));
}

TEST_F(NetUser, OtherUserGetsASubArea) {
  setText(kProfileBase, "NetDefaultUser", "Alice");
  setText(kClientBase, "NetDefaultUser", "BOB");
  useNetUser("bob");
  const std::string area = kProfileBase + "\\NonDefaultUser\\bob";
  EXPECT_EQ(std::string(qpmulti::GetProfileAreaPath()), area);
  EXPECT_EQ(readRaw(kProfileBase, "NetDefaultUser").text(), "Alice");
  EXPECT_EQ(std::string(qpmulti::GetClientAreaPath()), kClientBase);  // BOB is bob

  ASSERT_TRUE(qpmulti::WriteProfileMember("jane", 1, "jane.pop", "POP3", "pw", nullptr));
  EXPECT_EQ(readRaw(under(area, "jane\\Login1"), "UserName").text(), "jane.pop");
  EXPECT_FALSE(keyExists(under(kProfileBase, "jane")));
  rawKey(under(kClientBase, "jane"));
  qpmulti::CacheFullName("jane", "Jane Doe");
  EXPECT_EQ(readRaw(under(kClientBase, "jane"), "FullName").text(), "Jane Doe");
}

TEST_F(NetUser, NoNetUserUsesTheArea) {
  setText(kProfileBase, "NetDefaultUser", "alice");
  rawKey(kClientBase);
  useNetUser(nullptr);  // WNetGetUserA failed
  EXPECT_EQ(std::string(qpmulti::GetProfileAreaPath()), kProfileBase);
  EXPECT_EQ(std::string(qpmulti::GetClientAreaPath()), kClientBase);
  EXPECT_EQ(readRaw(kProfileBase, "NetDefaultUser").text(), "alice");
  EXPECT_FALSE(readRaw(kClientBase, "NetDefaultUser").found);
}

// Without the seam: Wine's WNetGetUserA names the Unix user, who becomes the default.
TEST_F(NetUser, WNetGetUserNamesTheDefaultUser) {
  char name[150] = "";
  DWORD size = sizeof name;
  ASSERT_EQ(WNetGetUserA(nullptr, name, &size), static_cast<DWORD>(NO_ERROR));
  EXPECT_EQ(std::string(qpmulti::GetProfileAreaPath()), kProfileBase);
  EXPECT_EQ(readRaw(kProfileBase, "NetDefaultUser").text(), name);
}
