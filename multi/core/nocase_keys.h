// A set of texts compared without regard to ASCII letter case, for the list merges: a
// lookup costs one pass over the looked-up text, whose hash the caller may have built up
// while reading it. Portable; internal to the list code.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace qpmulti {

inline unsigned char foldCase(char c) {
  unsigned char u = static_cast<unsigned char>(c);
  return (u >= 'A' && u <= 'Z') ? static_cast<unsigned char>(u + ('a' - 'A')) : u;
}

// FNV-1a over case-folded characters; a text's hash is extended one character at a
// time, so the hashes of all prefixes of a text come out of one pass.
constexpr uint64_t kHashStart = 14695981039346656037ull;
inline uint64_t extendHash(uint64_t hash, char c) {
  return (hash ^ foldCase(c)) * 1099511628211ull;
}
uint64_t hashNoCase(const char* text, size_t length);
bool sameNoCase(const char* a, const char* b, size_t length);

class NoCaseKeys {
 public:
  // Room for `expected` keys without growing.
  explicit NoCaseKeys(size_t expected);

  // The number of the key equal to text[0..length) (letter case aside), or kNone.
  // `hash` is hashNoCase of the text.
  static constexpr uint32_t kNone = UINT32_MAX;
  uint32_t find(const char* text, size_t length, uint64_t hash) const;
  // Adds a key that find() does not know (a copy of the text); returns its number: 0, 1,
  // 2... in the order of adding.
  uint32_t add(const char* text, size_t length, uint64_t hash);

 private:
  // The keys' texts lie folded, one after the other, in one block: a lookup that hits
  // reads the slot and one record close by, not a text somewhere in the host's heap.
  // A record is its number, its length and its text, padded to kAlign bytes. (So a key
  // is under 4 GiB and all keys under 32 GiB: far beyond any list of the host's.)
  static constexpr size_t kAlign = 8;
  struct Record {
    uint32_t number;
    uint32_t length;
  };
  // Open addressing. A slot holds 32 more bits of the key's hash, so that a lookup
  // reads a record only when those agree.
  struct Slot {
    uint32_t check;
    uint32_t record;  // record offset / kAlign + 1; 0 = free
  };
  static uint64_t mix(uint64_t hash);
  void place(uint64_t mixed, uint32_t record);
  void grow();

  std::vector<char> records_;
  std::vector<uint64_t> mixed_;    // by key number, for growing
  std::vector<uint32_t> offsets_;  // by key number, slot form of the record offset
  std::vector<Slot> slots_;
  size_t mask_ = 0;
};

}  // namespace qpmulti
