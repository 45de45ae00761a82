// The profile file of QPHOST profile import/export: what a file describes, the line and
// reason of every refusal, and texts written by formatProfile reading back unchanged.
#include "host/qphost/core/profile_file.h"

#include <gtest/gtest.h>

#include <string>

using qphost::formatProfile;
using qphost::parseProfileFile;
using qphost::ProfileEntry;
using qphost::ProfileFile;

TEST(ProfileFile, ReadsProfilesMembersAndQuotedValues) {
  const ProfileFile file = parseProfileFile(
      "# two users\r\n"
      "Profile = jane\r\n"
      "  password =  s3cret  \r\n"
      "internet=SMTP\r\n"
      "member 3 = jane.imap | IMAP | \"p|w \\\"x\\\"\" | C:\\Mail\\jane imap\r\n"
      "MEMBER\t1 = jane.pop|POP3\r\n"
      "\r\n"
      "profile = bob\n"
      "password = *\n"
      "member 49 = bob | POP3 | * | \n"
      "member 2 = bob2 | | \"*\"\n"
      "member 5 = x | SMTP | \" lead\\t\\x01\"");
  ASSERT_TRUE(file.ok) << file.errorLine << ": " << file.error;
  ASSERT_EQ(file.profiles.size(), 2u);
  const ProfileEntry& jane = file.profiles[0];
  EXPECT_EQ(jane.name, "jane");
  EXPECT_EQ(jane.line, 2u);
  EXPECT_EQ(jane.passwordLine, 3u);
  EXPECT_EQ(jane.password, "s3cret");
  EXPECT_FALSE(jane.keepPassword);
  EXPECT_EQ(jane.internetInterface, "SMTP");
  ASSERT_EQ(jane.members.size(), 2u);
  EXPECT_EQ(jane.members[0].login, 3u);
  EXPECT_EQ(jane.members[0].userName, "jane.imap");
  EXPECT_EQ(jane.members[0].password, "p|w \"x\"");
  EXPECT_EQ(jane.members[0].mailDatabase, "C:\\Mail\\jane imap");
  EXPECT_EQ(jane.members[1].login, 1u);
  EXPECT_EQ(jane.members[1].interfaceName, "POP3");
  EXPECT_EQ(jane.members[1].password, "");

  const ProfileEntry& bob = file.profiles[1];
  EXPECT_TRUE(bob.keepPassword);
  EXPECT_EQ(bob.internetInterface, "");
  ASSERT_EQ(bob.members.size(), 3u);
  EXPECT_TRUE(bob.members[0].keepPassword);
  EXPECT_EQ(bob.members[0].mailDatabase, "");
  EXPECT_EQ(bob.members[1].interfaceName, "");
  EXPECT_FALSE(bob.members[1].keepPassword);
  EXPECT_EQ(bob.members[1].password, "*");
  EXPECT_EQ(bob.members[2].password, " lead\t\x01");
}

TEST(ProfileFile, RefusalsNameTheLineAndDescribeNothing) {
  const std::string long150(150, 'x');
  struct Case {
    std::string text;
    unsigned line;
    const char* reason;  // part of the message
  };
  const Case cases[] = {
      {"password = x\n", 1, "before the first 'profile"},
      {"profile = jane\nnonsense\n", 2, "expected KEY = VALUE"},
      {"profile = jane\ncolour = red\n", 2, "unknown key"},
      {"profile = a\\b\n", 1, "no profile name"},
      {"profile = \n", 1, "no profile name"},
      {"profile = " + long150 + "\n", 1, "no profile name"},
      {"profile = jane\n\nprofile = JANE\n", 3, "described already at line 1"},
      {"profile = jane\npassword = a\npassword = b\n", 3, "second password"},
      {"profile = jane\ninternet = A\ninternet = B\n", 3, "second internet"},
      {"profile = jane\ninternet = PO P3\n", 2, "no interface name"},
      {"profile = jane\npassword = " + long150 + "\n", 2, "longer than 149"},
      {"profile = jane\nmember 0 = u | POP3\n", 2, "1 to 49"},
      {"profile = jane\nmember 50 = u | POP3\n", 2, "1 to 49"},
      {"profile = jane\nmember x = u | POP3\n", 2, "1 to 49"},
      {"profile = jane\nmember 1 = u | POP3\nmember 01 = v | IMAP\n", 3, "described already"},
      {"profile = jane\nmember 1 = u\n", 2, "user name | interface"},
      {"profile = jane\nmember 1 = u | A | p | d | e\n", 2, "user name | interface"},
      {"profile = jane\nmember 1 =  | POP3\n", 2, "user name is empty"},
      {"profile = jane\nmember 1 = " + long150 + " | POP3\n", 2, "longer than 149"},
      {"profile = jane\nmember 1 = u | QPX\\..\\X\n", 2, "no interface name"},
      {"profile = jane\nmember 1 = u | POP3 | p | " + long150 + "\n", 2, "mail database"},
      {"profile = jane\nmember 1 = u | POP3 | \"open\n", 2, "no closing quote"},
      {"profile = jane\nmember 1 = u | POP3 | \"a\" b\n", 2, "after a closing quote"},
      {"profile = jane\npassword = \"a\\q\"\n", 2, "unknown escape"},
      {"profile = jane\npassword = \"a\\x00\"\n", 2, "x00"},
      {"profile = jane\npassword = a\x01\n", 2, "control character"},
      {std::string("profile = jane\npassword = a\0b\n", 30), 2, "zero byte"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text.substr(0, 60));
    const ProfileFile file = parseProfileFile(c.text);
    EXPECT_FALSE(file.ok);
    EXPECT_EQ(file.errorLine, c.line) << file.error;
    EXPECT_NE(file.error.find(c.reason), std::string::npos) << file.error;
    EXPECT_TRUE(file.profiles.empty());
  }
}

