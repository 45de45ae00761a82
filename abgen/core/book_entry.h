// The address-book entry QPABGEN inserts into its key file: 1024 bytes, zero-filled,
// four zero-terminated texts in fixed fields (name, e-mail address, columns 3 and 4).
#pragma once

#include <cstddef>
#include <cstring>

namespace abgen {

struct EntryField {
  size_t offset;
  size_t size;  // bytes of the field, its terminating zero included
};

constexpr size_t kEntrySize = 1024;
constexpr EntryField kNameField = {0, 60};
constexpr EntryField kAddressField = {60, 256};
constexpr EntryField kColumn3Field = {316, 41};
constexpr EntryField kColumn4Field = {357, 501};
// Bytes 858..1023 stay zero.

// The key file the generator writes: one entry per record, keyed by its first 255 bytes
// (the name, as a zero-terminated text).
constexpr unsigned kKeyFileRecordSize = kEntrySize;
constexpr unsigned kKeyFileKeySize = 255;

struct BookEntry {
  char bytes[kEntrySize];

  void clear() { std::memset(bytes, 0, sizeof bytes); }
  char* field(EntryField f) { return bytes + f.offset; }
  const char* field(EntryField f) const { return bytes + f.offset; }
  // Name and address both present: only such entries are written.
  bool complete() const {
    return field(kNameField)[0] != '\0' && field(kAddressField)[0] != '\0';
  }
};

static_assert(kColumn4Field.offset + kColumn4Field.size == 858, "entry fields end at 858");
static_assert(sizeof(BookEntry) == kEntrySize, "an entry is 1024 bytes");

}  // namespace abgen
