// Portable text helpers for fixed-size buffers: bounded copies that always terminate and
// ASCII case-insensitive comparison (the mail interface compares names, types and
// addresses without regard to case).
#pragma once

#include <cstddef>
#include <string_view>

namespace qp {

// Copies at most size - 1 characters and terminates; returns true when all of `source`
// fit. A null source copies as the empty text. Nothing is written when size is 0.
bool copyText(char* destination, size_t size, const char* source);
template <size_t N>
bool copyText(char (&destination)[N], const char* source) {
  return copyText(destination, N, source);
}

// Appends within a buffer of `size` bytes; returns true when all of `source` fit.
bool appendText(char* destination, size_t size, const char* source);
template <size_t N>
bool appendText(char (&destination)[N], const char* source) {
  return appendText(destination, N, source);
}

char lowerAscii(char c);
// Compares without regard to ASCII letter case; null counts as the empty text.
int compareNoCase(const char* a, const char* b);
bool equalsNoCase(const char* a, const char* b);
// The same for counted texts (which may hold zero bytes).
bool equalsNoCase(std::string_view a, std::string_view b);
// True when `text` begins with `prefix`, without regard to case.
bool startsWithNoCase(const char* text, const char* prefix);

}  // namespace qp
