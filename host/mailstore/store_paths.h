// Names of a sample mail store's files and of the library itself.
#pragma once

#include <string>
#include <string_view>

namespace qp::mailstore {

// `directory` and `name` joined with one backslash; an empty directory gives an empty path.
std::string joinPath(std::string_view directory, std::string_view name);

// The interface a library file serves, from its path, in capitals:
// "C:\x\QPXPOP3.DLL" -> "POP3", "qpximap.dll" -> "IMAP". The QPX prefix and the .DLL
// ending are dropped where present.
std::string interfaceTypeFromModulePath(std::string_view path);

}  // namespace qp::mailstore
