// Database mode's view of the server's user database: the 28 file names, the texts of a
// 1024-byte user record, and the address book entry a mailbox gets.
#pragma once

#include <cstddef>
#include <cstring>
#include <string>

#include "abgen/core/book_entry.h"

namespace abgen {

constexpr int kUserDbFileCount = 28;
constexpr size_t kUserRecordSize = 1024;

// "QPUSER.DB@", "QPUSER.DBA" .. "QPUSER.DBZ", "QPUSER.DB_" for index 0..27; "" otherwise.
std::string userDbFileName(int index);

// One record as read from a user database file. Each text ends at its first zero byte or
// at the end of its field, whichever comes first: a text that fills its whole field
// never runs on into the next one.
struct UserRecord {
  char bytes[kUserRecordSize + 1];

  // Zeroes the whole buffer: done before every read, so that a short last record holds
  // only its own bytes and nothing of the record read before it.
  void clear() { std::memset(bytes, 0, sizeof bytes); }
  std::string userName() const { return field(0, 51); }
  std::string fullName() const { return field(51, 253); }
  std::string mailboxType() const { return field(253, 414); }
  std::string keptAddress() const { return field(414, kUserRecordSize); }

 private:
  std::string field(size_t begin, size_t end) const {
    return std::string(bytes + begin, strnlen(bytes + begin, end - begin));
  }
};

enum class MailboxType { kOther, kSmtp, kPop3, kImap };

// "SMTP", "POP3" or "IMAP" without regard to case; anything else is kOther.
MailboxType mailboxTypeOf(const char* type);

// The address of a mailbox, cut to size - 1 characters; empty when it has none.
//   POP3, IMAP: the kept address as it is.
//   SMTP: the user name when it holds "@"; else a kept address with "@" whose part
//   before its last "@" is the user name (without regard to case); else a kept address
//   without "@"; else user name "@" host name. A user name that is empty gives no
//   address of the last kind: "@host" would be no mailbox.
//   Other types: empty.
void mailboxAddress(const UserRecord& record, MailboxType type, const char* hostName,
                    char* out, size_t size);

// Zeroes `entry` and fills name (full name, at most 59 characters) and address (at most
// 255) for an SMTP, POP3 or IMAP mailbox. Returns true when the entry is to be written:
// the type is one of those and name and address are both present.
bool entryFromUserRecord(const UserRecord& record, const char* hostName, BookEntry& entry);

}  // namespace abgen
