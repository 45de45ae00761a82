// Shared by the oversized-input tests of QPXMULTI, beside testing/oversized_cases.h: out
// buffers with guard bytes behind them and the host's pointer arrays.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "hostapi/qpxcomm.h"
#include "testing/oversized_cases.h"
#include "multi/tests/message_fixture.h"

namespace oversizedtest {

// An out buffer of `size` bytes followed by guard bytes that must stay untouched.
class GuardedBuffer {
 public:
  // `empty`: the buffer starts as the empty text, as a host hands one over.
  explicit GuardedBuffer(size_t size, bool empty = false)
      : size_(size), bytes_(size + kGuard, '\x5A') {
    if (empty) bytes_[0] = '\0';
  }
  char* data() { return &bytes_[0]; }
  size_t size() const { return size_; }
  std::string text() const { return std::string(bytes_.c_str(), strnlen(bytes_.c_str(), size_)); }
  // The text ends inside the buffer and nothing was written beyond it.
  void expectIntact() const {
    EXPECT_NE(std::memchr(bytes_.data(), '\0', size_), nullptr) << "no terminating zero inside";
    for (size_t i = size_; i < bytes_.size(); ++i)
      ASSERT_EQ(bytes_[i], '\x5A') << "written past the buffer at byte " << i;
  }

 private:
  static constexpr size_t kGuard = 64;
  size_t size_;
  std::string bytes_;
};

inline void setValue(const std::string& path, const char* name, DWORD type, const void* data,
                     size_t length) {
  qp::UniqueHKey key = storetest::rawKey(path);
  ASSERT_EQ(RegSetValueExA(key.get(), name, 0, type, static_cast<const BYTE*>(data),
                           static_cast<DWORD>(length)),
            ERROR_SUCCESS)
      << name;
}

// A null-terminated pointer array as the host hands one; its entries are freed at the end.
class PointerArray {
 public:
  explicit PointerArray(size_t size) : entries_(size, nullptr) {}
  ~PointerArray() {
    for (char* entry : entries_) QPfree(entry);
  }
  PointerArray(const PointerArray&) = delete;
  PointerArray& operator=(const PointerArray&) = delete;
  char** data() { return entries_.data(); }
  std::vector<std::string> texts() const {
    std::vector<std::string> shown;
    for (size_t i = 0; i < entries_.size() && entries_[i] != nullptr; ++i)
      shown.push_back(entries_[i]);
    return shown;
  }

 private:
  std::vector<char*> entries_;
};

class Oversized : public messagetest::MessageTest {
 protected:
  std::string clientPath() const {
    return storetest::under(qpmulti::GetClientAreaPath(), profile_);
  }
};

}  // namespace oversizedtest
