// Helpers shared by the Win32 files of the common library; not exported.
#pragma once

#include <cstddef>

namespace qpcomm {

// The server directory, ending in a backslash: QP_SERVER_DIR when set, else the running
// program's directory. False (and `out` empty) when it is unknown or does not fit in
// `size` bytes: a cut path would name another directory.
bool serverDirectory(char* out, size_t size);

// "<server directory>USERS\<user>\" into `out` (`size` bytes). False (and `out` empty)
// for a user name that could leave USERS (separators, "..", drive colons), holds
// characters a file name cannot, or when the path does not fit. With `create`, the
// directories are made when missing; failing to make them also gives false.
bool userDirectory(const char* userName, char* out, size_t size, bool create);

// A QPmalloc'd, zero-terminated copy of the first `length` bytes of `text`, or null
// when out of memory.
char* copyToBlock(const char* text, size_t length);

}  // namespace qpcomm
