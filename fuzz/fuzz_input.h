// What every fuzz target shares: reading the fuzzer's bytes as the arguments of the
// function under test (small numbers, flags, zero-terminated texts, lists of texts), and
// a check that stops the run with a message when an invariant does not hold (an abort
// is a finding to libFuzzer, and its input is kept).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace qpfuzz {

[[noreturn]] inline void fail(const char* file, int line, const char* what) {
  std::fprintf(stderr, "%s:%d: invariant broken: %s\n", file, line, what);
  std::abort();
}
#define FUZZ_CHECK(condition) \
  ((condition) ? (void)0 : ::qpfuzz::fail(__FILE__, __LINE__, #condition))

// The input, consumed from the front. Reading past the end gives zeros and empty texts,
// so that every input, however short, is a complete set of arguments.
class Input {
 public:
  Input(const uint8_t* data, size_t size) : p_(data), end_(data + size) {}

  bool empty() const { return p_ == end_; }
  size_t left() const { return static_cast<size_t>(end_ - p_); }

  uint8_t byte() { return p_ == end_ ? 0 : *p_++; }
  bool flag() { return (byte() & 1) != 0; }
  // A number 0..most.
  size_t upTo(size_t most) {
    uint32_t v = byte();
    v = (v << 8) | byte();
    return most == SIZE_MAX ? v : v % (most + 1);
  }
  // A number 0..most from one byte (for small choices).
  size_t smallUpTo(size_t most) { return byte() % (most + 1); }

  // The bytes up to the next zero byte (or the end); the zero is consumed.
  std::string text() {
    const uint8_t* start = p_;
    while (p_ != end_ && *p_ != 0) ++p_;
    std::string out(reinterpret_cast<const char*>(start), static_cast<size_t>(p_ - start));
    if (p_ != end_) ++p_;
    return out;
  }
  // The rest of the input as texts separated by zero bytes, at most `most` of them.
  std::vector<std::string> texts(size_t most) {
    std::vector<std::string> out;
    while (!empty() && out.size() < most) out.push_back(text());
    return out;
  }
  // All that is left, zeros included.
  std::string rest() {
    std::string out(reinterpret_cast<const char*>(p_), left());
    p_ = end_;
    return out;
  }

 private:
  const uint8_t* p_;
  const uint8_t* end_;
};

}  // namespace qpfuzz
