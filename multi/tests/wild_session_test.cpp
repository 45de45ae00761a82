// Misbehaving members in log-in and recipient validation: members that fail after others
// succeeded are skipped and no session stays open that is not handed over; whatever the
// wild member leaves of the recipients it validates, the primary member's stay and no
// QPmalloc block is lost.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "multi/tests/wild_fixture.h"

namespace {

using namespace wildtest;

// Validation hands the wild member its own recipient and takes back what it left, typed,
// behind the primary member's validated recipients: whatever the member does, the
// primary's part stays, the three arrays hold at most 50,000 entries and no block is lost.
TEST_F(WildMembers, ValidationKeepsThePrimarysRecipientsWhateverTheMemberLeaves) {
  const QPSESSION host = logIn("WILD");
  auto run = [&](Mode mode, int32_t& result) {
    SetEnvironmentVariableA(wild::kModeVariable, modeName(mode));
    const int32_t blocksBefore = QPGetLiveBlockCount();
    std::vector<std::string> texts;
    {
      HostList first(kAddressCapacity), second(kAddressCapacity), third(kAddressCapacity);
      first.add("Ann Lee <ann@example.com>");
      first.add("WILD:w@wild.example");
      result = validate_(host, profile_.c_str(), first.data(), second.data(), third.data(), 0);
      texts = terminatedTexts(first.data());
      EXPECT_EQ(terminatedTexts(second.data()), std::vector<std::string>{});
    }
    EXPECT_EQ(QPGetLiveBlockCount(), blocksBefore) << "QPmalloc blocks lost";
    return texts;
  };
  int32_t result = -1;
  const std::vector<std::string> baseline = run(Mode::Nothing, result);
  ASSERT_EQ(baseline.size(), 2u);
  EXPECT_NE(baseline[1].find("WILD:w@wild.example"), std::string::npos) << baseline[1];
  const std::string primary = baseline[0];

  for (const wild::ModeName& m : wild::kModeNames) {
    SCOPED_TRACE(std::string("validation / ") + m.name);
    ++casesRun;
    const auto start = std::chrono::steady_clock::now();
    const std::vector<std::string> texts = run(m.mode, result);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(result, 0);
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ(texts[0], primary);
    // The member's own recipient, unless it removed it, and what it added, up to the
    // array's 50,000 entries.
    size_t left = m.mode == Mode::Shrink
                      ? 0
                      : 1 + keptTerminated(List::Recipients, m.mode, kAddressCapacity - 1).size();
    left = std::min(left, kAddressCapacity - 1);
    EXPECT_EQ(texts.size(), 1 + left);
    size_t untyped = 0;
    for (size_t i = 1; i < texts.size(); ++i)
      untyped += texts[i].find("WILD:") == std::string::npos;
    EXPECT_EQ(untyped, 0u);
    if (m.mode == Mode::Many) {
      char line[120];
      std::snprintf(line, sizeof line, "  %-28s 50,000 entries: %.2f s\n", "recipient validation",
                    seconds);
      timings += line;
    }
  }
}

// The sessions of the common library that are open among the handles from `first` up to
// (not including) `last`: handles are given out in rising order.
std::vector<QPSESSION> openSessions(QPSESSION first, QPSESSION last) {
  std::vector<QPSESSION> open;
  for (QPSESSION h = first; h < last; ++h) {
    char name[QP_TEXT_SMALL];
    if (GetUserUsername(h, name) != 0) open.push_back(h);
  }
  return open;
}

QPSESSION probeHandle() {
  const QPSESSION probe = QPOpenSession("probe", "", "", "", nullptr, nullptr);
  QPCloseSession(probe);
  return probe;
}

// Login1 and Login3 are sound, Login2 (the wild library refusing) and Login4 (an interface
// without a library) fail after them: log-in skips the failures, counts the others, and
// leaves their sessions open only in a table it hands over.
TEST_F(WildMembers, MembersFailingAfterOthersSucceededAreSkippedAndNothingStaysOpen) {
  struct Case {
    const char* name;
    int32_t flags;
    bool withCell;
    bool handedOver;
  };
  const Case cases[] = {
      {"check only", 0, true, false},
      {"keep", kKeep, true, true},
      {"keep without a cell", kKeep, false, false},
  };
  SetEnvironmentVariableA(wild::kAuthVariable, "refuse");
  qptest::MailDatabase& alice = addMember(1, "alice", "POP3");
  ASSERT_TRUE(qpmulti::WriteProfileMember(profile_.c_str(), 2, "wild", "WILD", "pw", ""));
  qptest::MailDatabase& bob = addMember(3, "bob", "POP3");
  ASSERT_TRUE(qpmulti::WriteProfileMember(profile_.c_str(), 4, "gone", "NOLIB", "pw", ""));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ++casesRun;
    const QPSESSION host = openHost();
    void** cell = GetUserData(host, 0, nullptr);
    ASSERT_NE(cell, nullptr);
    const QPSESSION first = probeHandle();
    EXPECT_EQ(
        multi_.authenticateUser("", profile_.c_str(), "", c.flags, c.withCell ? cell : nullptr), 2);
    const QPSESSION last = probeHandle();

    const std::vector<QPSESSION> slots = table(host);
    if (!c.handedOver) {
      EXPECT_TRUE(slots.empty());
      EXPECT_EQ(openSessions(first, last), std::vector<QPSESSION>{});
    } else {
      ASSERT_EQ(slots.size(), qpmulti::kMemberSlots);
      EXPECT_EQ(membertest::sessionUser(slots[0]), "alice");
      EXPECT_EQ(membertest::sessionUser(slots[1]), "bob");
      for (unsigned i = 2; i < qpmulti::kMemberSlots; ++i) EXPECT_EQ(slots[i], -1) << "slot " << i;
      EXPECT_EQ(openSessions(first, last), (std::vector<QPSESSION>{slots[0], slots[1]}));
      multi_.cleanUpAfterUser(host, profile_.c_str());
      EXPECT_EQ(openSessions(first, last), std::vector<QPSESSION>{});
    }
    // Each sound member was ended exactly once, by log-in or by the clean-up.
    for (qptest::MailDatabase* db : {&alice, &bob}) {
      EXPECT_EQ(membertest::countOf(membertest::calls(db->journal()), "CleanUpAfterUser"),
                membertest::countOf(membertest::calls(db->journal()), "AuthenticateUser"))
          << db->journal();
    }
  }
}

}  // namespace