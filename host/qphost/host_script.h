// The script of QPHOST's host commands: the state one script keeps (a host session on
// QPXMULTI.DLL), the command tables of the areas, and the helpers their commands share.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "host/qphost/commands.h"
#include "host/qphost/multi_host.h"

namespace qphost {

using Args = std::vector<std::string>;  // the command's name, then its arguments

struct Script {
  MultiHost host;
};

struct HostCommand {
  const char* name;
  size_t minArgs;  // words after the command's name
  size_t maxArgs;
  bool needsSession;
  int (*run)(Script&, const Args&);
};

struct HostCommandTable {
  const HostCommand* commands;
  size_t count;
};

// One table per area, each in its own file; a script line is looked up in all of them.
extern const HostCommandTable kSessionCommandTable;  // cmd_host.cpp
extern const HostCommandTable kMessageCommandTable;  // cmd_messages.cpp
extern const HostCommandTable kFolderCommandTable;   // cmd_folders.cpp
extern const HostCommandTable kBookCommandTable;     // cmd_books.cpp
extern const HostCommandTable kSendingCommandTable;  // cmd_sending.cpp

// A number in decimal or 0x hex from args[index], or `fallback` when there is no such
// argument; false (after a usage error naming `what`) for anything else.
bool numberArg(const Args& args, size_t index, int32_t fallback, int32_t& value, const char* what);
// A text as one line: quoted, with control characters escaped.
std::string shown(const char* text);

// The export `name` of the loaded QPXMULTI.DLL as the given function type; null, after
// an error line, when the library lacks it.
template <typename Proc>
Proc boundExport(const Script& s, const char* name) {
  Proc proc = s.host.exportNamed<Proc>(name);
  if (proc == nullptr) failure("QPXMULTI.DLL has no export %s", name);
  return proc;
}

// The host user name the exports take second: the profile's name.
inline const char* hostUser(const Script& s) { return s.host.profile().c_str(); }

}  // namespace qphost
