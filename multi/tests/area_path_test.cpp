// The area-path decision: who becomes the area's default network user and which path
// each network user gets.
#include "multi/core/area_path.h"

#include <gtest/gtest.h>

#include <string>

TEST(AreaPath, FirstNetUserOwnsTheAreaOthersGetASubArea) {
  const std::string base = qpmulti::kProfileAreaBase;
  const std::string sub = base + "\\NonDefaultUser\\";
  struct Case {
    const char* netUser;
    const char* storedDefault;  // null: the base key could not be opened
    bool baseKeyOpen;
    bool storesDefault;
    std::string path;
  };
  const Case cases[] = {
      {"alice", "", true, true, base},           // first use: alice becomes the default
      {"alice", nullptr, true, true, base},      // value absent
      {"bob", "alice", true, false, sub + "bob"},
      {"ALICE", "alice", true, false, base},     // same user, other letter case
      {"", "alice", true, false, base},          // no network user
      {"", "", true, false, base},
      {"bob", nullptr, false, false, sub + "bob"},  // no base key: nothing can be stored
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.netUser) + " / " + (c.storedDefault ? c.storedDefault : "(absent)"));
    const bool stores = c.baseKeyOpen && qpmulti::shouldStoreNetDefaultUser(c.netUser, c.storedDefault);
    EXPECT_EQ(stores, c.storesDefault);
    const char* defaultUser = stores ? c.netUser : c.storedDefault;
    EXPECT_EQ(qpmulti::areaPath(base.c_str(), c.netUser, defaultUser), c.path);
  }
}

TEST(AreaPath, NullNetUserCountsAsNone) {
  EXPECT_FALSE(qpmulti::shouldStoreNetDefaultUser(nullptr, ""));
  EXPECT_EQ(qpmulti::areaPath(qpmulti::kClientAreaBase, nullptr, nullptr),
            std::string(qpmulti::kClientAreaBase));
}
