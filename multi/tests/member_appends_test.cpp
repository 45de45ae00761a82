// Settling a counted list after a member's call: a lowered count goes back, null entries
// the member counted are closed up, and the entries from before stay where they were.
#include "multi/core/member_appends.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(MemberAppends, LoweredCountsGoBackAndCountedNullsAreClosedUp) {
  static char a[] = "a", b[] = "b", c[] = "c", d[] = "d";
  char* const x = reinterpret_cast<char*>(0x1);  // marks a position that must stay as it was
  struct Case {
    const char* name;
    std::vector<char*> list;  // before the member's call: 2 entries
    int32_t after;
    int32_t count;
    std::vector<char*> expected;
  };
  const Case cases[] = {
      {"two appended", {a, b, c, d, x}, 4, 4, {a, b, c, d, x}},
      {"nothing appended", {a, b, x}, 2, 2, {a, b, x}},
      {"count lowered to 0", {a, b, x}, 0, 2, {a, b, x}},
      {"count lowered below zero", {a, b, x}, -7, 2, {a, b, x}},
      {"nulls among the appended",
       {a, b, nullptr, c, nullptr, d, x},
       6,
       4,
       {a, b, c, d, nullptr, nullptr, x}},
      {"count above the entries",
       {a, b, c, nullptr, nullptr, x},
       5,
       3,
       {a, b, c, nullptr, nullptr, x}},
  };
  for (const Case& t : cases) {
    SCOPED_TRACE(t.name);
    std::vector<char*> list = t.list;
    EXPECT_EQ(qpmulti::settleAppended(list.data(), 2, t.after), t.count);
    EXPECT_EQ(list, t.expected);
  }
}

TEST(MemberAppends, AnUnknownStartLeavesTheListAlone) {
  static char a[] = "a";
  std::vector<char*> list = {nullptr, a};
  EXPECT_EQ(qpmulti::settleAppended(list.data(), -1, 2), 2);
  EXPECT_EQ(qpmulti::settleAppended(nullptr, 0, 2), 2);
  EXPECT_EQ(list, (std::vector<char*>{nullptr, a}));
}

}  // namespace
