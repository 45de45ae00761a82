// QPUSERGEN: writes sample user database files "QPUSER.DB?" from a text description
// (see usergen.h) into a server directory, for QPABGEN's demo.
#include <cstdio>
#include <fstream>
#include <string>

#include "abgen/usergen/usergen.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fputs("usage: QPUSERGEN <description file> <server directory>\n", stderr);
    return 2;
  }
  std::ifstream in(argv[1]);
  if (!in) {
    std::fprintf(stderr, "QPUSERGEN: cannot open %s\n", argv[1]);
    return 1;
  }
  usergen::UserFiles files;
  std::string error;
  if (!usergen::parseDescription(in, files, error) ||
      !usergen::writeUserFiles(files, argv[2], error)) {
    std::fprintf(stderr, "QPUSERGEN: %s: %s\n", argv[1], error.c_str());
    return 1;
  }
  for (const auto& [name, users] : files)
    std::printf("%s: %u records\n", name.c_str(), static_cast<unsigned>(users.size()));
  return 0;
}
