// Key files: the common library's sorted file of fixed-size records.
//
// On-disk format (all integers little-endian, 32-bit):
//   header, 32 bytes: magic "QPKEYFIL", version (1), record size, key size,
//                     record count, index offset, reserved (0)
//   records:          record count x record size bytes, in insertion order, from byte 32
//   index:            record count x 32-bit record numbers, in key order, at index offset
// Keys are the first `key size` bytes of each record, compared as zero-terminated texts
// without regard to ASCII case; equal keys keep their insertion order. A file whose
// index offset is 0 was not closed properly; the reader then refuses it.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace qpcomm {

constexpr uint32_t kKeyFileHeaderSize = 32;
constexpr uint32_t kKeyFileMaxRecordSize = 1u << 20;

class KeyFileWriter {
 public:
  KeyFileWriter() = default;
  ~KeyFileWriter();
  KeyFileWriter(const KeyFileWriter&) = delete;
  KeyFileWriter& operator=(const KeyFileWriter&) = delete;

  // Creates (truncates) the file; false when it cannot be created or the sizes are
  // unusable (record size 0 or above kKeyFileMaxRecordSize, key size 0 or above the
  // record size).
  bool create(const std::string& path, uint32_t recordSize, uint32_t keySize);
  // Appends one record of recordSize bytes; false on a write error.
  bool insert(const void* record);
  // Writes the index and the final header and closes; false on a write error.
  bool close();
  uint32_t count() const { return count_; }

 private:
  std::FILE* file_ = nullptr;
  uint32_t recordSize_ = 0;
  uint32_t keySize_ = 0;
  uint32_t count_ = 0;
  // The folded key of every record, end to end in one block (keyEnds_[i] is where key i
  // ends), for the index at close: one allocation per growth, not one per record.
  std::vector<char> keyBytes_;
  std::vector<uint32_t> keyEnds_;
};

// Reads a closed key file; every size and offset is checked against the file's length,
// so a damaged file is refused, never read past.
class KeyFileReader {
 public:
  // False with a reason in error() when the file cannot be read or is not a valid key file.
  bool open(const std::string& path);
  uint32_t recordSize() const { return recordSize_; }
  uint32_t keySize() const { return keySize_; }
  uint32_t count() const { return static_cast<uint32_t>(order_.size()); }
  // Record number i in key order (0 <= i < count()).
  const unsigned char* recordInKeyOrder(uint32_t i) const;
  const std::string& error() const { return error_; }

  // The same from bytes already in memory (for tests and fuzzing).
  bool parse(std::vector<unsigned char> bytes);

 private:
  std::vector<unsigned char> bytes_;
  std::vector<uint32_t> order_;
  uint32_t recordSize_ = 0;
  uint32_t keySize_ = 0;
  std::string error_;
};

}  // namespace qpcomm
