// make bench, sending part: the member split of an outgoing message with 10,000
// recipients over five members of four mailbox types plus Internet addresses, ours (one
// pass per member) against the step-by-step split (every removal moves the rest of the
// array). The recipients are typed before the clock starts (the same work for both);
// timed are the takes of slots 1..4 in order and the untyping of the rest for the
// primary member. Ours runs best of five repetitions, the step-by-step one
// once; the arrays each leaves are checked against ours. Prints
//   ours <ms>, step by step <ms>, at <n> recipients
//   goal: x100 faster met|not met
//   RATIO send_split <step-by-step time / our time>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "host/comm/address.h"
#include "multi/core/recipient_routing.h"
#include "multi/tests/common_address_text.h"
#include "multi/tests/literal_routing.h"

namespace qpmulti {
namespace {

char* allocateEntry(size_t size, void*) { return static_cast<char*>(std::calloc(size, 1)); }
void releaseEntry(char* entry, void*) { std::free(entry); }
const EntryMemory kMemory{allocateEntry, releaseEntry, nullptr};
const AddressText& kText = qpmulti::testing::kCommonAddressText;

// Slot 0 POP3 (primary), 1 SMTP (the Internet member), 2 IMAP, 3 NW, 4 IMAP again.
const char* const kSlots[] = {"POP3", "SMTP", "IMAP", "NW", "IMAP"};
const MemberTypes kTypes{kSlots, 5};
constexpr size_t kRecipients = 10000;

// Three address arrays (6,000, 3,000 and 1,000 recipients) that free what they hold.
struct Message {
  std::vector<char*> arrays[3];
  explicit Message(const std::vector<std::string>& texts) {
    size_t counts[3] = {0, 0, 0};
    for (auto& a : arrays) a.assign(kAddressArrayEntries + 1, nullptr);
    for (size_t i = 0; i < texts.size(); ++i) {
      size_t which = i % 10 < 6 ? 0 : i % 10 < 9 ? 1 : 2;
      char* e = static_cast<char*>(std::malloc(texts[i].size() + 1));
      std::memcpy(e, texts[i].c_str(), texts[i].size() + 1);
      arrays[which][counts[which]++] = e;
    }
  }
  ~Message() {
    for (auto& a : arrays)
      for (char* e : a) std::free(e);
  }
  std::vector<std::string> texts() const {
    std::vector<std::string> out;
    for (auto& a : arrays)
      for (size_t i = 0; a[i] != nullptr; ++i) out.push_back(a[i]);
    out.push_back("|");
    return out;
  }
};

std::vector<std::string> recipients() {
  std::mt19937 random(5);
  const char* forms[] = {"", "", "POP3:", "imap:", "NW:", "SMTP:", "X400:"};
  std::vector<std::string> out;
  for (size_t i = 0; i < kRecipients; ++i) {
    std::string bare = forms[random() % 7] + ("user" + std::to_string(i));
    if (random() % 2) bare += "@example.org";
    out.push_back(random() % 3 ? bare : "Person " + std::to_string(i) + " <" + bare + ">");
  }
  return out;
}

// One whole split; what the members received is collected into `sent` when given.
void type(Message& m) {
  for (auto& a : m.arrays) typeRecipients(a.data(), "SMTP", kTypes, kText, kMemory);
}

template <bool kLiteral>
void split(Message& m, std::vector<std::string>* sent) {
  for (size_t k = 1; k < kTypes.count; ++k) {
    if (std::strcmp(kSlots[k], kTypes.primary()) == 0) continue;
    for (auto& a : m.arrays) {
      std::vector<char*> member(kAddressArrayEntries + 1, nullptr);
      if (kLiteral) {
        literal::takeMemberRecipients(a.data(), kSlots[k], RecipientForm::kSend, member.data(),
                                      kText, kMemory);
      } else {
        size_t taken = 0;
        takeMemberRecipients(a.data(), countAddresses(a.data()), kSlots[k],
                             RecipientForm::kSend, member.data(), taken, kText, kMemory);
      }
      for (size_t i = 0; member[i] != nullptr; ++i) {
        if (sent) sent->push_back(member[i]);
        std::free(member[i]);
      }
    }
  }
  for (auto& a : m.arrays)
    untypeRemaining(a.data(), countAddresses(a.data()), kTypes.primary(), RecipientForm::kSend,
                    kText, kMemory);
}

void timeSplit(benchmark::State& state, bool literal) {
  static const std::vector<std::string> texts = recipients();
  for (auto _ : state) {
    state.PauseTiming();
    auto* m = new Message(texts);
    type(*m);
    state.ResumeTiming();
    literal ? split<true>(*m, nullptr) : split<false>(*m, nullptr);
    state.PauseTiming();
    delete m;
    state.ResumeTiming();
  }
}

// Keeps the best processor time per benchmark name.
class Reporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration || run.error_occurred) continue;
      double seconds = run.cpu_accumulated_time / static_cast<double>(run.iterations);
      double& best = run.run_name.function_name == "send_split/literal" ? literal : ours;
      if (best == 0 || seconds < best) best = seconds;
    }
  }
  double ours = 0;
  double literal = 0;
};

}  // namespace
}  // namespace qpmulti

int main(int argc, char** argv) {
  using namespace qpmulti;
  // Both splits must leave the same arrays and send the same texts.
  {
    std::vector<std::string> texts = recipients();
    Message a(texts), b(texts);
    std::vector<std::string> sentA, sentB;
    type(a);
    type(b);
    split<false>(a, &sentA);
    split<true>(b, &sentB);
    if (a.texts() != b.texts() || sentA != sentB) {
      std::fprintf(stderr, "send_split: the step-by-step split differs from ours\n");
      return 1;
    }
  }
  benchmark::RegisterBenchmark("send_split/ours",
                               [](benchmark::State& s) { timeSplit(s, false); })
      ->Unit(benchmark::kMillisecond)
      ->MinTime(0.3)
      ->Repetitions(5);
  benchmark::RegisterBenchmark("send_split/literal",
                               [](benchmark::State& s) { timeSplit(s, true); })
      ->Unit(benchmark::kMillisecond)
      ->Iterations(1);
  benchmark::Initialize(&argc, argv);
  Reporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  if (reporter.ours <= 0 || reporter.literal <= 0) return 1;
  double ratio = reporter.literal / reporter.ours;
  std::printf("ours %.3f ms, step by step %.1f ms (processor time), at %zu recipients\n",
              reporter.ours * 1e3, reporter.literal * 1e3, kRecipients);
  std::printf("goal: x100 faster %s\n", ratio >= 100 ? "met" : "not met");
  std::printf("RATIO send_split %.1f\n", ratio);
  return 0;
}
