// Shared by the oversized-input tests of every component: texts that show where they
// were cut, the lengths tried around a buffer, and the count of cases each program prints
// at its end. Portable: no Windows headers.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

namespace oversizedtest {

// Cases run, printed at the end of the program.
inline unsigned caseCount = 0;

class CountPrinter : public ::testing::Environment {
 public:
  void TearDown() override { std::printf("%u oversized/malformed cases\n", caseCount); }
};

// A text of `length` characters, `first` and then letters that show where it was cut.
inline std::string pattern(size_t length, char first = 'a') {
  std::string text(length, first);
  for (size_t i = 1; i < length; ++i) text[i] = static_cast<char>('a' + i % 26);
  return text;
}

// The lengths tried against a buffer of `size` bytes: size - 1 characters fit with
// their zero, size and size + 1 do not, and one far beyond every buffer.
inline constexpr size_t kFarBeyond = 70000;
inline std::vector<size_t> lengthsAround(size_t size) {
  return {size - 1, size, size + 1, kFarBeyond};
}

}  // namespace oversizedtest
