// Our generator of sample user database files "QPUSER.DB?" for QPABGEN's tests and demo:
// it lays records out with the common library's own record layout, from a text that
// lists one user a line, so that no binary file is ever edited by hand.
//
// Description lines:  FILE | user name | full name | mailbox type | kept address
//   FILE is the last character of the file name ("@", "A" .. "Z", "_"); fields are
//   trimmed of blanks; empty lines and lines starting with "#" are skipped. Users go
//   into their file in the order listed.
#pragma once

#include <istream>
#include <map>
#include <string>
#include <vector>

#include "host/comm/userdb.h"

namespace usergen {

// The users of each file, keyed by the file name ("QPUSER.DBA").
using UserFiles = std::map<std::string, std::vector<qpcomm::UserRecord>>;

// Parses a description; false with "line N: reason" in `error` on the first bad line.
bool parseDescription(std::istream& in, UserFiles& files, std::string& error);

// Writes every file of `files` into `directory` (which must exist), replacing files of
// the same name; false with a reason in `error` when a file cannot be written.
bool writeUserFiles(const UserFiles& files, const std::string& directory, std::string& error);

}  // namespace usergen
