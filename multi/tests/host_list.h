// A host-style list for the list tests: an array of malloc'd texts with room to spare,
// and an allocator that counts, can refuse one chosen allocation and records what it
// releases.
#pragma once

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "multi/core/entry_list.h"

namespace qpmulti::testing {

struct TestHeap {
  size_t allocations = 0;
  size_t refuse = SIZE_MAX;  // the number (from 0) of the allocation to refuse
  std::vector<size_t> sizes;
  std::vector<const char*> released;

  EntryMemory memory() { return EntryMemory{&allocate, &release, this}; }

  static char* allocate(size_t size, void* context) {
    auto* heap = static_cast<TestHeap*>(context);
    if (heap->allocations++ == heap->refuse) return nullptr;
    heap->sizes.push_back(size);
    return static_cast<char*>(std::calloc(size, 1));
  }
  static void release(char* entry, void* context) {
    static_cast<TestHeap*>(context)->released.push_back(entry);
    std::free(entry);
  }
};

// Test texts write the separator 0xFF as "|".
inline std::string bars(std::string text) {
  for (char& c : text) {
    if (c == '|') c = kEntrySeparator;
  }
  return text;
}
inline std::vector<std::string> bars(std::vector<std::string> texts) {
  for (std::string& text : texts) text = bars(text);
  return texts;
}

inline char* copyOf(const std::string& text) {
  char* entry = static_cast<char*>(std::malloc(text.size() + 1));
  std::memcpy(entry, text.c_str(), text.size() + 1);
  return entry;
}

// The array has kSpare extra positions, poisoned, to show that nothing past the old
// count is written.
class HostList {
 public:
  static constexpr size_t kSpare = 2;
  static inline char* const kPoison = reinterpret_cast<char*>(0x1);

  explicit HostList(const std::vector<std::string>& texts) : count_(texts.size()) {
    entries_.assign(texts.size() + kSpare, kPoison);
    for (size_t i = 0; i < texts.size(); ++i) entries_[i] = copyOf(texts[i]);
    original_.assign(entries_.begin(), entries_.begin() + count_);
  }
  // A list holding null entries where `present` is false.
  HostList(const std::vector<std::string>& texts, const std::vector<bool>& present)
      : HostList(texts) {
    for (size_t i = 0; i < texts.size(); ++i) {
      if (!present[i]) {
        std::free(entries_[i]);
        entries_[i] = original_[i] = nullptr;
      }
    }
  }
  ~HostList() {
    for (size_t i = 0; i < count_; ++i) std::free(entries_[i]);
  }
  HostList(const HostList&) = delete;
  HostList& operator=(const HostList&) = delete;

  char** data() { return entries_.data(); }
  size_t count() const { return count_; }
  size_t oldCount() const { return original_.size(); }
  void setCount(size_t count) { count_ = count; }
  char* at(size_t i) const { return entries_[i]; }

  std::vector<std::string> texts() const {
    std::vector<std::string> out;
    for (size_t i = 0; i < count_; ++i) out.push_back(entries_[i] ? entries_[i] : "(null)");
    return out;
  }
  // For each position, the position its entry had before (-1 for a new entry, -2 for
  // a null entry).
  std::vector<int> origins() const {
    std::vector<int> out;
    for (size_t i = 0; i < count_; ++i) {
      int origin = entries_[i] == nullptr ? -2 : -1;
      for (size_t j = 0; j < original_.size(); ++j) {
        if (entries_[i] != nullptr && original_[j] == entries_[i]) origin = static_cast<int>(j);
      }
      out.push_back(origin);
    }
    return out;
  }
  // True when the positions from the count up to the old count are null and the spare
  // positions beyond are untouched.
  bool tailIsClean() const {
    for (size_t i = count_; i < original_.size(); ++i) {
      if (entries_[i] != nullptr) return false;
    }
    for (size_t i = original_.size(); i < entries_.size(); ++i) {
      if (entries_[i] != kPoison) return false;
    }
    return true;
  }

 private:
  std::vector<char*> entries_;
  std::vector<char*> original_;
  size_t count_;
};

}  // namespace qpmulti::testing
