// QPABGEN: generates an SMTP address book (a key file of the common library) from a
// comma-separated input file, or with "*" from the server's user database files.
//   QPABGEN "Input filename" "Output Address Book" [Directory]
#include <cstdio>

#include "abgen/abgen.h"
#include "common/text.h"

int main(int argc, char** argv) {
  if (argc < 3) {
    std::printf("%s%s", abgen::kUsageLine1, abgen::kUsageLine2);
    return abgen::kExitError;
  }
  try {
    if (qp::equalsNoCase(argv[1], "*")) return abgen::runDatabase(argc, argv);
    return abgen::runInputFile(argv[1], argc, argv);
  } catch (...) {  // out of memory for a path: the key file, if any, has been closed
    return abgen::kExitError;
  }
}
