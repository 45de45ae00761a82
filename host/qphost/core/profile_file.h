// The profile file of "QPHOST profile import/export": a text that describes one or more
// multi-session profiles (password, Internet interface, members). Portable: parsing,
// checking and writing the text; the registry side is cmd_import.cpp.
//
//   # comment                      (a line whose first non-blank is '#'; blank lines too)
//   profile  = jane                begins a profile; its lines follow
//   password = s3cret              the profile password (empty or no line: none)
//   internet = SMTP                interface for Internet recipients (empty or none: none)
//   member 1 = jane.pop | POP3 | pop-pw | C:\Mail\jane
//              user name | interface [| password [| mail database]]
//
// Keys are not case-sensitive; blanks around keys, '=', '|' and values are dropped. A
// value may be written in double quotes, inside which \" \\ \n \r \t \xHH stand for those
// characters (so it may hold '|' or outer blanks). A password written as a bare * keeps
// the password stored now for that profile or member ("*" in quotes is the password *).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace qphost {

struct MemberEntry {
  unsigned login = 0;
  std::string userName, interfaceName, password, mailDatabase;
  bool keepPassword = false;  // bare '*'
  unsigned line = 0;
};

struct ProfileEntry {
  std::string name;
  std::string password;
  bool keepPassword = false;  // bare '*'
  unsigned passwordLine = 0;  // 0: no password line
  std::string internetInterface;
  std::vector<MemberEntry> members;  // in the order of the file
  unsigned line = 0;                 // of its "profile =" line
};

struct ProfileFile {
  std::vector<ProfileEntry> profiles;
  bool ok = false;
  unsigned errorLine = 0;  // 1-based; 0 for an error of the whole text
  std::string error;       // what is wrong, without the line number
};

// Parses and checks the whole text: every name, Login number and length the profile
// store would refuse is an error, as are repeated profiles, members or keys.
ProfileFile parseProfileFile(std::string_view text);

// The text of one profile in the format above (import gives it back unchanged). Without
// `withPasswords` each non-empty password is written as a bare * (keep).
std::string formatProfile(const ProfileEntry& profile, bool withPasswords);

// One value as the file writes it: bare when it reads back unchanged, else quoted.
std::string formatValue(const std::string& value, bool inMemberLine);

}  // namespace qphost
