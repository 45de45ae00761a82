// Database mode's rules: user database file names, mailbox types, the SMTP address rules,
// the cuts of name and address, and records whose texts hold no zero byte.
#include "abgen/core/mailbox.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

using namespace abgen;

struct User {
  std::string userName, fullName, type, kept;
};

// A record laid out by hand at the fixed offsets 0, 51, 253 and 414.
UserRecord recordOf(const User& u) {
  UserRecord r;
  r.clear();
  std::memcpy(r.bytes + 0, u.userName.data(), u.userName.size());
  std::memcpy(r.bytes + 51, u.fullName.data(), u.fullName.size());
  std::memcpy(r.bytes + 253, u.type.data(), u.type.size());
  std::memcpy(r.bytes + 414, u.kept.data(), u.kept.size());
  return r;
}

TEST(UserDbFileName, TwentyEightFilesInOrder) {
  struct Case {
    int index;
    const char* name;
  } const cases[] = {{0, "QPUSER.DB@"}, {1, "QPUSER.DBA"}, {26, "QPUSER.DBZ"},
                     {27, "QPUSER.DB_"}, {28, ""},          {-1, ""}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.index);
    EXPECT_EQ(c.name, userDbFileName(c.index));
  }
}

TEST(EntryFromUserRecord, TypesAndAddressRules) {
  const char* host = "mail.example.com";
  const std::string n70(70, 'n'), a300(300, 'a');
  struct Case {
    const char* what;
    User user;
    bool written;
    std::string name, address;
  } const cases[] = {
      {"POP3: the kept address", {"jane", "Jane Roe", "POP3", "jane.roe@isp.example"}, true,
       "Jane Roe", "jane.roe@isp.example"},
      {"IMAP, type in lower case", {"ian", "Ian Map", "imap", "ian@isp.example"}, true, "Ian Map",
       "ian@isp.example"},
      {"POP3 without kept address", {"pat", "Pat", "POP3", ""}, false, "Pat", ""},
      {"POP3 kept address without @ taken as it is", {"pat", "Pat", "Pop3", "pat-alias"}, true,
       "Pat", "pat-alias"},
      {"other type", {"xena", "Xena", "X400", "xena@x.example"}, false, "", ""},
      {"empty type", {"yann", "Yann", "", "yann@x.example"}, false, "", ""},
      {"empty full name", {"zoe", "", "POP3", "zoe@x.example"}, false, "", "zoe@x.example"},
      {"SMTP without kept address", {"jdoe", "John Doe", "SMTP", ""}, true, "John Doe",
       "jdoe@mail.example.com"},
      {"SMTP kept address of the same user, other case", {"jdoe", "John Doe", "smtp",
       "JDOE@relay.example"}, true, "John Doe", "JDOE@relay.example"},
      {"SMTP kept address of another user", {"jdoe", "John Doe", "SMTP", "bob@relay.example"},
       true, "John Doe", "jdoe@mail.example.com"},
      {"SMTP kept address: the part before the LAST @ counts",
       {"jdoe", "John Doe", "SMTP", "jdoe@a@relay.example"}, true, "John Doe",
       "jdoe@mail.example.com"},
      {"SMTP kept address: a longer user name is another user",
       {"jdoe", "John Doe", "SMTP", "jdoe2@relay.example"}, true, "John Doe",
       "jdoe@mail.example.com"},
      {"SMTP user name with @", {"jd@corp.example", "J D", "SMTP", "other@x.example"}, true, "J D",
       "jd@corp.example"},
      {"SMTP kept address without @", {"jdoe", "John Doe", "SMTP", "John.Doe"}, true, "John Doe",
       "John.Doe"},
      {"SMTP without user name or kept address", {"", "Nobody", "SMTP", ""}, false, "Nobody", ""},
      {"full name cut to 59", {"n", n70, "POP3", "n@x.example"}, true, n70.substr(0, 59),
       "n@x.example"},
      {"kept address cut to 255", {"a", "A", "IMAP", a300}, true, "A", a300.substr(0, 255)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const UserRecord record = recordOf(c.user);
    BookEntry entry;
    std::memset(entry.bytes, 0x5A, sizeof entry.bytes);
    EXPECT_EQ(c.written, entryFromUserRecord(record, host, entry));
    if (mailboxTypeOf(c.user.type.c_str()) == MailboxType::kOther) continue;
    EXPECT_EQ(c.name, entry.field(kNameField));
    EXPECT_EQ(c.address, entry.field(kAddressField));
    for (size_t i = c.name.size(); i < kNameField.size; ++i)
      ASSERT_EQ(0, entry.field(kNameField)[i]) << "name byte " << i;
    for (size_t i = c.address.size(); i < kEntrySize - kAddressField.offset; ++i)
      ASSERT_EQ(0, entry.field(kAddressField)[i]) << "byte " << i << " after the name";
  }
}

// Texts that fill their field without a zero byte end with their field (never running on
// into the next text), and the last one ends with the record: nothing is read past it.
TEST(EntryFromUserRecord, TextsWithoutZeroEndWithinTheRecord) {
  UserRecord record;
  record.clear();
  std::memset(record.bytes, 'k', kUserRecordSize);
  std::memcpy(record.bytes + 51, "Kay\0", 4);
  std::memcpy(record.bytes + 253, "POP3\0", 5);
  BookEntry entry;
  EXPECT_TRUE(entryFromUserRecord(record, "h", entry));
  EXPECT_EQ("Kay", std::string(entry.field(kNameField)));
  EXPECT_EQ(std::string(255, 'k'), entry.field(kAddressField));

  // A user name of all 51 bytes: the SMTP address is built from those alone.
  std::memcpy(record.bytes + 253, "SMTP\0", 5);
  std::memset(record.bytes + 414, 0, kUserRecordSize - 414);
  EXPECT_TRUE(entryFromUserRecord(record, "h", entry));
  EXPECT_EQ(std::string(51, 'k') + "@h", entry.field(kAddressField));
}

}  // namespace
