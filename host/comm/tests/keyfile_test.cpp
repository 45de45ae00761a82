// Key files: records come back in case-insensitive key order with ties in insertion
// order; damaged files are refused without reading past their end.
#include "host/comm/keyfile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace qpcomm;
using Bytes = std::vector<unsigned char>;

// A fresh file path per test, removed again at the end.
class KeyFileTest : public testing::Test {
 protected:
  void SetUp() override {
    path_ = testing::TempDir() + "qpkey_" +
            testing::UnitTest::GetInstance()->current_test_info()->name() + ".tmp";
    std::remove(path_.c_str());
  }
  void TearDown() override { std::remove(path_.c_str()); }

  Bytes fileBytes() const {
    std::ifstream in(path_, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  void writeBytes(const Bytes& bytes) const {
    std::ofstream out(path_, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
  }

  std::string path_;
};

// A record of `size` bytes: the key text at the front, the insertion number at the end.
Bytes makeRecord(uint32_t size, const std::string& key, uint32_t number) {
  Bytes record(size, 0);
  std::memcpy(record.data(), key.data(), std::min<size_t>(key.size(), size - 4));
  std::memcpy(record.data() + size - 4, &number, 4);
  return record;
}

uint32_t numberOf(const unsigned char* record, uint32_t size) {
  uint32_t number;
  std::memcpy(&number, record + size - 4, 4);
  return number;
}

uint32_t u32At(const Bytes& bytes, size_t offset) {
  return bytes[offset] | bytes[offset + 1] << 8 | bytes[offset + 2] << 16 |
         static_cast<uint32_t>(bytes[offset + 3]) << 24;
}

TEST_F(KeyFileTest, RecordsComeBackInKeyOrderWithTiesInInsertionOrder) {
  // key size 8: "samekey1xx" and "SAMEKEY1yy" tie (only 8 bytes count); "ab\0x" and "AB\0y"
  // tie (a key ends at its zero byte).
  const std::string keys[] = {"delta", "Alpha", "charlie", "samekey1xx", "bravo", "ALPHA",
                              std::string("ab\0x", 4), "SAMEKEY1yy", std::string("AB\0y", 4),
                              "alpha", "", "\xE4rger", "Bravo!"};
  const uint32_t expected[] = {10, 6, 8, 1, 5, 9, 4, 12, 2, 0, 3, 7, 11};
  const uint32_t kSize = 40;
  KeyFileWriter writer;
  ASSERT_TRUE(writer.create(path_, kSize, 8));
  uint32_t number = 0;
  for (const std::string& key : keys) {
    Bytes record = makeRecord(kSize, key, number++);
    ASSERT_TRUE(writer.insert(record.data()));
  }
  EXPECT_EQ(13u, writer.count());
  ASSERT_TRUE(writer.close());

  KeyFileReader reader;
  ASSERT_TRUE(reader.open(path_)) << reader.error();
  EXPECT_EQ(kSize, reader.recordSize());
  EXPECT_EQ(8u, reader.keySize());
  ASSERT_EQ(13u, reader.count());
  for (uint32_t i = 0; i < reader.count(); ++i) {
    const unsigned char* record = reader.recordInKeyOrder(i);
    ASSERT_NE(nullptr, record);
    EXPECT_EQ(expected[i], numberOf(record, kSize))
        << "position " << i << ": key " << keys[expected[i]];
  }
  EXPECT_EQ(nullptr, reader.recordInKeyOrder(13));
}

TEST_F(KeyFileTest, FileLayout) {
  KeyFileWriter writer;
  ASSERT_TRUE(writer.create(path_, 16, 4));
  for (const char* key : {"c", "a", "b"}) {
    Bytes record = makeRecord(16, key, 0);
    ASSERT_TRUE(writer.insert(record.data()));
  }
  ASSERT_TRUE(writer.close());

  Bytes bytes = fileBytes();
  ASSERT_EQ(32u + 3 * 16 + 3 * 4, bytes.size());
  EXPECT_EQ(0, std::memcmp(bytes.data(), "QPKEYFIL", 8));
  const uint32_t header[] = {1, 16, 4, 3, 32 + 3 * 16, 0};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(header[i], u32At(bytes, 8 + 4 * i)) << "header field " << i;
  EXPECT_EQ('c', bytes[32]) << "records stay in insertion order";
  const uint32_t index[] = {1, 2, 0};
  for (int i = 0; i < 3; ++i) EXPECT_EQ(index[i], u32At(bytes, 80 + 4 * i)) << "index entry " << i;
}

TEST_F(KeyFileTest, SizesAreChecked) {
  struct Case {
    uint32_t recordSize;
    uint32_t keySize;
    bool ok;
  } const cases[] = {
      {0, 1, false}, {10, 0, false}, {10, 11, false}, {kKeyFileMaxRecordSize + 1, 1, false},
      {1, 1, true},  {10, 10, true}, {1024, 255, true}, {kKeyFileMaxRecordSize, 1, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.recordSize << "/" << c.keySize);
    KeyFileWriter writer;
    EXPECT_EQ(c.ok, writer.create(path_, c.recordSize, c.keySize));
    EXPECT_EQ(c.ok, writer.close());
  }
  KeyFileWriter writer;
  EXPECT_FALSE(writer.create(path_ + ".missing/dir/x", 10, 4));
  Bytes record(10);
  EXPECT_FALSE(writer.insert(record.data())) << "insert without a file";
  EXPECT_FALSE(writer.close());
}

TEST_F(KeyFileTest, EmptyFileAndUnclosedFile) {
  {
    KeyFileWriter writer;
    ASSERT_TRUE(writer.create(path_, 32, 8));
    ASSERT_TRUE(writer.close());
    EXPECT_FALSE(writer.insert(makeRecord(32, "late", 0).data())) << "insert after close";
  }
  KeyFileReader reader;
  ASSERT_TRUE(reader.open(path_)) << reader.error();
  EXPECT_EQ(0u, reader.count());
  EXPECT_EQ(nullptr, reader.recordInKeyOrder(0));

  {
    KeyFileWriter writer;  // dropped without close()
    ASSERT_TRUE(writer.create(path_, 32, 8));
    ASSERT_TRUE(writer.insert(makeRecord(32, "key", 0).data()));
  }
  EXPECT_FALSE(reader.open(path_));
  EXPECT_NE(std::string::npos, reader.error().find("not closed")) << reader.error();
  EXPECT_EQ(0u, reader.count());

  std::remove(path_.c_str());
  EXPECT_FALSE(reader.open(path_));
  EXPECT_FALSE(reader.error().empty());
}

TEST_F(KeyFileTest, DamagedFilesAreRefused) {
  KeyFileWriter writer;
  ASSERT_TRUE(writer.create(path_, 16, 8));
  for (uint32_t i = 0; i < 3; ++i) {
    ASSERT_TRUE(writer.insert(makeRecord(16, "k" + std::to_string(i), i).data()));
  }
  ASSERT_TRUE(writer.close());
  const Bytes good = fileBytes();
  ASSERT_EQ(92u, good.size());

  auto cut = [&](size_t n) { return Bytes(good.begin(), good.begin() + n); };
  auto patched = [&](size_t offset, uint32_t value) {
    Bytes b = good;
    for (int i = 0; i < 4; ++i) b[offset + i] = static_cast<unsigned char>(value >> (8 * i));
    return b;
  };
  auto badMagic = [&] { Bytes b = good; b[3] = 'x'; return b; };
  // One record whose first bytes read as a valid index entry: only the overlap is wrong.
  auto overlapping = [&] {
    Bytes b = patched(20, 1);
    b[24] = 32;
    std::fill(b.begin() + 32, b.begin() + 36, 0);
    return b;
  };
  struct Case {
    const char* what;
    Bytes bytes;
  } const cases[] = {
      {"empty", {}},
      {"shorter than the header", cut(31)},
      {"header only", cut(32)},
      {"cut inside the records", cut(60)},
      {"cut inside the index", cut(91)},
      {"bad magic", badMagic()},
      {"version 2", patched(8, 2)},
      {"record size 0", patched(12, 0)},
      {"record size too large", patched(12, kKeyFileMaxRecordSize + 1)},
      {"record size doubled", patched(12, 32)},
      {"key size 0", patched(16, 0)},
      {"key size above record size", patched(16, 17)},
      {"count one more", patched(20, 4)},
      {"count huge", patched(20, 0xFFFFFFFFu)},
      {"index offset 0", patched(24, 0)},
      {"index offset past the end", patched(24, 0xFFFFFFF0u)},
      {"index offset one past", patched(24, 81)},
      {"index inside the records", overlapping()},
      {"index entry out of range", patched(80 + 4, 3)},
      {"index entry far out of range", patched(80, 0x80000000u)},
      {"index entry twice", patched(80 + 8, 0)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    KeyFileReader reader;
    // A copy of exactly the bytes: ASan reports any read past them.
    EXPECT_FALSE(reader.parse(Bytes(c.bytes.begin(), c.bytes.end())));
    EXPECT_FALSE(reader.error().empty());
    EXPECT_EQ(0u, reader.count());
    EXPECT_EQ(nullptr, reader.recordInKeyOrder(0));
  }

  // The same checks through a file on disk, and a good file still reads.
  writeBytes(cut(91));
  KeyFileReader reader;
  EXPECT_FALSE(reader.open(path_));
  writeBytes(good);
  EXPECT_TRUE(reader.open(path_)) << reader.error();
  EXPECT_EQ(3u, reader.count());
}

TEST_F(KeyFileTest, FiftyThousandAddressBookRecords) {
  const uint32_t kCount = 50000;
  std::mt19937 random(1234);
  KeyFileWriter writer;
  ASSERT_TRUE(writer.create(path_, 1024, 255));
  for (uint32_t i = 0; i < kCount; ++i) {
    std::string key = "User " + std::to_string(random() % 100000);
    if (i % 2) std::transform(key.begin(), key.end(), key.begin(), ::toupper);
    ASSERT_TRUE(writer.insert(makeRecord(1024, key, i).data()));
  }
  ASSERT_TRUE(writer.close());

  KeyFileReader reader;
  ASSERT_TRUE(reader.open(path_)) << reader.error();
  ASSERT_EQ(kCount, reader.count());
  std::vector<bool> seen(kCount);
  std::string previousKey;
  uint32_t previousNumber = 0;
  for (uint32_t i = 0; i < kCount; ++i) {
    const unsigned char* record = reader.recordInKeyOrder(i);
    std::string key(reinterpret_cast<const char*>(record));
    std::transform(key.begin(), key.end(), key.begin(), ::tolower);
    uint32_t number = numberOf(record, 1024);
    ASSERT_LT(number, kCount);
    ASSERT_FALSE(seen[number]) << "record " << number << " listed twice";
    seen[number] = true;
    if (i > 0) {
      ASSERT_LE(previousKey, key) << "position " << i;
      if (previousKey == key) {
        ASSERT_LT(previousNumber, number) << "tie out of insertion order";
      }
    }
    previousKey = key;
    previousNumber = number;
  }
}

}  // namespace
