// The command groups of QPHOST.EXE: each group is one table entry with its usage lines
// and a handler for the arguments after the group's name.
#pragma once

namespace qphost {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;  // the command ran into a failure
constexpr int kExitUsage = 2;   // bad arguments: nothing was done

struct CommandGroup {
  const char* name;   // first argument, e.g. "profile"
  const char* usage;  // usage lines, each ending with a newline
  int (*run)(int argc, char** argv);  // the arguments after the group name
};

// Prints "QPHOST: <message>" as one line to standard error; returns kExitUsage.
int usageError(const char* format, ...);
// Prints "QPHOST: <message>" as one line to standard error; returns kExitFailed.
int failure(const char* format, ...);

extern const CommandGroup kProfileCommands;
extern const CommandGroup kHostCommands;
extern const CommandGroup kDoctorCommands;

}  // namespace qphost
