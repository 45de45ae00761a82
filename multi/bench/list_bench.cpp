// make bench, list part: the one-pass list operations of the multi-session library
// against their step-by-step versions, on lists of the sizes a large profile produces:
// the folder merge of 50 members' folder lists, the removal of repeated search results,
// the tagging of 50 members' index entries. Ours runs at half, full and double size (to
// show how its time grows; best of five repetitions), the step-by-step version at full
// size (one run of one pass where that takes seconds). After each comparison the program prints
//   SCALE <name> <half> -> <full> entries: x<factor>, <full> -> <double> entries: x<factor>
//   ours <ms>, step by step <ms>, at <full> entries
//   goal: x100 faster met|not met, doubling the entries at most x2.5 met|not met
//   RATIO <name> <step-by-step time / our time>
// Every step-by-step run's list is checked against ours; a difference fails the program.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "multi/core/entry_tags.h"
#include "multi/core/folder_merge.h"
#include "multi/core/search_dedup.h"
#include "multi/tests/literal_lists.h"

namespace qpmulti {
namespace {

constexpr size_t kMembers = 50;

char* allocateEntry(size_t size, void*) { return static_cast<char*>(std::malloc(size)); }
void releaseEntry(char* entry, void*) { std::free(entry); }
const EntryMemory kMemory{allocateEntry, releaseEntry, nullptr};

// A host list of malloc'd copies of `texts`.
class List {
 public:
  explicit List(const std::vector<std::string>& texts)
      : entries_(texts.size()), count_(texts.size()) {
    for (size_t i = 0; i < texts.size(); ++i) {
      entries_[i] = static_cast<char*>(std::malloc(texts[i].size() + 1));
      std::memcpy(entries_[i], texts[i].c_str(), texts[i].size() + 1);
    }
  }
  ~List() {
    for (size_t i = 0; i < count_; ++i) std::free(entries_[i]);
  }
  List(const List&) = delete;
  List& operator=(const List&) = delete;
  char** data() { return entries_.data(); }
  size_t count() const { return count_; }
  void setCount(size_t count) { count_ = count; }
  std::vector<std::string> texts() const { return {entries_.begin(), entries_.begin() + count_}; }

