// Password scrambling for the "ProfileData" value; see scramble.h.
#include "multi/core/scramble.h"

#include <cstring>

namespace qpmulti {

namespace {

// The key text K and its length L. An empty owner name would make L zero and every
// "i mod L" a division by zero; the key is then taken as one zero byte (K = "\0",
// L = 1), for writing and reading alike, which leaves the password bytes as they are.
struct ScrambleKey {
  const unsigned char* text;
  size_t length;
};

const unsigned char kZeroKey[1] = {0};

ScrambleKey makeKey(const char* loweredOwner) {
  size_t length = loweredOwner == nullptr ? 0 : strnlen(loweredOwner, kScrambleKeyLimit);
  if (length == 0) return {kZeroKey, 1};
  return {reinterpret_cast<const unsigned char*>(loweredOwner), length};
}

}  // namespace

unsigned char swapNibbles(unsigned char c) {
  return static_cast<unsigned char>(((c << 4) & 0xF0) | (c >> 4));
}

size_t scramblePassword(const char* loweredOwner, const char* password, unsigned char* data,
                        size_t size) {
  if (password == nullptr || *password == '\0' || size < 2) return 0;
  const ScrambleKey key = makeKey(loweredOwner);
  const size_t n = strnlen(password, size - 1);
  std::memcpy(data, password, n);
  for (size_t i = 0; i < n; ++i) data[i] ^= key.text[i % key.length];
  for (size_t i = 0; i < n; ++i)
    data[i] = static_cast<unsigned char>(data[i] - swapNibbles(key.text[(i + 2) % key.length]));
  data[n] = 0;
  return n + 1;
}

void unscramblePassword(const char* loweredOwner, const unsigned char* data, size_t length,
                        char* password, size_t size) {
  if (size == 0) return;
  password[0] = '\0';
  if (length == 0 || data == nullptr) return;
  const ScrambleKey key = makeKey(loweredOwner);
  // Only what fits the caller's buffer is decoded; the rest of the value is not needed.
  const size_t last = length - 1;  // the final byte is stored as it is
  size_t out = 0;
  for (size_t i = 0; i < length && out + 1 < size; ++i) {
    unsigned char c = data[i];
    if (i < last) {
      c = static_cast<unsigned char>(c + swapNibbles(key.text[(i + 2) % key.length]));
      c ^= key.text[i % key.length];
    }
    if (c == 0) break;
    password[out++] = static_cast<char>(c);
  }
  password[out] = '\0';
}

}  // namespace qpmulti
