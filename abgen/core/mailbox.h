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

// One record as read from a user database file, with a zero byte after it so that each
// of its texts ends within the buffer even when the record holds no zero of its own.
struct UserRecord {
  char bytes[kUserRecordSize + 1];

  // Zeroes the whole buffer: done before every read, so that a short last record holds
  // only its own bytes and nothing of the record read before it.
  void clear() { std::memset(bytes, 0, sizeof bytes); }
  const char* userName() const { return bytes + 0; }
  const char* fullName() const { return bytes + 51; }
  const char* mailboxType() const { return bytes + 253; }
  const char* keptAddress() const { return bytes + 414; }
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
