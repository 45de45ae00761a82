// The dial-up library's decisions and text handling: the decision table row by row,
// the credentials a call uses, the overrides the dialog keeps, list matching, cutting
// into fixed buffers and filling message texts without trusting their conversions.
#include "dialup/core/dial_logic.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

using qpras::DialDecision;
using qpras::UserSetting;

TEST(DialDecision, FollowsTheTableRowByRow) {
  struct Case {
    UserSetting setting;
    uint32_t autodial;
    bool rasAutodialKey;
    DialDecision expected;
  };
  const Case cases[] = {
      {UserSetting::No, 0, false, DialDecision::Refuse},
      {UserSetting::No, 1, true, DialDecision::Refuse},
      {UserSetting::Unset, 1, false, DialDecision::Refuse},
      {UserSetting::Unset, 0x10, true, DialDecision::Refuse},
      {UserSetting::Unset, 0, true, DialDecision::Refuse},
      {UserSetting::Unset, 0, false, DialDecision::Dial},
      {UserSetting::Yes, 0, false, DialDecision::Dial},
      {UserSetting::Yes, 0, true, DialDecision::Dial},
      {UserSetting::Yes, 1, false, DialDecision::SwitchOffAutodialAndDial},
      {UserSetting::Yes, 0xFFFFFFFF, true, DialDecision::SwitchOffAutodialAndDial},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "setting " << static_cast<int>(c.setting) << " autodial "
                                    << c.autodial << " key " << c.rasAutodialKey);
    EXPECT_EQ(c.expected, qpras::decideDial(c.setting, c.autodial, c.rasAutodialKey));
  }
}

TEST(DialDecision, UserSettingComesFromTheTwoReadings) {
  EXPECT_EQ(UserSetting::Yes, qpras::userSettingFrom(1, 1));
  EXPECT_EQ(UserSetting::No, qpras::userSettingFrom(0, 0));
  EXPECT_EQ(UserSetting::Unset, qpras::userSettingFrom(0, 1));
  // A setting that changed between the readings: the first one's yes counts.
  EXPECT_EQ(UserSetting::Yes, qpras::userSettingFrom(1, 0));
}

TEST(Credentials, OverridesAreKeptOnlyWhenTheyDifferIgnoringCase) {
  struct Case {
    const char* typed;
    const char* stored;
    bool keep;
  };
  const Case cases[] = {
      {"jane", "jane", false}, {"JANE", "jane", false}, {"s3CRET", "s3cret", false},
      {"john", "jane", true},  {"", "jane", true},      {"jane", "", true},
      {"", "", false},         {"jane2", "jane", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.typed) + " / " + c.stored);
    EXPECT_EQ(c.keep, qpras::keepOverride(c.typed, c.stored));
  }
}

TEST(Credentials, EmptyFieldsAreCompletedFromTheStoredOnes) {
  struct Case {
    const char* user;
    const char* password;
    const char* expectedUser;
    const char* expectedPassword;
  };
  // Stored: user "Jane", password "pw".
  const Case cases[] = {
      {"", "", "Jane", "pw"},             // nothing kept: both stored
      {"jane", "", "jane", "pw"},         // same user, other case: stored password
      {"john", "", "john", ""},           // another user: no stored password for him
      {"john", "his", "john", "his"},     // both overridden
      {"", "mine", "Jane", "mine"},       // only the password overridden
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.user) + " / " + c.password);
    char user[qpras::kNameSize], password[qpras::kNameSize];
    std::strcpy(user, c.user);
    std::strcpy(password, c.password);
    qpras::completeCredentials(user, password, "Jane", "pw");
    EXPECT_STREQ(c.expectedUser, user);
    EXPECT_STREQ(c.expectedPassword, password);
  }
}

TEST(Credentials, LongestStoredCredentialsFit) {
  const std::string longest(256, 'u');
  char user[qpras::kNameSize] = "";
  char password[qpras::kNameSize] = "";
  qpras::completeCredentials(user, password, longest.c_str(), longest.c_str());
  EXPECT_EQ(longest, user);
  EXPECT_EQ(longest, password);
}

