// The mail server's user database: files QPUSER.DB@, QPUSER.DBA .. QPUSER.DBZ,
// QPUSER.DB_ in the server directory, each a plain sequence of 1024-byte records.
#pragma once

#include <cstddef>
#include <string>

namespace qpcomm {

constexpr size_t kUserRecordSize = 1024;
constexpr size_t kUserNameOffset = 0;
constexpr size_t kFullNameOffset = 51;
constexpr size_t kMailboxTypeOffset = 253;
constexpr size_t kAddressOffset = 414;
constexpr int kUserDbFileCount = 28;

// File name of user database file `index` (0..27): "QPUSER.DB@", "QPUSER.DBA" ..
// "QPUSER.DBZ", "QPUSER.DB_".
std::string userDbFileName(int index);

struct UserRecord {
  std::string userName;
  std::string fullName;
  std::string mailboxType;
  std::string address;
};

// Reads the four texts of one record of `length` bytes (a short last record counts as
// zero-filled beyond its end). Each text ends at its first zero byte or at the start of
// the next field, whichever comes first; the address ends at the record's end.
UserRecord parseUserRecord(const unsigned char* record, size_t length);

// Lays a record out (for our own sample data): texts cut to their field sizes.
void buildUserRecord(const UserRecord& user, unsigned char (&record)[kUserRecordSize]);

}  // namespace qpcomm
