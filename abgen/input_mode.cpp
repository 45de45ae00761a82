// QPABGEN's input-file mode: one address book entry per line of a comma-separated file.
#include <cstdio>

#include "abgen/abgen.h"
#include "abgen/core/columns.h"
#include "common/win/unique.h"

namespace abgen {

namespace {

// The common library decides what a blank is.
const char* libraryFindNonBlank(const char* text) { return FindNonBlank(text); }

}  // namespace

int runInputFile(const char* inputPath, int argc, char** argv) {
  qp::UniqueFile input(openForReading(inputPath));
  if (!input) {
    std::printf(kErrorOpeningInput, inputPath);
    return kExitError;
  }
  const std::string bookPath = outputPath(argc, argv);
  AddressBook book;
  if (!book.create(bookPath)) {
    std::printf(kErrorOpeningOutput, bookPath.c_str());
    return kExitError;
  }
  // FHReadString cuts a longer line to the buffer and passes over the rest of it.
  char line[kLineBufferSize];
  BookEntry entry;
  while (FHReadString(input.get(), line, sizeof line)) {
    if (splitLine(line, entry, libraryFindNonBlank)) book.add(entry);
  }
  input.reset();
  return book.finish();
}

}  // namespace abgen
