// QPHOST.EXE: the console host of the mail server stand-in. It dispatches its first
// argument to a command group (the table below); without arguments or with "help" it
// prints the usage of every group.
#include <cstdarg>
#include <cstdio>

#include "common/text.h"
#include "host/qphost/commands.h"

namespace qphost {

namespace {

const CommandGroup* const kGroups[] = {&kProfileCommands, &kHostCommands, &kDoctorCommands};

void printUsage() {
  std::printf("QPHOST: the mail server's host program.\n\nUsage:\n");
  for (const CommandGroup* group : kGroups) std::printf("%s", group->usage);
  std::printf("  QPHOST help\n");
}

int report(const char* format, va_list arguments) {
  std::fputs("QPHOST: ", stderr);
  std::vfprintf(stderr, format, arguments);
  std::fputc('\n', stderr);
  return 0;
}

}  // namespace

int usageError(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  report(format, arguments);
  va_end(arguments);
  return kExitUsage;
}

int failure(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  report(format, arguments);
  va_end(arguments);
  return kExitFailed;
}

}  // namespace qphost

int main(int argc, char** argv) {
  using namespace qphost;
  if (argc < 2 || qp::equalsNoCase(argv[1], "help")) {
    printUsage();
    return kExitOk;
  }
  try {
    for (const CommandGroup* group : kGroups) {
      if (qp::equalsNoCase(argv[1], group->name)) return group->run(argc - 2, argv + 2);
    }
    return usageError("unknown command '%s'; QPHOST help lists the commands", argv[1]);
  } catch (...) {  // out of memory while building a text
    return failure("out of memory");
  }
}
