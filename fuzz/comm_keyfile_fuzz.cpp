// Key files: the reader refuses or accepts any bytes without reading past them, and an
// accepted file hands out every record once, inside the file; records written by the
// writer read back in key order (zero-terminated keys, ASCII case aside, equal keys in
// insertion order).
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <numeric>

#include "fuzz/fuzz_input.h"
#include "host/comm/keyfile.h"

using namespace qpcomm;

namespace {

std::string foldedKey(const unsigned char* record, uint32_t keySize) {
  const void* zero = std::memchr(record, 0, keySize);
  size_t length = zero ? static_cast<size_t>(static_cast<const unsigned char*>(zero) - record) : keySize;
  std::string key(reinterpret_cast<const char*>(record), length);
  for (char& c : key) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return key;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  qpfuzz::Input in(data, size);
  const bool asFile = in.flag();

  if (!asFile) {
    // Any bytes as a key file (the header often right, so that the checks behind it run).
    std::vector<unsigned char> bytes(data, data + size);
    if (bytes.size() > 8 && bytes[0] == 0) std::memcpy(bytes.data(), "QPKEYFIL", 8);
    KeyFileReader reader;
    if (!reader.parse(bytes)) {
      FUZZ_CHECK(!reader.error().empty() && reader.count() == 0);
      return 0;
    }
    FUZZ_CHECK(reader.keySize() >= 1 && reader.keySize() <= reader.recordSize());
    // Every record is read in full (ASan sees a read past the file's bytes) and handed
    // out once.
    std::vector<const unsigned char*> records;
    volatile unsigned sum = 0;  // keeps the reads
    (void)sum;
    for (uint32_t i = 0; i < reader.count(); ++i) {
      const unsigned char* r = reader.recordInKeyOrder(i);
      FUZZ_CHECK(r != nullptr);
      for (uint32_t k = 0; k < reader.recordSize(); ++k) sum += r[k];
      records.push_back(r);
    }
    std::sort(records.begin(), records.end());
    FUZZ_CHECK(std::adjacent_find(records.begin(), records.end()) == records.end());
    FUZZ_CHECK(reader.recordInKeyOrder(reader.count()) == nullptr);
    return 0;
  }

  // Records written and read back.
  const uint32_t recordSize = 1 + static_cast<uint32_t>(in.smallUpTo(15));
  const uint32_t keySize = 1 + static_cast<uint32_t>(in.smallUpTo(recordSize - 1));
  std::vector<std::string> records;
  while (in.left() >= recordSize && records.size() < 200) {
    std::string r;
    for (uint32_t i = 0; i < recordSize; ++i) r += static_cast<char>(in.byte());
    records.push_back(r);
  }
  // In memory where the system has it: a file per run on disk costs most of the time.
  static const std::string path =
      std::string(access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") + "/qpfuzz-keyfile-" +
      std::to_string(getpid());
  static const struct Cleanup {
    ~Cleanup() { unlink(path.c_str()); }
  } cleanup;
  KeyFileWriter writer;
  FUZZ_CHECK(writer.create(path, recordSize, keySize));
  for (const std::string& r : records) FUZZ_CHECK(writer.insert(r.data()));
  FUZZ_CHECK(writer.close());
  KeyFileReader reader;
  FUZZ_CHECK(reader.open(path));
  FUZZ_CHECK(reader.count() == records.size() && reader.recordSize() == recordSize);
  std::vector<size_t> order(records.size());
  std::iota(order.begin(), order.end(), size_t{0});
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
    return foldedKey(reinterpret_cast<const unsigned char*>(records[a].data()), keySize) <
           foldedKey(reinterpret_cast<const unsigned char*>(records[b].data()), keySize);
  });
  for (uint32_t i = 0; i < reader.count(); ++i) {
    FUZZ_CHECK(std::memcmp(reader.recordInKeyOrder(i), records[order[i]].data(), recordSize) == 0);
  }
  return 0;
}
