// Paths of the mail store: files inside the mail database directory, and the interface
// type taken from the library's own file name (one source serves every QPX<TYPE>.DLL).
#include "host/mailstore/store_paths.h"

#include "common/text.h"

namespace qp::mailstore {

std::string joinPath(std::string_view directory, std::string_view name) {
  if (directory.empty()) return std::string();
  std::string path(directory);
  if (path.back() != '\\' && path.back() != '/') path += '\\';
  path += name;
  return path;
}

std::string interfaceTypeFromModulePath(std::string_view path) {
  size_t slash = path.find_last_of("\\/:");
  std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
  if (name.size() >= 4 && equalsNoCase(name.substr(name.size() - 4), ".DLL")) name.remove_suffix(4);
  if (name.size() > 3 && equalsNoCase(name.substr(0, 3), "QPX")) name.remove_prefix(3);
  std::string type(name);
  for (char& c : type) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return type;
}

}  // namespace qp::mailstore
