// Profile and member key names, Login numbers and the profile-name check that keeps a
// profile from addressing keys outside its own.
#include "multi/core/profile_keys.h"

#include <gtest/gtest.h>

#include <string>

TEST(ProfileKeys, ParsesMemberLoginNumbers) {
  struct Case {
    const char* text;
    bool ok;
    unsigned login;
  };
  const Case cases[] = {
      {"1", true, 1},     {"49", true, 49},   {"07", true, 7},   {"0", false, 0},
      {"50", false, 0},   {"1001", false, 0}, {"", false, 0},    {"-1", false, 0},
      {"3x", false, 0},   {" 3", false, 0},   {"99999999999999999999", false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    unsigned login = 12345;
    EXPECT_EQ(qpmulti::parseMemberLogin(c.text, &login), c.ok);
    EXPECT_EQ(login, c.ok ? c.login : 12345u);
  }
}

TEST(ProfileKeys, StoredLoginNumbersAreMembersAndTheSwapKey) {
  EXPECT_TRUE(qpmulti::isStoredLogin(1));
  EXPECT_TRUE(qpmulti::isStoredLogin(49));
  EXPECT_TRUE(qpmulti::isStoredLogin(1001));
  EXPECT_FALSE(qpmulti::isStoredLogin(0));
  EXPECT_FALSE(qpmulti::isStoredLogin(50));
  EXPECT_FALSE(qpmulti::isMemberLogin(1001));
  EXPECT_EQ(qpmulti::memberKeyName(3), "Login3");
  EXPECT_EQ(qpmulti::memberKeyName(1001), "Login1001");
}

TEST(ProfileKeys, ProfileNameAddressesOneKeyBelowTheArea) {
  const std::string long149(149, 'n');
  const std::string long150(150, 'n');
  struct Case {
    const char* name;
    std::string path;  // empty: refused
  };
  const Case cases[] = {
      {"jane", "Area\\jane"},
      {"Jane Doe", "Area\\Jane Doe"},
      {long149.c_str(), "Area\\" + long149},
      {long150.c_str(), ""},
      {"", ""},
      {nullptr, ""},
      {"jane\\Login1", ""},
      {"\\", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name ? std::string(c.name).substr(0, 20) : "(null)");
    EXPECT_EQ(qpmulti::profileKeyPath("Area", c.name), c.path);
    EXPECT_EQ(qpmulti::isValidProfileName(c.name), !c.path.empty());
  }
}