TEST(ProfileFile, WrittenProfilesReadBackUnchanged) {
  ProfileEntry p;
  p.name = "  odd = name | \"x\" ";
  p.password = "*";
  p.internetInterface = "SMTP";
  const std::string texts[] = {"plain", "a|b", "\"q\"", " blank ", "\t", "C:\\Mail\\x",
                               "*", "cr\r\nlf", std::string("\x01\x1f", 2), "#hash", "=eq"};
  unsigned login = 1;
  for (const std::string& t : texts) {
    qphost::MemberEntry m;
    m.login = login++;
    m.userName = t;
    m.interfaceName = login % 2 ? "POP3" : "";
    m.password = t;
    m.mailDatabase = login % 3 ? t : "";
    p.members.push_back(m);
  }
  const std::string text = formatProfile(p, true);
  const ProfileFile file = parseProfileFile(text);
  ASSERT_TRUE(file.ok) << file.errorLine << ": " << file.error << "\n" << text;
  ASSERT_EQ(file.profiles.size(), 1u);
  const ProfileEntry& back = file.profiles[0];
  EXPECT_EQ(back.name, p.name);
  EXPECT_EQ(back.password, p.password);
  EXPECT_FALSE(back.keepPassword);
  EXPECT_EQ(back.internetInterface, p.internetInterface);
  ASSERT_EQ(back.members.size(), p.members.size());
  for (size_t i = 0; i < p.members.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(back.members[i].login, p.members[i].login);
    EXPECT_EQ(back.members[i].userName, p.members[i].userName);
    EXPECT_EQ(back.members[i].interfaceName, p.members[i].interfaceName);
    EXPECT_EQ(back.members[i].password, p.members[i].password);
    EXPECT_EQ(back.members[i].mailDatabase, p.members[i].mailDatabase);
  }

  // Without passwords every stored password becomes "keep", and no password is written.
  const std::string hidden = formatProfile(p, false);
  EXPECT_EQ(hidden.find("cr\\r\\nlf | *"), std::string::npos) << hidden;
  const ProfileFile kept = parseProfileFile(hidden);
  ASSERT_TRUE(kept.ok) << kept.error;
  EXPECT_TRUE(kept.profiles[0].keepPassword);
  for (const qphost::MemberEntry& m : kept.profiles[0].members) {
    EXPECT_TRUE(m.keepPassword) << m.login;
    EXPECT_EQ(m.password, "");
  }
}

TEST(ProfileFile, KeptPasswordsStayKeptWhenWrittenAgain) {
  const ProfileFile file = parseProfileFile(
      "profile = jane\npassword = *\nmember 1 = jane.pop | POP3 | *\n"
      "member 2 = jane.imap | IMAP | * | C:\\Mail\n");
  ASSERT_TRUE(file.ok) << file.error;
  const ProfileFile back = parseProfileFile(formatProfile(file.profiles[0], true));
  ASSERT_TRUE(back.ok) << back.error;
  EXPECT_TRUE(back.profiles[0].keepPassword);
  ASSERT_EQ(back.profiles[0].members.size(), 2u);
  for (const qphost::MemberEntry& m : back.profiles[0].members) {
    EXPECT_TRUE(m.keepPassword) << m.login;
    EXPECT_EQ(m.password, "") << m.login;
  }
  EXPECT_EQ(back.profiles[0].members[1].mailDatabase, "C:\\Mail");
}
