// Text exports: bounded copy and append, message texts and their per-thread buffers, and
// the wrappers of the text and address operations (pointers into the caller's text,
// buffer limits).
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "host/comm/messages.h"
#include "hostapi/qpxcomm.h"

namespace {

constexpr char kPoison = 0x5A;
constexpr size_t kBufferSize = 32;

// Checks that nothing at or beyond `from` was written.
void expectPoisonFrom(const char (&buffer)[kBufferSize], size_t from) {
  for (size_t i = from; i < kBufferSize; ++i) ASSERT_EQ(kPoison, buffer[i]) << "byte " << i;
}

TEST(BoundedCopy, CopiesWithinSizeAndTerminates) {
  struct Case {
    const char* source;
    int32_t size;
    const char* expected;
  } const cases[] = {
      {"hello", 10, "hello"}, {"hello", 6, "hello"}, {"hello", 5, "hell"},
      {"hello", 1, ""},       {"", 4, ""},           {nullptr, 4, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.source ? c.source : "(null)") + " size " + std::to_string(c.size));
    char buffer[kBufferSize];
    std::memset(buffer, kPoison, sizeof buffer);
    EXPECT_EQ(buffer, lstrcpyN(buffer, c.source, c.size));
    EXPECT_STREQ(c.expected, buffer);
    expectPoisonFrom(buffer, static_cast<size_t>(c.size));
  }
  char untouched[kBufferSize];
  std::memset(untouched, kPoison, sizeof untouched);
  lstrcpyN(untouched, "abc", 0);
  expectPoisonFrom(untouched, 0);
}

TEST(BoundedCopy, AppendsWithinSizeAndTerminates) {
  struct Case {
    const char* start;
    const char* source;
    int32_t size;
    const char* expected;
  } const cases[] = {
      {"ab", "cd", 10, "abcd"},  {"ab", "cdef", 5, "abcd"}, {"abcd", "x", 5, "abcd"},
      {"", "xyz", 3, "xy"},      {"ab", nullptr, 8, "ab"},
      {"abcdef", "x", 4, "abc"},  // not terminated within size: repaired, nothing added
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.start) + " + " + (c.source ? c.source : "(null)") + " size " +
                 std::to_string(c.size));
    char buffer[kBufferSize];
    std::memset(buffer, kPoison, sizeof buffer);
    std::memcpy(buffer, c.start, std::strlen(c.start) + 1);
    EXPECT_EQ(buffer, lstrcatN(buffer, c.source, c.size));
    EXPECT_STREQ(c.expected, buffer);
    if (std::strlen(c.start) < static_cast<size_t>(c.size))
      expectPoisonFrom(buffer, std::max(static_cast<size_t>(c.size), std::strlen(c.start) + 1));
  }
}

