// Interface names to library file names: only letters, digits, '_' and '-' pass, so a
// name can never carry a drive, a separator or "..".
#include "host/sess/interface_name.h"

#include <cstring>

#include "common/text.h"

namespace qp::sess {

namespace {

bool isNameCharacter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
         c == '-';
}

char upperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

void makeEmpty(char* out, size_t size) {
  if (size > 0) out[0] = '\0';
}

}  // namespace

bool isValidInterfaceName(const char* name) {
  if (name == nullptr || name[0] == '\0') return false;
  size_t length = 0;
  for (; name[length] != '\0'; ++length) {
    if (length == kMaxInterfaceName || !isNameCharacter(name[length])) return false;
  }
  return true;
}

bool upperInterfaceName(const char* name, char* out, size_t size) {
  if (!isValidInterfaceName(name) || std::strlen(name) >= size) {
    makeEmpty(out, size);
    return false;
  }
  size_t i = 0;
  for (; name[i] != '\0'; ++i) out[i] = upperAscii(name[i]);
  out[i] = '\0';
  return true;
}

bool interfaceLibraryName(const char* name, char* out, size_t size) {
  char upper[kMaxInterfaceName + 1];
  if (!upperInterfaceName(name, upper, sizeof upper) || !copyText(out, size, "QPX") ||
      !appendText(out, size, upper) || !appendText(out, size, ".DLL")) {
    makeEmpty(out, size);
    return false;
  }
  return true;
}

}  // namespace qp::sess