TEST(ListItems, PrefixAndExactMatchIgnoreCase) {
  struct Case {
    const char* item;
    const char* wanted;
    qpras::ItemMatch match;
    bool matches;
  };
  using qpras::ItemMatch;
  const Case cases[] = {
      {"Office", "Off", ItemMatch::Prefix, true},   {"Office", "OFFICE", ItemMatch::Prefix, true},
      {"Office", "Offices", ItemMatch::Prefix, false}, {"Office", "Off", ItemMatch::Exact, false},
      {"Office", "office", ItemMatch::Exact, true}, {"Office", "", ItemMatch::Prefix, false},
      {"", "", ItemMatch::Exact, false},            {"Home", "Off", ItemMatch::Prefix, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.item) + " / " + c.wanted);
    EXPECT_EQ(c.matches, qpras::itemMatches(c.item, c.wanted, c.match));
  }
  EXPECT_TRUE(qpras::isDefaultLocation("(Default)"));
  EXPECT_FALSE(qpras::isDefaultLocation("(default) 2"));
}

TEST(FitText, CutsUnterminatedDataAndNeverWritesPastTheBuffer) {
  struct Case {
    std::string data;  // may hold zeros
    size_t size;
    const char* expected;
    bool fits;
  };
  const Case cases[] = {
      {std::string("abc\0", 4), 8, "abc", true},
      {"abc", 8, "abc", true},                     // no terminator in the data
      {"abcdefghij", 8, "abcdefg", false},
      {std::string("ab\0cd", 5), 8, "ab", true},   // ends at the first zero
      {"", 1, "", true},
      {"x", 1, "", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.data);
    char buffer[12];
    std::memset(buffer, 0x5A, sizeof buffer);
    EXPECT_EQ(c.fits, qpras::fitText(buffer, c.size, c.data.data(), c.data.size()));
    EXPECT_STREQ(c.expected, buffer);
    for (size_t i = c.size; i < sizeof buffer; ++i) EXPECT_EQ(0x5A, buffer[i]) << "byte " << i;
  }
}

TEST(FormatMessage, FillsConversionsInOrderWithinTheBuffer) {
  using qpras::MessageArg;
  struct Case {
    const char* format;
    std::vector<MessageArg> args;
    size_t size;
    const char* expected;
  };
  const Case cases[] = {
      {"Dial-up error %d: the profile \"%s\" could not be dialed.",
       {{nullptr, 633}, {"Office", 0}}, 100,
       "Dial-up error 633: the profile \"Office\" could not be dialed."},
      {"%s is here", {{"Quillpost", 0}}, 100, "Quillpost is here"},
      {"100%% sure, %s", {{"yes", 0}}, 100, "100% sure, yes"},
      {"%s and %s", {{"one", 0}}, 100, "one and "},            // more conversions than values
      {"%x %5d %", {{nullptr, 1}}, 100, "%x %5d %"},           // not filled: copied
      {"%ld/%lu/%i", {{nullptr, -2}, {nullptr, 3}, {nullptr, 4}}, 100, "-2/3/4"},
      {"%d", {{"text", 0}}, 100, "text"},
      {"error %d", {{nullptr, 12345}}, 9, "error 12"},          // cut to the buffer
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.format);
    char out[100];
    std::memset(out, 0x5A, sizeof out);
    qpras::formatMessage(c.format, c.args.data(), c.args.size(), out, c.size);
    EXPECT_STREQ(c.expected, out);
    for (size_t i = c.size; i < sizeof out; ++i) ASSERT_EQ(0x5A, out[i]) << "byte " << i;
  }
}

TEST(FormatMessage, LongValuesAreCutNotOverrun) {
  const std::string name(600, 'n');
  const qpras::MessageArg arg{name.c_str(), 0};
  char out[qpras::kExplanationSize];
  qpras::formatMessage("%s is currently attempting...", &arg, 1, out, sizeof out);
  EXPECT_EQ(sizeof out - 1, std::strlen(out));
  EXPECT_EQ(name.substr(0, sizeof out - 1), out);
}

}  // namespace