 private:
  std::vector<char*> entries_;
  size_t count_;
};

std::string withCase(std::string text, int variant) {
  if (variant == 1) std::transform(text.begin(), text.end(), text.begin(), ::toupper);
  if (variant == 2) std::transform(text.begin(), text.end(), text.begin(), ::tolower);
  return text;
}

// 50 members, `perMember` folders each. 95 of every 100 names come from one shared set
// (in letter case variants, some with trailing blanks, some with " - <n> unread"); the
// others are the member's own.
std::vector<std::string> folderEntries(size_t perMember) {
  std::mt19937 random(11);
  std::vector<std::string> out;
  for (size_t member = 0; member < kMembers; ++member) {
    for (size_t j = 0; j < perMember; ++j) {
      std::string name = "Folder " + std::to_string(j) + " Archive";
      if (j % 20 == member % 20)
        name = "Member " + std::to_string(member) + " Own " + std::to_string(j);
      name = withCase(name, static_cast<int>(random() % 3));
      if (random() % 8 == 0) name += " ";
      if (random() % 10 == 0) name += " - " + std::to_string(random() % 50) + " unread";
      out.push_back(name);
    }
  }
  return out;
}

// `count` results, half of them repeats of another result's identifier in another letter
// case, in random order.
std::vector<std::string> searchEntries(size_t count) {
  std::mt19937 random(22);
  std::vector<std::string> out;
  char id[32];
  for (size_t i = 0; i < count / 2; ++i) {
    std::snprintf(id, sizeof id, "MULTI:%zu:%08zX", i % kMembers, i * 2654435761u % 0xFFFFFFFFu);
    std::string identifier = id;
    out.push_back("Subject of message " + std::to_string(i) + "\xFF" + identifier + "\xFF" +
                  "Inbox");
    out.push_back("Re: subject " + std::to_string(i) + "\xFF" + withCase(identifier, 2) + "\xFF" +
                  "Sent");
  }
  std::shuffle(out.begin(), out.end(), random);
  return out;
}

// 50 members' index entries, `perMember` each; one in fifty is a draft ("DFT:").
std::vector<std::string> indexEntries(size_t perMember) {
  std::vector<std::string> out;
  for (size_t member = 0; member < kMembers; ++member) {
    for (size_t j = 0; j < perMember; ++j) {
      std::string id = (j % 50 == 0 ? "DFT:" : "") + std::to_string(member * 1000003 + j);
      out.push_back("Subject of message " + std::to_string(j) + " from member " +
                    std::to_string(member) + "\xFF" + id + "\xFF" + "2024-05-01 10:00");
    }
  }
  return out;
}

// One operation on one host list; returns the list's new count.
using Operation = size_t (*)(char** entries, size_t count);

size_t oursFolders(char** e, size_t c) { return mergeFolderList(e, c, 0, kMemory); }
size_t literalFolders(char** e, size_t c) { return literal::mergeFolderList(e, c, 0, kMemory); }
size_t oursSearch(char** e, size_t c) { return removeDuplicateResults(e, c, kMemory); }
size_t literalSearch(char** e, size_t c) { return literal::removeDuplicateResults(e, c, kMemory); }
size_t oursTagging(char** e, size_t c) {
  size_t perMember = c / kMembers;
  for (size_t m = 0; m < kMembers; ++m) {
    tagMemberEntries(e, m * perMember, (m + 1) * perMember, static_cast<unsigned>(m),
                     TagScope::Index, kMemory);
  }
  return c;
}
size_t literalTagging(char** e, size_t c) {
  size_t perMember = c / kMembers;
  for (size_t m = 0; m < kMembers; ++m) {
    literal::tagMemberEntries(e, m * perMember, (m + 1) * perMember, static_cast<unsigned>(m),
                              TagScope::Index, kMemory);
  }
  return c;
}

// Times `operation` on fresh copies of `texts`; making and freeing the copies is not
// timed. With `check`, the result must equal ours on the same list.
void timeOperation(benchmark::State& state, const std::vector<std::string>& texts,
                   Operation operation, Operation check) {
  std::vector<std::string> result;
  size_t kept = 0;
  for (auto _ : state) {
    state.PauseTiming();
    auto list = std::make_unique<List>(texts);
    state.ResumeTiming();
    list->setCount(operation(list->data(), list->count()));
    state.PauseTiming();
    kept = list->count();
    if (check != nullptr && result.empty()) result = list->texts();
    list.reset();
    state.ResumeTiming();
  }
  state.counters["entries"] = static_cast<double>(texts.size());
  state.counters["kept"] = static_cast<double>(kept);
  if (check != nullptr) {
    List ours(texts);
    ours.setCount(check(ours.data(), ours.count()));
    if (ours.texts() != result) state.SkipWithError("the lists differ from ours");
  }
}

struct Comparison {
  const char* name;
  std::vector<std::string> (*make)(size_t);
  size_t sizes[3];  // half, full, double, in the generator's unit
  Operation ours;
  Operation literal;
  int literalRuns;  // the step-by-step version takes seconds where it is quadratic
};

const Comparison kComparisons[] = {
    {"folder_merge", folderEntries, {500, 1000, 2000}, oursFolders, literalFolders, 1},
    {"search_dedup", searchEntries, {25000, 50000, 100000}, oursSearch, literalSearch, 1},
    {"index_tagging", indexEntries, {5000, 10000, 20000}, oursTagging, literalTagging, 5},
};

constexpr double kGoalRatio = 100;
constexpr double kGoalGrowth = 2.5;  // "about double": room for cache effects and noise

// The console table, then after the step-by-step run of each comparison its SCALE and
// RATIO lines.
class Reporter : public benchmark::ConsoleReporter {
 public:
  Reporter() : ConsoleReporter(OO_Tabular) {}
  void ReportRuns(const std::vector<Run>& runs) override {
    // Of the repetitions of ours only the best is shown and counts, so that a busy
    // machine spoils no figure; the aggregates of the repetitions are not shown. The
    // figures are processor time: the build machines run other work beside this.
    std::vector<Run> shown;
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration) continue;
      if (shown.empty() || run.error_occurred) {
        shown.assign(1, run);
        if (run.error_occurred) break;
      } else if (run.cpu_accumulated_time / static_cast<double>(run.iterations) <
                 shown[0].cpu_accumulated_time / static_cast<double>(shown[0].iterations)) {
        shown[0] = run;
      }
    }
    if (shown.empty()) return;
    ConsoleReporter::ReportRuns(shown);
    for (const Run& run : shown) {
      if (run.error_occurred) {
        failed_ = true;
        continue;
      }
      const std::string& name = run.run_name.function_name;
      double seconds = run.cpu_accumulated_time / static_cast<double>(run.iterations);
      auto known = times_.find(name);
      if (known == times_.end() || seconds < known->second) times_[name] = seconds;
      entries_[name] = run.counters.count("entries") ? run.counters.at("entries").value : 0;
      for (const Comparison& c : kComparisons) {
        if (name == std::string(c.name) + "/literal") summarise(c);
      }
    }
  }
  bool failed() const { return failed_; }

