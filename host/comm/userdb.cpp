// The mail server's user database: file names and the four texts of a 1024-byte record.
#include "host/comm/userdb.h"

#include <cstring>

namespace qpcomm {

namespace {

struct Field {
  size_t offset;
  size_t size;  // up to the next field's offset, or the record's end
};

constexpr Field kUserName = {kUserNameOffset, kFullNameOffset - kUserNameOffset};
constexpr Field kFullName = {kFullNameOffset, kMailboxTypeOffset - kFullNameOffset};
constexpr Field kMailboxType = {kMailboxTypeOffset, kAddressOffset - kMailboxTypeOffset};
constexpr Field kAddress = {kAddressOffset, kUserRecordSize - kAddressOffset};

// The text of a field: up to its first zero byte, its end or the record data's end
// (a short record counts as zero-filled beyond its length).
std::string readField(const unsigned char* record, size_t length, Field field) {
  if (field.offset >= length) return std::string();
  size_t available = length - field.offset;
  size_t limit = field.size < available ? field.size : available;
  const char* text = reinterpret_cast<const char*>(record + field.offset);
  const void* zero = std::memchr(text, 0, limit);
  return std::string(text, zero != nullptr ? static_cast<const char*>(zero) : text + limit);
}

// Copies a text into its field, cut so that the field keeps a terminating zero.
void writeField(unsigned char* record, Field field, const std::string& text) {
  size_t n = text.size() < field.size - 1 ? text.size() : field.size - 1;
  std::memcpy(record + field.offset, text.data(), n);
}

}  // namespace

std::string userDbFileName(int index) {
  if (index < 0 || index >= kUserDbFileCount) return std::string();
  // The 28 codes from '@' to '[', with '[' written as '_'.
  char last = index == kUserDbFileCount - 1 ? '_' : static_cast<char>('@' + index);
  return std::string("QPUSER.DB") + last;
}

UserRecord parseUserRecord(const unsigned char* record, size_t length) {
  UserRecord user;
  if (record == nullptr) return user;
  if (length > kUserRecordSize) length = kUserRecordSize;
  user.userName = readField(record, length, kUserName);
  user.fullName = readField(record, length, kFullName);
  user.mailboxType = readField(record, length, kMailboxType);
  user.address = readField(record, length, kAddress);
  return user;
}

void buildUserRecord(const UserRecord& user, unsigned char (&record)[kUserRecordSize]) {
  std::memset(record, 0, kUserRecordSize);
  writeField(record, kUserName, user.userName);
  writeField(record, kFullName, user.fullName);
  writeField(record, kMailboxType, user.mailboxType);
  writeField(record, kAddress, user.address);
}

}  // namespace qpcomm
