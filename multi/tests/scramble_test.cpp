// Password scrambling: known stored bytes, round trips over awkward owners and
// passwords, the stored length and final zero, and cutting to the caller's buffer.
#include "multi/core/scramble.h"
#include "multi/tests/hex.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

std::vector<unsigned char> scramble(const char* owner, const char* password) {
  std::vector<unsigned char> data(qpmulti::kProfileDataSize, 0xCD);
  data.resize(qpmulti::scramblePassword(owner, password, data.data(), data.size()));
  return data;
}

std::string unscramble(const char* owner, const std::vector<unsigned char>& data,
                       size_t size = 150) {
  std::vector<char> out(size + 8, 'Q');  // poisoned, with a guard beyond `size`
  qpmulti::unscramblePassword(owner, data.data(), data.size(), out.data(), size);
  for (size_t i = size; i < out.size(); ++i) EXPECT_EQ(out[i], 'Q') << "wrote past byte " << i;
  return std::string(out.data(), strnlen(out.data(), size));
}

using storetest::hex;

}  // namespace

TEST(Scramble, SwapsNibbles) {
  EXPECT_EQ(qpmulti::swapNibbles(0x6E), 0xE6);
  EXPECT_EQ(qpmulti::swapNibbles(0x0F), 0xF0);
  EXPECT_EQ(qpmulti::swapNibbles(0xFF), 0xFF);
}

// Stored bytes worked out by hand from the format: XOR with K[i mod L], minus the
// nibble-swapped K[(i + 2) mod L], then one zero byte.
TEST(Scramble, StoresTheDocumentedBytes) {
  struct Case {
    const char* owner;
    const char* password;
    const char* stored;
  };
  const Case cases[] = {
      {"jane", "s3cret", "33fc670129bf00"},
      {"jane.pop", "pw", "34c000"},
      {"", "ab", "616200"},  // empty owner: key is one zero byte, bytes stay as they are
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.owner) + " / " + c.password);
    EXPECT_EQ(hex(scramble(c.owner, c.password)), c.stored);
  }
}

TEST(Scramble, RoundTripsAndStoresOneByteMoreEndingInZero) {
  const std::string longOwner(200, 'k');
  const std::string longPassword(149, 'p');
  struct Case {
    const char* owner;
    const char* password;
  };
  const Case cases[] = {
      {"jane", "s3cret"},
      {"j", "one-character owner"},             // (i + 2) mod 1
      {"jo", "two-character owner"},            // (i + 2) mod 2 wraps to the start
      {"jane", "\x8c" "x"},                     // first stored byte becomes zero
      {"j\xe4ne", "\xff\x80 high bytes \x01"},  // bytes above 127 in key and password
      {longOwner.c_str(), longPassword.c_str()},
      {"", "empty owner"},
      {nullptr, "null owner"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.owner ? c.owner : "(null)") + " / " + c.password);
    const std::vector<unsigned char> data = scramble(c.owner, c.password);
    ASSERT_EQ(data.size(), std::strlen(c.password) + 1);
    EXPECT_EQ(data.back(), 0);
    EXPECT_EQ(unscramble(c.owner, data), c.password);
  }
  // Of the first case: a stored zero byte in the middle does not end the password.
  EXPECT_EQ(scramble("jane", "\x8c" "x")[0], 0);
}

TEST(Scramble, UsesOnlyTheFirst149CharactersOfTheOwner) {
  const std::string owner(149, 'k');
  const std::string longer = owner + "zzz";
  EXPECT_EQ(unscramble(longer.c_str(), scramble(owner.c_str(), "secret")), "secret");
  EXPECT_NE(unscramble("other", scramble(owner.c_str(), "secret")), "secret");
}

TEST(Scramble, EmptyPasswordOrTinyBufferStoresNothing) {
  unsigned char data[4] = {9, 9, 9, 9};
  EXPECT_EQ(qpmulti::scramblePassword("jane", "", data, sizeof data), 0u);
  EXPECT_EQ(qpmulti::scramblePassword("jane", nullptr, data, sizeof data), 0u);
  EXPECT_EQ(qpmulti::scramblePassword("jane", "x", data, 1), 0u);
  EXPECT_EQ(data[0], 9);
}

TEST(Scramble, LongPasswordIsCutToTheDataBuffer) {
  unsigned char data[6];
  std::memset(data, 0xCD, sizeof data);
  ASSERT_EQ(qpmulti::scramblePassword("jane", "abcdefgh", data, 5), 5u);
  EXPECT_EQ(data[4], 0);
  EXPECT_EQ(data[5], 0xCD);
  EXPECT_EQ(unscramble("jane", std::vector<unsigned char>(data, data + 5)), "abcd");
}

TEST(Unscramble, ZeroBytesGiveTheEmptyPassword) {
  EXPECT_EQ(unscramble("jane", {}), "");
}

TEST(Unscramble, OverlongValueIsCutToTheBuffer) {
  const std::string password(400, 'w');
  const std::vector<unsigned char> data = scramble("jane", password.c_str());
  ASSERT_EQ(data.size(), 401u);
  EXPECT_EQ(unscramble("jane", data, 150), password.substr(0, 149));
  EXPECT_EQ(unscramble("jane", data, 1), "");
}

TEST(Unscramble, ValueWithoutFinalZeroStopsAtItsEnd) {
  // A damaged value: the last byte, stored untransformed, is not zero.
  std::vector<unsigned char> data = scramble("jane", "abc");
  data.back() = 'Z';
  EXPECT_EQ(unscramble("jane", data), "abcZ");
}
