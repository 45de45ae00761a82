// The server's user database: the 28 file names and the four texts of a record, whole,
// short, or with fields that fill their space without a zero byte.
#include "host/comm/userdb.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <set>
#include <string>

namespace {

using namespace qpcomm;

TEST(UserDbFileName, TwentyEightNamesInServerOrder) {
  struct Case {
    int index;
    const char* name;
  } const cases[] = {
      {0, "QPUSER.DB@"}, {1, "QPUSER.DBA"}, {2, "QPUSER.DBB"}, {26, "QPUSER.DBZ"},
      {27, "QPUSER.DB_"}, {-1, ""},         {28, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.index);
    EXPECT_EQ(c.name, userDbFileName(c.index));
  }
  std::set<std::string> names;
  for (int i = 0; i < kUserDbFileCount; ++i) names.insert(userDbFileName(i));
  EXPECT_EQ(28u, names.size()) << "every file has a name of its own";
}

// A record laid out by hand at the fixed offsets.
void putText(unsigned char* record, size_t offset, const char* text) {
  std::memcpy(record + offset, text, std::strlen(text));
}

TEST(ParseUserRecord, FullAndShortRecords) {
  unsigned char full[kUserRecordSize] = {};
  putText(full, kUserNameOffset, "jdoe");
  putText(full, kFullNameOffset, "Jane Doe");
  putText(full, kMailboxTypeOffset, "SMTP");
  putText(full, kAddressOffset, "jane@x.org");

  struct Case {
    size_t length;
    UserRecord expected;
  } const cases[] = {
      {kUserRecordSize, {"jdoe", "Jane Doe", "SMTP", "jane@x.org"}},
      {kUserRecordSize + 100, {"jdoe", "Jane Doe", "SMTP", "jane@x.org"}},  // rest ignored
      {kAddressOffset + 4, {"jdoe", "Jane Doe", "SMTP", "jane"}},
      {kAddressOffset, {"jdoe", "Jane Doe", "SMTP", ""}},
      {kMailboxTypeOffset + 2, {"jdoe", "Jane Doe", "SM", ""}},
      {kFullNameOffset + 4, {"jdoe", "Jane", "", ""}},
      {3, {"jdo", "", "", ""}},
      {0, {"", "", "", ""}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.length);
    // Exactly `length` bytes on the heap: a read past them is an ASan report.
    std::unique_ptr<unsigned char[]> record(new unsigned char[c.length]);
    std::memset(record.get(), 0, c.length);
    std::memcpy(record.get(), full, c.length < kUserRecordSize ? c.length : kUserRecordSize);
    UserRecord user = parseUserRecord(record.get(), c.length);
    EXPECT_EQ(c.expected.userName, user.userName);
    EXPECT_EQ(c.expected.fullName, user.fullName);
    EXPECT_EQ(c.expected.mailboxType, user.mailboxType);
    EXPECT_EQ(c.expected.address, user.address);
  }
  EXPECT_EQ("", parseUserRecord(nullptr, kUserRecordSize).userName);
}

TEST(ParseUserRecord, FieldsWithoutZeroByteEndAtTheNextField) {
  std::unique_ptr<unsigned char[]> record(new unsigned char[kUserRecordSize]);
  std::memset(record.get() + kUserNameOffset, 'u', kFullNameOffset - kUserNameOffset);
  std::memset(record.get() + kFullNameOffset, 'f', kMailboxTypeOffset - kFullNameOffset);
  std::memset(record.get() + kMailboxTypeOffset, 't', kAddressOffset - kMailboxTypeOffset);
  std::memset(record.get() + kAddressOffset, 'a', kUserRecordSize - kAddressOffset);

  UserRecord user = parseUserRecord(record.get(), kUserRecordSize);
  EXPECT_EQ(std::string(51, 'u'), user.userName);
  EXPECT_EQ(std::string(202, 'f'), user.fullName);
  EXPECT_EQ(std::string(161, 't'), user.mailboxType);
  EXPECT_EQ(std::string(610, 'a'), user.address);
}

TEST(BuildUserRecord, RoundTripAndCutToFields) {
  struct Case {
    UserRecord user;
    UserRecord expected;
  } const cases[] = {
      {{"jdoe", "Jane Doe", "IMAP", "jane@x.org"}, {"jdoe", "Jane Doe", "IMAP", "jane@x.org"}},
      {{"", "", "", ""}, {"", "", "", ""}},
      // Each text keeps a terminating zero inside its field.
      {{std::string(80, 'u'), std::string(300, 'f'), std::string(200, 't'), std::string(700, 'a')},
       {std::string(50, 'u'), std::string(201, 'f'), std::string(160, 't'), std::string(609, 'a')}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.user.userName);
    unsigned char record[kUserRecordSize];
    std::memset(record, 0xCC, sizeof record);
    buildUserRecord(c.user, record);
    UserRecord back = parseUserRecord(record, sizeof record);
    EXPECT_EQ(c.expected.userName, back.userName);
    EXPECT_EQ(c.expected.fullName, back.fullName);
    EXPECT_EQ(c.expected.mailboxType, back.mailboxType);
    EXPECT_EQ(c.expected.address, back.address);
    EXPECT_EQ(0, record[kFullNameOffset - 1]);
    EXPECT_EQ(0, record[kUserRecordSize - 1]);
  }
}

}  // namespace
