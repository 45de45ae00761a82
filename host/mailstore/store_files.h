// The files of a mail database directory as the library reads and writes them: the account
// file, read whole, and the journal, appended to one call at a time.
#pragma once

#include <optional>
#include <string>

#include "host/mailstore/account.h"
#include "host/mailstore/journal.h"

namespace qp::mailstore {

// The account of the mail database directory, or nothing when the directory or its
// account file cannot be read. Only the first kMaxAccountFileSize bytes count.
std::optional<Account> readAccount(const std::string& mailDatabase);

// Appends one line to the journal of the directory (opened, appended, closed, so that
// readers see every finished call). Nothing happens when the directory does not exist.
void appendJournal(const std::string& mailDatabase, const JournalLine& line);

}  // namespace qp::mailstore
