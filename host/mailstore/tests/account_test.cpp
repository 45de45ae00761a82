// The account file: which keys of which section count, the capability number, and the
// credential check.
#include "host/mailstore/account.h"

#include <gtest/gtest.h>

using qp::mailstore::Account;
using qp::mailstore::parseAccount;
using qp::mailstore::parseNumber;

TEST(AccountFile, ReadsTheKeysOfTheAccountSection) {
  const Account account = parseAccount(
      "\xEF\xBB\xBF; sample account\r\n"
      "[Other]\r\n"
      "UserName=intruder\r\n"
      "[ account ]\r\n"
      "  username =  Jane Doe  \r\n"
      "Password=s3cret=x\r\n"
      "# the first occurrence wins\r\n"
      "PASSWORD=other\r\n"
      "FullName=Jane Q. Doe\n"
      "FullAddress=Jane <jane@example.com>\n"
      "Unknown=1\n"
      "no equals sign here\n"
      "Capabilities=0x418\n"
      "PollResult=7");
  EXPECT_EQ(account.userName, "Jane Doe");
  EXPECT_EQ(account.password, "s3cret=x");
  EXPECT_EQ(account.fullName, "Jane Q. Doe");
  EXPECT_EQ(account.fullAddress, "Jane <jane@example.com>");
  ASSERT_TRUE(account.capabilities.has_value());
  EXPECT_EQ(*account.capabilities, 0x418u);
  EXPECT_EQ(account.pollResult, 7u);
  EXPECT_EQ(parseAccount("[Account]\nPollResult=many\n").pollResult, 0u);
}

TEST(AccountFile, MissingSectionOrKeysLeaveEmptyValues) {
  struct Case {
    const char* text;
    const char* userName;
  };
  const Case cases[] = {
      {"", ""},
      {"UserName=jane\n", ""},                         // before any section
      {"[Accounts]\nUserName=jane\n", ""},             // another section
      {"[Account\nUserName=jane\n", ""},               // broken header
      {"[Account]\nUserName=jane\n[Next]\n", "jane"},  // section ends at the next one
      {"[Account]\nUserName=\n", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const Account account = parseAccount(c.text);
    EXPECT_EQ(account.userName, c.userName);
    EXPECT_EQ(account.password, "");
    EXPECT_FALSE(account.capabilities.has_value());
  }
}

TEST(AccountFile, CapabilitiesAreDecimalOrHexNumbers) {
  struct Case {
    const char* text;
    bool valid;
    uint32_t value;
  };
  const Case cases[] = {
      {"3072", true, 3072},
      {"0xC00", true, 0xC00},
      {"0Xc00", true, 0xC00},
      {" 12 ", true, 12},
      {"0", true, 0},
      {"4294967295", true, UINT32_MAX},
      {"0xFFFFFFFF", true, UINT32_MAX},
      {"4294967296", false, 0},
      {"0x100000000", false, 0},
      {"", false, 0},
      {"0x", false, 0},
      {"12a", false, 0},
      {"-1", false, 0},
      {"0xG", false, 0},
      {"1 2", false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    std::optional<uint32_t> value = parseNumber(c.text);
    ASSERT_EQ(value.has_value(), c.valid);
    if (c.valid) {
      EXPECT_EQ(*value, c.value);
    }
  }
  EXPECT_FALSE(parseAccount("[Account]\nCapabilities=lots\n").capabilities.has_value());
}

TEST(AccountFile, AcceptsTheUserNameInAnyCaseButOnlyTheExactPassword) {
  Account account;
  account.userName = "Jane";
  account.password = "Pa55";
  struct Case {
    const char* userName;
    const char* password;
    bool accepted;
  };
  const Case cases[] = {
      {"Jane", "Pa55", true},   {"JANE", "Pa55", true},   {"jane", "pa55", false},
      {"Jane", "Pa55 ", false}, {"Jan", "Pa55", false},   {"Janet", "Pa55", false},
      {nullptr, "Pa55", false}, {"Jane", nullptr, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.userName ? c.userName : "(null)") + "/" +
                 (c.password ? c.password : "(null)"));
    EXPECT_EQ(qp::mailstore::acceptsCredentials(account, c.userName, c.password), c.accepted);
  }

  Account nobody;  // no user name: not even empty credentials pass
  EXPECT_FALSE(qp::mailstore::acceptsCredentials(nobody, "", ""));
}
