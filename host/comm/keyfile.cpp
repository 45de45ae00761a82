// Key files: writing records with a key-ordered index at close, and reading them back
// with every size and offset checked against the file's length.
#include "host/comm/keyfile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>
#include <numeric>
#include <string_view>

#include "common/text.h"

namespace qpcomm {

namespace {

constexpr char kMagic[8] = {'Q', 'P', 'K', 'E', 'Y', 'F', 'I', 'L'};
constexpr uint32_t kVersion = 1;

// Header fields after the magic, as 32-bit little-endian values.
enum HeaderField { kFieldVersion, kFieldRecordSize, kFieldKeySize, kFieldRecordCount,
                   kFieldIndexOffset, kFieldReserved, kHeaderFields };

void putU32(unsigned char* p, uint32_t v) {
  p[0] = static_cast<unsigned char>(v);
  p[1] = static_cast<unsigned char>(v >> 8);
  p[2] = static_cast<unsigned char>(v >> 16);
  p[3] = static_cast<unsigned char>(v >> 24);
}

uint32_t getU32(const unsigned char* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

bool writeHeader(std::FILE* file, uint32_t recordSize, uint32_t keySize, uint32_t count,
                 uint32_t indexOffset) {
  unsigned char header[kKeyFileHeaderSize] = {};
  std::memcpy(header, kMagic, sizeof kMagic);
  uint32_t fields[kHeaderFields] = {kVersion, recordSize, keySize, count, indexOffset, 0};
  for (int i = 0; i < kHeaderFields; ++i) putU32(header + sizeof kMagic + 4 * i, fields[i]);
  return std::fwrite(header, sizeof header, 1, file) == 1;
}

// The sort form of a key: the record's first keySize bytes up to the first zero, in
// lower case, so that plain byte order is the case-insensitive order.
size_t keyLength(const unsigned char* record, uint32_t keySize) {
  const void* zero = std::memchr(record, 0, keySize);
  return zero != nullptr ? static_cast<size_t>(static_cast<const unsigned char*>(zero) - record) : keySize;
}

}  // namespace

KeyFileWriter::~KeyFileWriter() {
  // A writer dropped without close() leaves the file marked as not closed properly.
  if (file_ != nullptr) std::fclose(file_);
}

bool KeyFileWriter::create(const std::string& path, uint32_t recordSize, uint32_t keySize) {
  if (file_ != nullptr) std::fclose(file_);
  file_ = nullptr;
  count_ = 0;
  keyBytes_.clear();
  keyEnds_.clear();
  if (recordSize == 0 || recordSize > kKeyFileMaxRecordSize || keySize == 0 ||
      keySize > recordSize) {
    return false;
  }
  file_ = std::fopen(path.c_str(), "wb");
  if (file_ == nullptr) return false;
  // Large writes: the default 4 KB buffer costs one system call per four records.
  std::setvbuf(file_, nullptr, _IOFBF, 1 << 20);
  recordSize_ = recordSize;
  keySize_ = keySize;
  // Index offset 0 until close() has written the index.
  if (!writeHeader(file_, recordSize_, keySize_, 0, 0)) {
    std::fclose(file_);
    file_ = nullptr;
    return false;
  }
  return true;
}

bool KeyFileWriter::insert(const void* record) {
  if (file_ == nullptr || record == nullptr) return false;
  // Records and index must stay within the reach of the 32-bit index offset.
  uint64_t newCount = static_cast<uint64_t>(count_) + 1;
  if (kKeyFileHeaderSize + newCount * (recordSize_ + 4ull) > UINT32_MAX) return false;
  const unsigned char* bytes = static_cast<const unsigned char*>(record);
  const size_t length = keyLength(bytes, keySize_);
  if (keyBytes_.size() + length > UINT32_MAX) return false;
  try {
    for (size_t i = 0; i < length; ++i) keyBytes_.push_back(qp::lowerAscii(static_cast<char>(bytes[i])));
    keyEnds_.push_back(static_cast<uint32_t>(keyBytes_.size()));
  } catch (const std::bad_alloc&) {
    keyBytes_.resize(keyEnds_.empty() ? 0 : keyEnds_.back());  // drop this record's part
    return false;
  }
  if (std::fwrite(bytes, recordSize_, 1, file_) != 1) {
    // A part of the record may be on disk now; later records would be misplaced, so the
    // file is given up (it stays marked as not closed properly).
    std::fclose(file_);
    file_ = nullptr;
    keyBytes_.clear();
    keyEnds_.clear();
    return false;
  }
  ++count_;
  return true;
}

bool KeyFileWriter::close() {
  if (file_ == nullptr) return false;
  std::FILE* file = file_;
  file_ = nullptr;
  bool ok = true;
  try {
    // Sorted once here rather than kept in order at every insert.
    std::vector<uint32_t> order(count_);
    std::iota(order.begin(), order.end(), 0u);
    auto key = [this](uint32_t i) {
      const uint32_t start = i == 0 ? 0 : keyEnds_[i - 1];
      return std::string_view(keyBytes_.data() + start, keyEnds_[i] - start);
    };
    std::stable_sort(order.begin(), order.end(),
                     [&key](uint32_t a, uint32_t b) { return key(a) < key(b); });
    std::vector<unsigned char> index(order.size() * 4);
    for (size_t i = 0; i < order.size(); ++i) putU32(&index[i * 4], order[i]);
    uint32_t indexOffset = kKeyFileHeaderSize + count_ * recordSize_;
    ok = (index.empty() || std::fwrite(index.data(), index.size(), 1, file) == 1) &&
         std::fflush(file) == 0 && std::fseek(file, 0, SEEK_SET) == 0 &&
         writeHeader(file, recordSize_, keySize_, count_, indexOffset);
  } catch (const std::bad_alloc&) {
    ok = false;
  }
  if (std::fclose(file) != 0) ok = false;
  keyBytes_.clear();
  keyBytes_.shrink_to_fit();
  keyEnds_.clear();
  keyEnds_.shrink_to_fit();
  return ok;
}

bool KeyFileReader::open(const std::string& path) {
  auto fail = [this](const std::string& reason) {
    bytes_.clear();
    order_.clear();
    recordSize_ = 0;
    keySize_ = 0;
    error_ = reason;
    return false;
  };
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return fail(std::string("cannot open the file: ") + std::strerror(errno));
  std::vector<unsigned char> bytes;
  bool readOk = true;
  try {
    unsigned char chunk[65536];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, file)) > 0)
      bytes.insert(bytes.end(), chunk, chunk + n);
    readOk = std::ferror(file) == 0;
  } catch (const std::bad_alloc&) {
    readOk = false;
  }
  std::fclose(file);
  if (!readOk) return fail("cannot read the file");
  return parse(std::move(bytes));
}

