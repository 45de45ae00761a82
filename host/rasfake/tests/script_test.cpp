// The stand-in dial-up service's script: entries, forced failures, scripted dials,
// refusal of bad lines with their number, and the journal line format.
#include "host/rasfake/core/script.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(Script, ReadsEntriesFailuresDelayAndDials) {
  const std::string text =
      "# phonebook\n"
      "entry Office Dial-Up | 555-0100 | jane | s3cret\r\n"
      "entry Home\n"
      "\n"
      "enum-error 603\n"
      "params-error 0x26F\n"
      "delay 150\n"
      "dial PortOpened authenticate 0x2000\n"
      "dial error 633\n"
      "dial error 678 nohandle\n"
      "dial 1 21 Disconnected\n";
  rasfake::Script script;
  std::string error;
  ASSERT_TRUE(rasfake::parseScript(text, script, error)) << error;
  ASSERT_EQ(2u, script.entries.size());
  EXPECT_EQ("Office Dial-Up", script.entries[0].name);
  EXPECT_EQ("555-0100", script.entries[0].phone);
  EXPECT_EQ("jane", script.entries[0].user);
  EXPECT_EQ("s3cret", script.entries[0].password);
  EXPECT_EQ("Home", script.entries[1].name);
  EXPECT_EQ("", script.entries[1].phone);
  EXPECT_EQ(603u, script.enumError);
  EXPECT_EQ(0x26Fu, script.paramsError);
  EXPECT_EQ(150u, script.delayMs);
  ASSERT_EQ(4u, script.dials.size());
  EXPECT_FALSE(script.dials[0].refused);
  EXPECT_EQ((std::vector<uint32_t>{1, 5, 0x2000}), script.dials[0].states);
  EXPECT_TRUE(script.dials[1].refused);
  EXPECT_EQ(633u, script.dials[1].error);
  EXPECT_TRUE(script.dials[1].handsOutHandle);
  EXPECT_FALSE(script.dials[2].handsOutHandle);
  EXPECT_EQ((std::vector<uint32_t>{1, 21, 0x2001}), script.dials[3].states);

  EXPECT_EQ(&script.entries[0], rasfake::findEntry(script, "OFFICE dial-up"));
  EXPECT_EQ(nullptr, rasfake::findEntry(script, "Office"));
}

TEST(Script, LongestTextsPassLongerOnesAreRefused) {
  const std::string name256(256, 'n'), phone128(128, '5'), user256(256, 'u');
  rasfake::Script script;
  std::string error;
  ASSERT_TRUE(rasfake::parseScript("entry " + name256 + "|" + phone128 + "|" + user256 + "|" +
                                       user256 + "\n",
                                   script, error))
      << error;
  EXPECT_EQ(name256, script.entries.at(0).name);

  struct Case {
    std::string text;
    const char* error;
  };
  const Case cases[] = {
      {"entry " + name256 + "n", "line 1: entry name longer than 256"},
      {"entry a|" + phone128 + "5", "line 1: phone number longer than 128"},
      {"entry a||" + user256 + "u", "line 1: user name or password longer than 256"},
      {"entry a|b|c|d|e", "line 1: an entry has at most 4 fields"},
      {"entry | 555", "line 1: an entry needs a name"},
      {"\n# fine\ndial Connecting", "line 3: unknown state 'Connecting'"},
      {"dial", "line 1: dial needs states or 'error CODE'"},
      {"dial error 0", "line 1: dial error needs a nonzero code"},
      {"dial error 5 later", "line 1: dial error CODE takes only 'nohandle' after it"},
      {"delay -5", "line 1: delay needs one number"},
      {"enum-error 0x1FFFFFFFF", "line 1: enum-error needs one number"},
      {"hangup 1", "line 1: unknown instruction 'hangup'"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text.substr(0, 40));
    rasfake::Script bad;
    std::string why;
    EXPECT_FALSE(rasfake::parseScript(c.text, bad, why));
    EXPECT_EQ(c.error, why);
  }
}

TEST(Journal, LinesHoldTabSeparatedFieldsWithEscapes) {
  EXPECT_EQ("RasDialA\tentry=Office\tuser=a\\tb\\\\c\\n\t-> 0",
            rasfake::journalLine("RasDialA", {{"entry", "Office"}, {"user", "a\tb\\c\n"}}, 0));
  EXPECT_EQ("RasHangUpA\t-> 6", rasfake::journalLine("RasHangUpA", {}, 6));
}

TEST(Journal, PasswordsShowOnlyTheirLength) {
  EXPECT_EQ("", rasfake::maskedPassword(""));
  EXPECT_EQ("****(6)", rasfake::maskedPassword("s3cret"));
  EXPECT_EQ("****(256)", rasfake::maskedPassword(std::string(256, 'w')));
}

}  // namespace