 private:
  double time(const Comparison& c, const char* which, size_t index) {
    auto found =
        times_.find(std::string(c.name) + "/" + which + "/" + std::to_string(c.sizes[index]));
    return found == times_.end() ? 0 : found->second;
  }
  size_t count(const Comparison& c, size_t index) {
    auto found = entries_.find(std::string(c.name) + "/ours/" + std::to_string(c.sizes[index]));
    return found == entries_.end() ? 0 : static_cast<size_t>(found->second);
  }
  void summarise(const Comparison& c) {
    double half = time(c, "ours", 0), full = time(c, "ours", 1), twice = time(c, "ours", 2);
    double literal = times_[std::string(c.name) + "/literal"];
    if (half <= 0 || full <= 0 || twice <= 0 || literal <= 0) return;  // filtered out
    char line[256];
    std::snprintf(line, sizeof line,
                  "SCALE %s %zu -> %zu entries: x%.2f, %zu -> %zu entries: x%.2f\n", c.name,
                  count(c, 0), count(c, 1), full / half, count(c, 1), count(c, 2), twice / full);
    GetOutputStream() << line;
    std::snprintf(line, sizeof line,
                  "ours %.3f ms, step by step %.1f ms (processor time), at %zu entries\n",
                  full * 1e3, literal * 1e3, count(c, 1));
    GetOutputStream() << line;
    std::snprintf(line, sizeof line,
                  "goal: x%.0f faster %s, doubling the entries at most x%.1f %s\n", kGoalRatio,
                  literal / full >= kGoalRatio ? "met" : "not met", kGoalGrowth,
                  twice / full <= kGoalGrowth && full / half <= kGoalGrowth ? "met" : "not met");
    GetOutputStream() << line;
    std::snprintf(line, sizeof line, "RATIO %s %.1f\n", c.name, literal / full);
    GetOutputStream() << line << std::flush;
  }

  std::map<std::string, double> times_;
  std::map<std::string, double> entries_;
  bool failed_ = false;
};

}  // namespace
}  // namespace qpmulti

int main(int argc, char** argv) {
  using namespace qpmulti;
  // The lists are made once, before any timing.
  static std::map<std::string, std::vector<std::string>> lists;
  for (const Comparison& c : kComparisons) {
    for (size_t size : c.sizes) {
      std::string key = std::string(c.name) + "/" + std::to_string(size);
      lists[key] = c.make(size);
      std::string name = std::string(c.name) + "/ours/" + std::to_string(size);
      const std::vector<std::string>* texts = &lists[key];
      benchmark::RegisterBenchmark(
          name.c_str(),
          [=](benchmark::State& state) { timeOperation(state, *texts, c.ours, nullptr); })
          ->Unit(benchmark::kMillisecond)
          ->MinTime(0.3)
          ->Repetitions(5);
    }
    const std::vector<std::string>* texts =
        &lists[std::string(c.name) + "/" + std::to_string(c.sizes[1])];
    benchmark::RegisterBenchmark(
        (std::string(c.name) + "/literal").c_str(),
        [=](benchmark::State& state) { timeOperation(state, *texts, c.literal, c.ours); })
        ->Unit(benchmark::kMillisecond)
        ->Iterations(c.literalRuns);
  }
  benchmark::Initialize(&argc, argv);
  Reporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return reporter.failed() ? 1 : 0;
}
