// "ProfileData" scrambling: unscramble(scramble(x)) gives x back (cut to what the value
// holds) for every owner name, and unscrambling any stored bytes stays within the
// caller's buffer and stops at the value's end.
#include <cstring>

#include "fuzz/fuzz_input.h"
#include "multi/core/scramble.h"

using namespace qpmulti;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  qpfuzz::Input in(data, size);
  const size_t valueSize = in.upTo(kProfileDataSize + 8);
  const size_t passwordSize = in.upTo(kProfileDataSize + 8);
  const std::string owner = in.text();
  const std::string password = in.text();
  const std::string stored = in.rest();

  // Round trip.
  std::vector<unsigned char> value(valueSize + 16, 0xA5);
  size_t length = scramblePassword(owner.c_str(), password.c_str(), value.data(), valueSize);
  for (size_t i = valueSize; i < value.size(); ++i) FUZZ_CHECK(value[i] == 0xA5);
  if (password.empty() || valueSize < 2) {
    FUZZ_CHECK(length == 0);
  } else {
    const size_t kept = std::min(password.size(), valueSize - 1);
    FUZZ_CHECK(length == kept + 1 && value[kept] == 0);
    std::vector<char> back(kept + 1 + 16, '\x5A');
    unscramblePassword(owner.c_str(), value.data(), length, back.data(), kept + 1);
    FUZZ_CHECK(password.compare(0, kept, back.data()) == 0 && std::strlen(back.data()) == kept);
    for (size_t i = kept + 1; i < back.size(); ++i) FUZZ_CHECK(back[i] == '\x5A');
  }

  // Any stored value into any buffer.
  std::vector<char> out(passwordSize + 16, '\x5A');
  std::vector<unsigned char> raw(stored.begin(), stored.end());
  unscramblePassword(owner.c_str(), raw.data(), raw.size(), out.data(), passwordSize);
  if (passwordSize > 0) {
    FUZZ_CHECK(std::memchr(out.data(), 0, passwordSize) != nullptr);
    FUZZ_CHECK(std::strlen(out.data()) <= raw.size());
  }
  for (size_t i = passwordSize; i < out.size(); ++i) FUZZ_CHECK(out[i] == '\x5A');
  return 0;
}
