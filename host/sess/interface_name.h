// Checks the interface name of a member and turns it into the file name of its interface
// library "QPX<NAME>.DLL", so that no name can point at a file outside the server
// directory.
#pragma once

#include <cstddef>

namespace qp::sess {

constexpr size_t kMaxInterfaceName = 40;

// True when `name` holds 1 to 40 characters, each an ASCII letter, digit, '_' or '-'.
bool isValidInterfaceName(const char* name);

// The interface name in capitals ("pop3" -> "POP3"). False, with `out` made empty, when
// the name is not valid or does not fit in `size` bytes.
bool upperInterfaceName(const char* name, char* out, size_t size);

// The library file name "QPX<NAME>.DLL". False, with `out` made empty, when the name is
// not valid or the file name does not fit in `size` bytes.
bool interfaceLibraryName(const char* name, char* out, size_t size);

}  // namespace qp::sess
