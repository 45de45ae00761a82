// Misbehaving members: a profile of a sample mail store (POP3, slot 0) and a second
// member that misbehaves: QPXWILD.DLL in each of its modes (wild_entries.h), an interface
// without a library, a library without the operation's export. For every list operation
// that fans out: the host's earlier entries stay (same blocks, same texts), the good
// member's results all arrive with their tags, the second member's entries arrive as the
// documented rewriting makes them, the result is the documented one, and no QPmalloc
// block is lost. Prints "N misbehaving-member cases" and the 50,000-entry timings.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "multi/tests/wild_fixture.h"

namespace {

using namespace wildtest;

constexpr size_t kHostEntries = 3;
// Room for the host's entries, the good member's and 50,000 more.
constexpr size_t kCountedCapacity = 50100;

// The second member of the profile.
struct Second {
  const char* name;
  const char* interfaceName;  // WILD, or an interface without a library or exports
  Mode mode;                  // for WILD
};
const Second kSeconds[] = {
    {"normal", "WILD", Mode::Normal},
    {"nothing appended", "WILD", Mode::Nothing},
    {"50,000 entries", "WILD", Mode::Many},
    {"no separators", "WILD", Mode::Bare},
    {"null and empty entries", "WILD", Mode::Nulls},
    {"count above what it appended", "WILD", Mode::CountHigh},
    {"count below what it appended", "WILD", Mode::CountLow},
    {"count lowered below the host's", "WILD", Mode::Shrink},
    {"fails", "WILD", Mode::Fail},
    {"interface without a library", "NOLIB", Mode::Nothing},
    {"library without the export", "BARE", Mode::Nothing},
};

bool isWild(const Second& s) { return std::string(s.interfaceName) == "WILD"; }

// The raw entries of the wild member that a counted list keeps: null entries and the
// positions a count claims beyond what was appended are closed up, entries appended
// beyond the count are not the list's.
std::vector<std::string> keptCounted(List list, Mode mode) {
  std::vector<std::string> out;
  auto range = [&](uint32_t last, bool bare) {
    for (uint32_t n = 1; n <= last; ++n) out.push_back(wild::entryText(list, n, bare));
  };
  switch (mode) {
    case Mode::Normal:
      range(wild::kNormalEntries, false);
      break;
    case Mode::Many:
      range(wild::kManyEntries, false);
      break;
    case Mode::Bare:
      range(wild::kNormalEntries, true);
      break;
    case Mode::Nulls:
      out = {"", wild::entryText(list, 1), "no id\xFF"};
      break;
    case Mode::CountHigh:
    case Mode::CountLow:
      range(1, false);
      break;
    default:
      break;
  }
  return out;
}

// What the wild member answers (for a counted list), when its answer is the result.
int32_t wildAnswer(Mode mode) {
  switch (mode) {
    case Mode::Normal:
    case Mode::Bare:
      return wild::kNormalEntries;
    case Mode::Many:
      return wild::kManyEntries;
    case Mode::Nulls:
      return 4;
    case Mode::CountHigh:
      return wild::kClaimedHigh;
    case Mode::CountLow:
      return wild::kClaimedLow;
    case Mode::Shrink:
      return -3;  // in a null-terminated list; 0 in a counted one
    case Mode::Fail:
      return -1;
    default:
      return 0;
  }
}

// The member tag QPXMULTI puts after the first separator of a slot-1 entry.
std::string tagged(const std::string& raw) {
  const size_t separator = raw.find('\xFF');
  if (separator == std::string::npos) return raw;
  return raw.substr(0, separator + 1) + "MULTI:1:" + raw.substr(separator + 1);
}

// One list operation of the host, as the table below runs it.
struct Operation {
  const char* name;
  List list;
  bool counted;  // a list with a count (else null-terminated)
  // Host entry n as the host had it before the call.
  std::function<std::string(size_t)> hostEntry;
  // What QPXMULTI makes of a raw entry of the slot-1 member.
  std::function<std::string(const std::string&)> rewritten;
};

std::string typedRecipient(const std::string& raw) {
  // "Name <box>" from slot 1 becomes "Name <WILD:box>"; anything else only has to carry
  // the prefix (the common library's address parsing decides its exact form).
  const size_t open = raw.find(" <");
  if (open != std::string::npos && raw.back() == '>')
    return raw.substr(0, open + 2) + "WILD:" + raw.substr(open + 2);
  return "";
}

// Prints the figure once every test has run.
struct CaseCount : ::testing::Environment {
  void TearDown() override {
    std::printf("%zu misbehaving-member cases\n%s", casesRun, timings.c_str());
  }
};
::testing::Environment* const caseCount = ::testing::AddGlobalTestEnvironment(new CaseCount);

class ListsBeside : public WildMembers, public ::testing::WithParamInterface<const char*> {};

TEST_P(ListsBeside, OtherMembersResultsAndTheHostsEntriesSurvive) {
  const Operation operations[] = {
      {"message index", List::Index, true,
       [](size_t n) { return "Host " + std::to_string(n) + "\xFFH/" + std::to_string(n); }, tagged},
      {"message search", List::Search, true,
       [](size_t n) {
         return "Host " + std::to_string(n) + "\xFFH/" + std::to_string(n) + "\xFFX";
       },
       tagged},
      {"folder list", List::Folders, true,
       [](size_t n) { return "HostFolder" + std::to_string(n); },
       [](const std::string& r) { return r; }},
      {"address-book list", List::Books, true,
       [](size_t n) { return "HostBook" + std::to_string(n); },
       [](const std::string& r) { return "WILD:" + r; }},
      {"recipients of a typed book", List::Recipients, false,
       [](size_t n) {
         return "Host " + std::to_string(n) + " <h" + std::to_string(n) + "@host.example>";
       },
       typedRecipient},
      {"address-book search", List::Recipients, false,
       [](size_t n) {
         return "Host " + std::to_string(n) + " <h" + std::to_string(n) + "@host.example>";
       },
       typedRecipient},
  };
  const bool isSearchOfBooks[] = {false, false, false, false, false, true};

  const char* const iface = GetParam();
  {
    const QPSESSION host = logIn(iface);
    const bool secondIn = table(host).size() > 1 && table(host)[1] != -1;
    EXPECT_EQ(secondIn, std::string(iface) != "NOLIB") << iface;

    for (size_t o = 0; o < sizeof operations / sizeof operations[0]; ++o) {
      const Operation& op = operations[o];
      // One call: a fresh host list holding kHostEntries entries. Returns the result.
      struct Outcome {
        int32_t result;
        std::vector<std::string> texts;
        bool hostEntriesKept;
        double seconds;
      };
      auto run = [&](const Second& second) {
        SetEnvironmentVariableA(wild::kModeVariable, modeName(second.mode));
        const int32_t blocksBefore = QPGetLiveBlockCount();
        Outcome out{};
        {
          HostList list(op.counted ? kCountedCapacity : kAddressCapacity);
          for (size_t n = 1; n <= kHostEntries; ++n) list.add(op.hostEntry(n));
          const std::vector<char*> hostBlocks(list.data(), list.data() + kHostEntries);
          const auto start = std::chrono::steady_clock::now();
          switch (op.list) {
            case List::Index:
              out.result = buildIndex(host, list);
              break;
            case List::Search:
              out.result = search(host, list, "example");
              break;
            case List::Folders:
              out.result =
                  buildFolders_(host, profile_.c_str(), list.data(), list.count(), 0, 0, 0);
              break;
            case List::Books:
              out.result = buildBooks_(host, profile_.c_str(), list.data(), list.count());
              break;
            default: {
              const std::string book = std::string(second.interfaceName) + ":Book";
              out.result =
                  isSearchOfBooks[o]
                      ? searchBooks_(host, profile_.c_str(), 0, list.data(), 0, 0)
                      : buildRecips_(host, profile_.c_str(), book.c_str(), list.data(), 0, 0, 0);
            }
          }
          out.seconds =
              std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
          out.texts = op.counted ? list.texts() : terminatedTexts(list.data());
          for (std::string& text : out.texts) text = shown(text);
          out.hostEntriesKept = std::equal(hostBlocks.begin(), hostBlocks.end(), list.data());
        }
        EXPECT_EQ(QPGetLiveBlockCount(), blocksBefore) << "QPmalloc blocks lost";
        return out;
      };

      // The good member's share: what the list holds with a second member that appends
      // nothing, after the host's entries.
      const Outcome baseline = run(Second{"baseline", iface, Mode::Nothing});
      ASSERT_GE(baseline.texts.size(), kHostEntries) << op.name;
      const std::vector<std::string> good(baseline.texts.begin() + kHostEntries,
                                          baseline.texts.end());
      if (op.list == List::Index || op.list == List::Search) {
        ASSERT_EQ(good.size(), 2u) << op.name;
        for (const std::string& entry : good)
          EXPECT_NE(entry.find("|MULTI:0:"), std::string::npos) << entry;
      } else if (!(op.list == List::Recipients && !isSearchOfBooks[o])) {
        EXPECT_FALSE(good.empty()) << op.name;  // the good member's folders, books, entries
      }

      for (const Second& second : kSeconds) {
        if (second.interfaceName != std::string(iface)) continue;
        if (!isWild(second) && second.mode != Mode::Nothing) continue;
        SCOPED_TRACE(std::string(op.name) + " / " + second.name);
        ++casesRun;
        const Outcome got = run(second);
        // A failed case is reported and the table goes on with the next one.
        EXPECT_TRUE(got.hostEntriesKept);
        EXPECT_GE(got.texts.size(), kHostEntries + good.size());
        if (!got.hostEntriesKept || got.texts.size() < kHostEntries + good.size()) continue;
        for (size_t n = 1; n <= kHostEntries; ++n)
          EXPECT_EQ(got.texts[n - 1], shown(op.hostEntry(n)));
        const std::vector<std::string> goodPart(got.texts.begin() + kHostEntries,
                                                got.texts.begin() + kHostEntries + good.size());
        EXPECT_EQ(goodPart, good);

        std::vector<std::string> raw;
        if (isWild(second)) {
          raw = op.counted ? keptCounted(op.list, second.mode)
                           : keptTerminated(op.list, second.mode,
                                            kAddressCapacity - kHostEntries - good.size());
        }
        const std::vector<std::string> wildPart(got.texts.begin() + kHostEntries + good.size(),
                                                got.texts.end());
        EXPECT_EQ(wildPart.size(), raw.size());
        if (wildPart.size() != raw.size()) continue;
        size_t wrong = 0;  // the first few wrong entries are shown, not 50,000
        for (size_t i = 0; i < raw.size() && wrong < 3; ++i) {
          const std::string expected = op.rewritten(raw[i]);
          const bool exact = op.counted || !expected.empty();
          const bool right = exact ? wildPart[i] == shown(expected)
                                   : wildPart[i].find("WILD:") != std::string::npos;
          if (right) continue;
          ++wrong;
          ADD_FAILURE() << "entry " << i << ": " << wildPart[i] << " (expected "
                        << (exact ? shown(expected) : "a WILD: prefix") << ")";
        }

        // The documented result of each export.
        int32_t expected = static_cast<int32_t>(got.texts.size());  // search, folders, books
        int32_t answer = !isWild(second) ? 0 : wildAnswer(second.mode);
        if (isWild(second) && op.counted && second.mode == Mode::Shrink) answer = 0;
        // In an address list the wild member answers the number it got in.
        if (isWild(second) && !op.counted &&
            (second.mode == Mode::Many || second.mode == Mode::Nulls))
          answer = static_cast<int32_t>(raw.size());
        if (op.list == List::Index) {
          expected = std::max(baseline.result, secondIn ? answer : -1);
        } else if (op.list == List::Recipients && !isSearchOfBooks[o]) {
          // NOLIB:Book is nobody's typed name: the primary member has no such book.
          expected = secondIn ? answer : -1;
        } else if (op.list == List::Recipients) {
          expected = static_cast<int32_t>(got.texts.size() - kHostEntries);
        }
        EXPECT_EQ(got.result, expected);
        if (second.mode == Mode::Many && isWild(second)) {
          char line[120];
          std::snprintf(line, sizeof line, "  %-28s 50,000 entries: %.2f s\n", op.name,
                        got.seconds);
          timings += line;
        }
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Members, ListsBeside, ::testing::Values("WILD", "NOLIB", "BARE"));
}  // namespace
