// File exports: existence checks, directory paths, reading a file line by line, and key
// files written through the exports and read back.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "common/win/unique.h"
#include "host/comm/keyfile.h"
#include "host/comm/tests/server_dir_fixture.h"
#include "hostapi/qpxcomm.h"

namespace {

using FilesTest = qptest::ServerDirTest;

TEST_F(FilesTest, ExistMatchesFilesButNotDirectories) {
  ASSERT_TRUE(::CreateDirectoryA(path("folder.txt").c_str(), nullptr));
  EXPECT_EQ(0, Exist(path("folder.txt").c_str()));
  EXPECT_EQ(0, Exist(path("*.txt").c_str()));  // only a directory matches so far
  writeFile("note.txt", "x");
  struct Case {
    std::string pattern;
    int32_t expected;
  } const cases[] = {
      {path("note.txt"), 1}, {path("*.txt"), 1},   {path("NOTE.TXT"), 1},
      {path("n?te.*"), 1},   {path("*.doc"), 0},   {path("missing.txt"), 0},
      {"", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.pattern);
    EXPECT_EQ(c.expected, Exist(c.pattern.c_str()));
  }
  EXPECT_EQ(0, Exist(nullptr));
}

TEST(FixupMV, EndsADirectoryPathWithABackslashWhenItFits) {
  struct Case {
    const char* path;
    int32_t size;
    const char* expected;
  } const cases[] = {
      {"C:\\dir", 64, "C:\\dir\\"}, {"C:\\dir\\", 64, "C:\\dir\\"}, {"C:/dir/", 64, "C:/dir/"},
      {"", 64, ""},                 {"C:\\dir", 8, "C:\\dir\\"},  {"C:\\dir", 7, "C:\\dir"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.path) + " size " + std::to_string(c.size));
    char buffer[80];
    std::memset(buffer, 0x5A, sizeof buffer);
    std::strcpy(buffer, c.path);
    EXPECT_EQ(buffer, fixupMV(buffer, c.size));
    EXPECT_STREQ(c.expected, buffer);
    for (size_t i = std::strlen(c.expected) + 1; i < sizeof buffer; ++i)
      ASSERT_EQ(0x5A, buffer[i]) << "byte " << i;
  }
}

TEST_F(FilesTest, FHReadStringReadsLineAfterLine) {
  const std::string chunkLong(511, 'c');  // its CR ends one read chunk, its LF starts the next
  struct Case {
    const char* what;
    std::string content;
    int32_t size;
    std::vector<std::string> lines;
  } const cases[] = {
      {"CRLF", "one\r\ntwo\r\n", 64, {"one", "two"}},
      {"LF, no final line end", "one\ntwo", 64, {"one", "two"}},
      {"empty lines", "\n\r\nx", 64, {"", "", "x"}},
      {"empty file", "", 64, {}},
      {"long line cut, rest skipped", "abcdefghij\nnext\n", 5, {"abcd", "next"}},
      {"line filling the buffer exactly", "abcd\r\nef", 5, {"abcd", "ef"}},
      {"long line over several reads", std::string(1500, 'x') + "\r\nafter", 100,
       {std::string(99, 'x'), "after"}},
      {"CRLF split across reads", chunkLong + "\r\nz", 600, {chunkLong, "z"}},
      {"one-byte buffer", "ab\ncd\n", 1, {"", ""}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    writeFile("lines.txt", c.content);
    qp::UniqueFile file(QPCreateFile(path("lines.txt").c_str(), GENERIC_READ, FILE_SHARE_READ,
                                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(file) << "error " << ::GetLastError();
    std::vector<char> buffer(static_cast<size_t>(c.size) + 16, 0x5A);
    std::vector<std::string> lines;
    while (FHReadString(file.get(), buffer.data(), c.size) != 0 && lines.size() < 10) {
      lines.emplace_back(buffer.data());
      for (size_t i = static_cast<size_t>(c.size); i < buffer.size(); ++i)
        ASSERT_EQ(0x5A, buffer[i]) << "byte " << i << " after line " << lines.size();
    }
    EXPECT_EQ(c.lines, lines);
    EXPECT_STREQ("", buffer.data());  // at the end the buffer is made empty
  }
}

TEST_F(FilesTest, KeyFileRecordsComeBackInKeyOrder) {
  constexpr uint32_t kRecordSize = 16, kKeySize = 8;
  const char* const keys[] = {"delta", "Alpha", "charlie", "alpha", "Bravo"};
  QPKEYFILE keyFile;
  std::memset(&keyFile, 0x5A, sizeof keyFile);
  ASSERT_NE(0, QPCreateKeyFile(path("names.key").c_str(), kRecordSize, kKeySize, &keyFile));
  EXPECT_NE(nullptr, keyFile.state);
  EXPECT_EQ(kRecordSize, keyFile.recordSize);
  EXPECT_EQ(kKeySize, keyFile.keySize);
  EXPECT_EQ(0u, keyFile.recordCount);
  for (uint32_t i = 0; i < 5; ++i) {
    char record[kRecordSize] = {};
    std::strncpy(record, keys[i], kKeySize - 1);
    record[kKeySize] = static_cast<char>('0' + i);  // the insertion order, after the key
    ASSERT_NE(0, QPInsertKeyFileRecord(&keyFile, record));
    EXPECT_EQ(i + 1, keyFile.recordCount);
  }
  ASSERT_NE(0, QPCloseKeyFile(&keyFile));
  EXPECT_EQ(nullptr, keyFile.state);
  EXPECT_EQ(0, QPCloseKeyFile(&keyFile));
  char record[kRecordSize] = {};
  EXPECT_EQ(0, QPInsertKeyFileRecord(&keyFile, record));

  qpcomm::KeyFileReader reader;
  ASSERT_TRUE(reader.open(path("names.key"))) << reader.error();
  ASSERT_EQ(5u, reader.count());
  const char* const expected[] = {"Alpha1", "alpha3", "Bravo4", "charlie2", "delta0"};
  for (uint32_t i = 0; i < 5; ++i) {
    const char* read = reinterpret_cast<const char*>(reader.recordInKeyOrder(i));
    EXPECT_EQ(expected[i], std::string(read) + read[kKeySize]) << "position " << i;
  }
}

TEST_F(FilesTest, KeyFileCreateRefusesUnusableArguments) {
  struct Case {
    const char* what;
    std::string path;
    uint32_t recordSize;
    uint32_t keySize;
  } const cases[] = {
      {"record size 0", path("a.key"), 0, 0},
      {"key larger than record", path("b.key"), 8, 9},
      {"missing directory", path("no\\such\\c.key"), 16, 8},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    QPKEYFILE keyFile;
    std::memset(&keyFile, 0x5A, sizeof keyFile);
    EXPECT_EQ(0, QPCreateKeyFile(c.path.c_str(), c.recordSize, c.keySize, &keyFile));
    EXPECT_EQ(nullptr, keyFile.state);
    EXPECT_EQ(0, QPCloseKeyFile(&keyFile));
  }
}

}  // namespace
