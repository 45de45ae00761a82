// Database mode: user database file names, mailbox types and the address rules.
#include "abgen/core/mailbox.h"

#include <cstdio>

#include "common/text.h"

namespace abgen {

namespace {

// True when the first `length` characters of `text` are `word` (without regard to case)
// and `word` has no more characters.
bool prefixIsWord(const char* text, size_t length, const char* word) {
  for (size_t i = 0; i < length; ++i, ++word) {
    if (*word == '\0' || qp::lowerAscii(text[i]) != qp::lowerAscii(*word)) return false;
  }
  return *word == '\0';
}

}  // namespace

std::string userDbFileName(int index) {
  if (index < 0 || index >= kUserDbFileCount) return std::string();
  // The 28 codes from '@' to '[', with '[' written as '_'.
  char last = index == kUserDbFileCount - 1 ? '_' : static_cast<char>('@' + index);
  return std::string("QPUSER.DB") + last;
}

MailboxType mailboxTypeOf(const char* type) {
  if (qp::equalsNoCase(type, "SMTP")) return MailboxType::kSmtp;
  if (qp::equalsNoCase(type, "POP3")) return MailboxType::kPop3;
  if (qp::equalsNoCase(type, "IMAP")) return MailboxType::kImap;
  return MailboxType::kOther;
}

void mailboxAddress(const UserRecord& record, MailboxType type, const char* hostName,
                    char* out, size_t size) {
  if (size == 0) return;
  out[0] = '\0';
  const std::string keptText = record.keptAddress();
  const char* kept = keptText.c_str();
  if (type == MailboxType::kPop3 || type == MailboxType::kImap) {
    qp::copyText(out, size, kept);
    return;
  }
  if (type != MailboxType::kSmtp) return;

  const std::string userText = record.userName();
  const char* user = userText.c_str();
  if (std::strchr(user, '@') != nullptr) {
    qp::copyText(out, size, user);
    return;
  }
  if (const char* at = std::strrchr(kept, '@')) {
    // A kept address of this user is taken; one of another user is dropped.
    if (prefixIsWord(kept, static_cast<size_t>(at - kept), user)) {
      qp::copyText(out, size, kept);
      return;
    }
  } else if (*kept != '\0') {
    qp::copyText(out, size, kept);
    return;
  }
  if (*user != '\0') std::snprintf(out, size, "%s@%s", user, hostName ? hostName : "");
}

bool entryFromUserRecord(const UserRecord& record, const char* hostName, BookEntry& entry) {
  entry.clear();
  const MailboxType type = mailboxTypeOf(record.mailboxType().c_str());
  if (type == MailboxType::kOther) return false;
  qp::copyText(entry.field(kNameField), kNameField.size, record.fullName().c_str());
  mailboxAddress(record, type, hostName, entry.field(kAddressField), kAddressField.size);
  return entry.complete();
}

}  // namespace abgen