// A source that ends right before an inaccessible page, without a terminator: the copy
// must not read a byte more than it copies.
TEST(BoundedCopy, ReadsNoMoreOfTheSourceThanItCopies) {
  SYSTEM_INFO info;
  ::GetSystemInfo(&info);
  const size_t page = info.dwPageSize;
  char* pages = static_cast<char*>(
      ::VirtualAlloc(nullptr, 2 * page, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
  ASSERT_NE(nullptr, pages);
  DWORD old = 0;
  ASSERT_TRUE(::VirtualProtect(pages + page, page, PAGE_NOACCESS, &old));
  char* source = pages + page - 5;
  std::memcpy(source, "abcde", 5);  // no terminator before the guard page

  char buffer[kBufferSize];
  EXPECT_STREQ("abcde", lstrcpyN(buffer, source, 6));
  std::strcpy(buffer, "xy");
  EXPECT_STREQ("xyabcde", lstrcatN(buffer, source, 8));
  ::VirtualFree(pages, 0, MEM_RELEASE);
}

TEST(GetString, GivesTheTableTextCutToTheLimit) {
  const unsigned kOk = 1021, kLong = 3100;
  ASSERT_NE(nullptr, lookUpMessage(kOk));
  ASSERT_NE(nullptr, lookUpMessage(kLong));
  const std::string longText = lookUpMessage(kLong);
  ASSERT_GT(longText.size(), 10u);

  struct Case {
    unsigned number;
    int32_t limit;
    std::string expected;
  } const cases[] = {
      {kOk, QP_TEXT_SMALL, lookUpMessage(kOk)},
      {kLong, QP_TEXT_LARGE, longText},
      {kLong, 11, longText.substr(0, 10)},
      {kLong, 1, ""},
      {kLong, 0, ""},
      {kLong, -5, ""},
      {kLong, 100000, longText},  // limits above 500 count as 500
      {999999, QP_TEXT_SMALL, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("message " + std::to_string(c.number) + " limit " + std::to_string(c.limit));
    const char* text = GetString(c.number, c.limit);
    ASSERT_NE(nullptr, text);
    EXPECT_EQ(c.expected, text);
  }
}

TEST(GetString, EachOfFourCallsKeepsItsOwnBuffer) {
  const unsigned numbers[] = {1021, 1022, 1023, 3100};
  const char* texts[4];
  for (int i = 0; i < 4; ++i) texts[i] = GetString(numbers[i], QP_TEXT_LARGE);
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE("call " + std::to_string(i + 1));
    EXPECT_STREQ(lookUpMessage(numbers[i]), texts[i]);
  }
}

TEST(TextWrappers, ReturnPointersIntoTheCallersText) {
  char text[] = " \tHello World";
  EXPECT_EQ(text + 2, FindNonBlank(text));
  EXPECT_EQ(text + 8, QPstrstr(text, "wORLD"));
  EXPECT_EQ(nullptr, QPstrstr(text, "mars"));
  EXPECT_EQ(nullptr, QPstrstr(nullptr, "x"));

  char padded[] = "name \t\r\n";
  EXPECT_EQ(padded, StripTrailingSpaces(padded));
  EXPECT_STREQ("name", padded);

  char hard[] = "ab\xFF" "cd";
  EXPECT_EQ(hard, StrStripHardSpaces(hard));
  EXPECT_STREQ("ab", hard);
  EXPECT_STREQ("cd", hard + 3);  // the rest stays in the buffer
}

// NormalizeName tidies the 60-byte name at the start of a record and nothing after it.
TEST(TextWrappers, NormalizeNameKeepsToTheNameField) {
  char record[100];
  std::memset(record, 0, sizeof record);
  std::memcpy(record, "  John \t\x01 Smith  ", 17);
  std::memset(record + 60, '\t', 40);
  NormalizeName(record);
  EXPECT_STREQ("John Smith", record);
  for (size_t i = 60; i < sizeof record; ++i) ASSERT_EQ('\t', record[i]) << "byte " << i;
}

TEST(AddressWrappers, StayWithinTheCallersBuffer) {
  struct Case {
    const char* address;
    int32_t size;
    const char* bare;
    const char* name;
  } const cases[] = {
      {"Full Name <box@host.example>", 32, "box@host.example", "Full Name"},
      {"\"Name, Quoted\" <a@b.example>", 32, "a@b.example", "Name, Quoted"},
      {"box@host (Comment Name)", 32, "box@host", "Comment Name"},
      {"Full Name <box@host.example>", 5, "box@", "Full"},
      {"bare@host", 1, "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.address) + " size " + std::to_string(c.size));
    char buffer[kBufferSize];
    std::memset(buffer, kPoison, sizeof buffer);
    EXPECT_EQ(buffer, StripFullName(c.address, buffer, c.size));
    EXPECT_STREQ(c.bare, buffer);
    expectPoisonFrom(buffer, static_cast<size_t>(c.size));
    std::memset(buffer, kPoison, sizeof buffer);
    EXPECT_EQ(buffer, ParseFullNameFromAddress(c.address, buffer, c.size));
    EXPECT_STREQ(c.name, buffer);
    expectPoisonFrom(buffer, static_cast<size_t>(c.size));
  }
}

TEST(AddressWrappers, EncodeFullNameQuotesOnlyWhenItFits) {
  struct Case {
    const char* text;
    int32_t size;
    const char* expected;
  } const cases[] = {
      {"Smith, John", 32, "\"Smith, John\""},
      {"Say \"hi\"", 32, "\"Say \\\"hi\\\"\""},
      {"Plain Name", 32, "Plain Name"},
      {"Smith, John", 13, "Smith, John"},  // the quoted form needs 14 bytes
      {"Smith, John", 14, "\"Smith, John\""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.text) + " size " + std::to_string(c.size));
    char buffer[kBufferSize];
    std::memset(buffer, kPoison, sizeof buffer);
    std::strcpy(buffer, c.text);
    EXPECT_EQ(buffer, EncodeFullName(buffer, c.size));
    EXPECT_STREQ(c.expected, buffer);
    expectPoisonFrom(buffer,
                     std::max<size_t>(static_cast<size_t>(c.size), std::strlen(c.text) + 1));
  }
}

}  // namespace
