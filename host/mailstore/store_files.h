// The files of a mail database directory as the library reads and writes them: the account
// file, read whole, the journal, appended to one call at a time, and the signature.
#pragma once

#include <optional>
#include <string>

#include "host/mailstore/account.h"
#include "host/mailstore/journal.h"
#include "hostapi/qptypes.h"

namespace qp::mailstore {

// The account of the mail database directory, or nothing when the directory or its
// account file cannot be read. Only the first kMaxAccountFileSize bytes count.
std::optional<Account> readAccount(const std::string& mailDatabase);

// Appends one line to the journal of the directory (opened, appended, closed, so that
// readers see every finished call). Nothing happens when the directory does not exist.
void appendJournal(const std::string& mailDatabase, const JournalLine& line);

// The mail database of a session ("" for an unknown session), and its account and journal.
std::string sessionMailDatabase(QPSESSION session);
std::optional<Account> readSessionAccount(QPSESSION session);
void journalForSession(QPSESSION session, const JournalLine& line);

// The signature file: its bytes as they are, no terminating zero. Reading gives nothing
// when the file is absent or unreadable; only the first kMaxSignatureSize bytes count.
constexpr const char* kSignatureFileName = "SIGNATURE.TXT";
constexpr size_t kMaxSignatureSize = 64 * 1024;
std::optional<std::string> readSignature(const std::string& mailDatabase);
// Replaces the file; false when it cannot be written.
bool writeSignature(const std::string& mailDatabase, const std::string& text);

}  // namespace qp::mailstore
