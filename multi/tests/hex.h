// Lower-case hexadecimal text of stored bytes, for comparing registry data in tests.
#pragma once

#include <string>
#include <vector>

namespace storetest {

inline std::string hex(const std::vector<unsigned char>& data) {
  static const char kDigits[] = "0123456789abcdef";
  std::string text;
  for (unsigned char c : data) {
    text += kDigits[c >> 4];
    text += kDigits[c & 15];
  }
  return text;
}

}  // namespace storetest