bool KeyFileReader::parse(std::vector<unsigned char> bytes) {
  bytes_.clear();
  order_.clear();
  recordSize_ = 0;
  keySize_ = 0;
  error_.clear();
  auto fail = [this](const std::string& reason) {
    error_ = reason;
    return false;
  };

  const uint64_t size = bytes.size();
  if (size < kKeyFileHeaderSize) return fail("file is shorter than a key file header");
  if (std::memcmp(bytes.data(), kMagic, sizeof kMagic) != 0) return fail("not a key file");
  uint32_t field[kHeaderFields];
  for (int i = 0; i < kHeaderFields; ++i) field[i] = getU32(&bytes[sizeof kMagic + 4 * i]);

  if (field[kFieldVersion] != kVersion)
    return fail("unknown key file version " + std::to_string(field[kFieldVersion]));
  const uint32_t recordSize = field[kFieldRecordSize];
  const uint32_t keySize = field[kFieldKeySize];
  const uint32_t count = field[kFieldRecordCount];
  const uint64_t indexOffset = field[kFieldIndexOffset];
  if (recordSize == 0 || recordSize > kKeyFileMaxRecordSize)
    return fail("bad record size " + std::to_string(recordSize));
  if (keySize == 0 || keySize > recordSize) return fail("bad key size " + std::to_string(keySize));
  if (indexOffset == 0) return fail("key file was not closed properly");
  const uint64_t recordsEnd = kKeyFileHeaderSize + static_cast<uint64_t>(count) * recordSize;
  if (recordsEnd > size)
    return fail(std::to_string(count) + " records run past the end of the file");
  if (indexOffset < recordsEnd) return fail("index overlaps the records");
  if (indexOffset + static_cast<uint64_t>(count) * 4 > size)
    return fail("index runs past the end of the file");

  std::vector<uint32_t> order(count);
  std::vector<bool> seen(count);
  const unsigned char* entry = bytes.data() + indexOffset;
  for (uint32_t i = 0; i < count; ++i, entry += 4) {
    uint32_t record = getU32(entry);
    if (record >= count) return fail("index entry " + std::to_string(i) + " out of range");
    if (seen[record]) return fail("index lists record " + std::to_string(record) + " twice");
    seen[record] = true;
    order[i] = record;
  }

  bytes_ = std::move(bytes);
  order_ = std::move(order);
  recordSize_ = recordSize;
  keySize_ = keySize;
  return true;
}

const unsigned char* KeyFileReader::recordInKeyOrder(uint32_t i) const {
  if (i >= order_.size()) return nullptr;
  return bytes_.data() + kKeyFileHeaderSize + static_cast<size_t>(order_[i]) * recordSize_;
}

}  // namespace qpcomm
