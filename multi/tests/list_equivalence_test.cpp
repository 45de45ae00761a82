// The one-pass list operations against their step-by-step versions, on random lists
// made of few distinct pieces, so that names and identifiers collide often.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "multi/core/entry_tags.h"
#include "multi/core/folder_merge.h"
#include "multi/core/search_dedup.h"
#include "multi/tests/host_list.h"
#include "multi/tests/literal_lists.h"

namespace qpmulti {
namespace {

using testing::bars;
using testing::HostList;
using testing::TestHeap;

constexpr int kLists = 3000;

template <size_t N>
const char* pick(std::mt19937& random, const char* const (&pieces)[N]) {
  return pieces[std::uniform_int_distribution<size_t>(0, N - 1)(random)];
}

bool chance(std::mt19937& random, int percent) {
  return std::uniform_int_distribution<int>(0, 99)(random) < percent;
}

size_t upTo(std::mt19937& random, size_t most) {
  return std::uniform_int_distribution<size_t>(0, most)(random);
}

struct RandomList {
  std::vector<std::string> texts;
  std::vector<bool> present;
};

std::string printable(const std::vector<std::string>& texts) {
  std::string out;
  for (std::string text : texts) {
    for (char& c : text) {
      if (c == kEntrySeparator) c = '|';
    }
    out += "[" + text + "] ";
  }
  return out;
}

// Folder entries: one or two letters in either case, trailing blanks, descriptions
// after " - " and near misses of it, now and then a null entry.
RandomList randomFolders(std::mt19937& random) {
  const char* const letters[] = {"a", "A", "b", "B"};
  const char* const endings[] = {"",    "",      "",    " ",   "\t",       " \r\n", " - x",
                                 " - ", "  - y", " -z", "- w", " - a - b", "-",     " -"};
  RandomList list;
  size_t count = upTo(random, 40);
  for (size_t i = 0; i < count; ++i) {
    std::string text;
    for (size_t n = upTo(random, 2); n > 0; --n) text += pick(random, letters);
    text += pick(random, endings);
    list.texts.push_back(text);
    list.present.push_back(!chance(random, 4));
  }
  return list;
}

// Search results: a text, a first separator (mostly), an identifier of up to three
// letters, a second separator (mostly) and more text or separators.
RandomList randomResults(std::mt19937& random) {
  const char* const texts[] = {"", "t", "T|"};
  const char* const letters[] = {"a", "A", "b"};
  const char* const tails[] = {"", "x", "|", "|y", "a"};
  RandomList list;
  size_t count = upTo(random, 40);
  for (size_t i = 0; i < count; ++i) {
    std::string text = pick(random, texts);
    if (!chance(random, 10)) {
      text += "|";
      for (size_t n = upTo(random, 3); n > 0; --n) text += pick(random, letters);
      if (chance(random, 70)) text += "|";
      text += pick(random, tails);
    }
    list.texts.push_back(bars(text));
    list.present.push_back(!chance(random, 3));
  }
  return list;
}

// Index entries: texts with and without separators, identifiers that do and do not
// begin with "DFT:".
RandomList randomIndex(std::mt19937& random) {
  const char* const texts[] = {"", "Subject", "x|"};
  const char* const identifiers[] = {
      "", "id", "DFT:1", "dft:2", "DfT:", "DFT", "DF", "DFTx:", "id|DFT:3", "|"};
  RandomList list;
  size_t count = upTo(random, 30);
  for (size_t i = 0; i < count; ++i) {
    std::string text = pick(random, texts);
    if (!chance(random, 15)) text += std::string("|") + pick(random, identifiers);
    list.texts.push_back(bars(text));
    list.present.push_back(!chance(random, 3));
  }
  return list;
}

// Runs both versions on copies of one list and compares the lists, which entry stands
// where, and how many entries went.
template <typename Ours, typename Literal>
void expectSameMerge(const RandomList& random, Ours ours, Literal literal) {
  HostList mine(random.texts, random.present);
  HostList theirs(random.texts, random.present);
  TestHeap myHeap;
  TestHeap theirHeap;
  mine.setCount(ours(mine.data(), mine.count(), myHeap.memory()));
  theirs.setCount(literal(theirs.data(), theirs.count(), theirHeap.memory()));
  EXPECT_EQ(theirs.texts(), mine.texts());
  EXPECT_EQ(theirs.origins(), mine.origins());
  EXPECT_EQ(theirHeap.released.size(), myHeap.released.size());
  EXPECT_TRUE(mine.tailIsClean());
}

TEST(ListEquivalence, FolderMergeMatchesTheStepByStepMerge) {
  std::mt19937 random(20240501);
  for (int n = 0; n < kLists; ++n) {
    RandomList list = randomFolders(random);
    size_t firstNew = upTo(random, list.texts.size());
    SCOPED_TRACE("list " + std::to_string(n) + " from " + std::to_string(firstNew) + ": " +
                 printable(list.texts));
    expectSameMerge(
        list,
        [&](char** e, size_t c, const EntryMemory& m) {
          return mergeFolderList(e, c, firstNew, m);
        },
        [&](char** e, size_t c, const EntryMemory& m) {
          return literal::mergeFolderList(e, c, firstNew, m);
        });
    if (HasFailure()) return;
  }
}

TEST(ListEquivalence, SameFolderNameMatchesTheStepByStepComparison) {
  std::mt19937 random(77);
  for (int n = 0; n < kLists; ++n) {
    RandomList list = randomFolders(random);
    for (size_t i = 0; i + 1 < list.texts.size(); ++i) {
      const std::string& a = list.texts[i];
      const std::string& b = list.texts[i + 1];
      EXPECT_EQ(literal::sameFolderName(a.c_str(), b.c_str()), SameFolderName(a.c_str(), b.c_str()))
          << "[" << a << "] [" << b << "]";
    }
    if (HasFailure()) return;
  }
}

TEST(ListEquivalence, SearchDeduplicationMatchesTheStepByStepRemoval) {
  std::mt19937 random(1998);
  for (int n = 0; n < kLists; ++n) {
    RandomList list = randomResults(random);
    SCOPED_TRACE("list " + std::to_string(n) + ": " + printable(list.texts));
    expectSameMerge(list, removeDuplicateResults, literal::removeDuplicateResults);
    if (HasFailure()) return;
  }
}

TEST(ListEquivalence, TaggingMatchesTheFormattedEntries) {
  std::mt19937 random(4711);
  for (int n = 0; n < kLists; ++n) {
    RandomList list = randomIndex(random);
    size_t to = upTo(random, list.texts.size());
    size_t from = upTo(random, to);
    unsigned member = static_cast<unsigned>(upTo(random, 49));
    TagScope scope = chance(random, 50) ? TagScope::Index : TagScope::Search;
    size_t refuse = chance(random, 20) ? upTo(random, 5) : SIZE_MAX;
    SCOPED_TRACE("list " + std::to_string(n) + ": " + printable(list.texts));

    HostList mine(list.texts, list.present);
    HostList theirs(list.texts, list.present);
    TestHeap myHeap;
    TestHeap theirHeap;
    myHeap.refuse = theirHeap.refuse = refuse;
    tagMemberEntries(mine.data(), from, to, member, scope, myHeap.memory());
    literal::tagMemberEntries(theirs.data(), from, to, member, scope, theirHeap.memory());
    EXPECT_EQ(theirs.texts(), mine.texts());
    EXPECT_EQ(theirHeap.sizes, myHeap.sizes);
    EXPECT_EQ(theirHeap.released.size(), myHeap.released.size());
    if (HasFailure()) return;
  }
}

}  // namespace
}  // namespace qpmulti
