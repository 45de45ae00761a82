// QPKEYDUMP: prints a key file for a person, one line per record in key order.
// Address-book records (1024 bytes) show their four texts; other records their key.
#include <cstdio>
#include <cstring>
#include <string>

#include "host/comm/keyfile.h"

namespace {

constexpr const char* kUsage = "usage: QPKEYDUMP [--raw] <key file>\n";

// The address-book entry: four zero-terminated texts in fixed fields.
constexpr uint32_t kBookRecordSize = 1024;
struct Field {
  size_t offset;
  size_t size;
};
constexpr Field kBookFields[] = {{0, 60}, {60, 256}, {316, 41}, {357, 501}};

// The text of a field, up to its first zero byte but never past the field, with control
// characters shown as '?' so that one record stays on one line.
std::string fieldText(const unsigned char* field, size_t size) {
  const char* begin = reinterpret_cast<const char*>(field);
  const void* zero = std::memchr(begin, 0, size);
  std::string text(begin, zero != nullptr ? static_cast<const char*>(zero) : begin + size);
  for (char& c : text) {
    unsigned char u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7F) c = '?';
  }
  return text;
}

int dump(const char* path, bool raw) {
  qpcomm::KeyFileReader reader;
  if (!reader.open(path)) {
    std::fprintf(stderr, "QPKEYDUMP: %s: %s\n", path, reader.error().c_str());
    return 1;
  }
  std::printf("record size %u, key size %u, count %u\n", static_cast<unsigned>(reader.recordSize()),
              static_cast<unsigned>(reader.keySize()), static_cast<unsigned>(reader.count()));
  const bool book = !raw && reader.recordSize() == kBookRecordSize;
  for (uint32_t i = 0; i < reader.count(); ++i) {
    const unsigned char* record = reader.recordInKeyOrder(i);
    std::string line;
    if (book) {
      for (const Field& f : kBookFields) {
        if (f.offset != 0) line += " | ";
        line += fieldText(record + f.offset, f.size);
      }
    } else {
      line = fieldText(record, reader.keySize());
    }
    line += '\n';
    std::fputs(line.c_str(), stdout);
  }
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
    std::fprintf(stderr, "QPKEYDUMP: cannot write the listing\n");
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  bool raw = false;
  const char* path = nullptr;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--raw") == 0) {
      raw = true;
    } else if (std::strcmp(argv[i], "--help") == 0) {
      std::fputs(kUsage, stdout);
      return 0;
    } else if (argv[i][0] == '-' || path != nullptr) {
      std::fputs(kUsage, stderr);
      return 2;
    } else {
      path = argv[i];
    }
  }
  if (path == nullptr) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  return dump(path, raw);
}
