// Registry wrappers of the profile store; see registry_value.h.
#include "multi/registry_value.h"

#include <cstring>

namespace qpmulti {

namespace {
DWORD clampSize(size_t size) { return size > 0xFFFFFFF0u ? 0xFFFFFFF0u : static_cast<DWORD>(size); }
}  // namespace

LONG openKey(HKEY parent, const char* path, qp::UniqueHKey& key) {
  return RegOpenKeyExA(parent, path, 0, kKeyAccess, key.put());
}

LONG createKey(HKEY parent, const char* path, qp::UniqueHKey& key) {
  DWORD disposition = 0;
  return RegCreateKeyExA(parent, path, 0, const_cast<char*>(kKeyClass), REG_OPTION_NON_VOLATILE,
                         kKeyAccess, nullptr, key.put(), &disposition);
}

bool readTextValue(HKEY key, const char* name, char* text, size_t size) {
  if (size == 0) return false;
  DWORD type = REG_NONE;
  DWORD length = clampSize(size);
  LONG rc = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(text), &length);
  // A value stored without its terminating zero is accepted when there is room for one.
  bool ok = rc == ERROR_SUCCESS && (type == REG_SZ || type == REG_EXPAND_SZ) &&
            (length < size || (length > 0 && text[length - 1] == '\0'));
  if (!ok) {
    text[0] = '\0';  // a refused read may have left part of the value behind
    return false;
  }
  if (length < size) text[length] = '\0';
  return true;
}

LONG writeTextValue(HKEY key, const char* name, const char* text) {
  if (text == nullptr) text = "";
  return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                        static_cast<DWORD>(std::strlen(text) + 1));
}

bool readBinaryValue(HKEY key, const char* name, unsigned char* data, size_t size,
                     size_t* length) {
  DWORD type = REG_NONE;
  DWORD bytes = clampSize(size);
  if (RegQueryValueExA(key, name, nullptr, &type, data, &bytes) != ERROR_SUCCESS) return false;
  *length = bytes;
  return true;
}

}  // namespace qpmulti
