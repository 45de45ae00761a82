// Recipient routing of outgoing mail: recipients of every form are typed, then each
// other member's are taken out as the sending does it. The one-pass split gives the same
// arrays as the step-by-step split; every recipient ends in exactly one member or the
// rest; what stays carries none of the taken types; retyping after validation hands
// every entry on. Also the Internet-address test and the recognised type.
#include <cstring>

#include "common/text.h"
#include "fuzz/fuzz_input.h"
#include "host/comm/address.h"
#include "multi/core/recipient_routing.h"
#include "multi/tests/common_address_text.h"
#include "multi/tests/host_list.h"
#include "multi/tests/literal_routing.h"

using namespace qpmulti;
using qpmulti::testing::TestHeap;

namespace {

const AddressText& kText = qpmulti::testing::kCommonAddressText;

// An address array as the host hands it: kAddressArrayEntries + 1 places. The places
// come from a pool and go back to it all null, so that a run does not clear 400 KB per
// array.
class Array {
 public:
  Array() {
    if (pool().empty()) pool().emplace_back(kAddressArrayEntries + 1, nullptr);
    places_ = std::move(pool().back());
    pool().pop_back();
  }
  ~Array() {
    // The entries stand together from the front, as the host keeps them.
    for (size_t i = 0; places_[i] != nullptr; ++i) {
      std::free(places_[i]);
      places_[i] = nullptr;
    }
    pool().push_back(std::move(places_));
  }
  Array(const Array&) = delete;
  Array& operator=(const Array&) = delete;

  char** data() { return places_.data(); }
  std::vector<std::string> texts() const {
    std::vector<std::string> out;
    for (size_t i = 0; i < kAddressArrayEntries && places_[i] != nullptr; ++i) {
      out.push_back(places_[i]);
    }
    return out;
  }
  void fill(const std::vector<std::string>& texts) {
    for (size_t i = 0; i < texts.size(); ++i) places_[i] = qpmulti::testing::copyOf(texts[i]);
  }

 private:
  static std::vector<std::vector<char*>>& pool() {
    static std::vector<std::vector<char*>> arrays;
    return arrays;
  }
  std::vector<char*> places_;
};

bool carriesAny(const char* entry, const std::vector<std::string>& types) {
  char bare[kBareAddressSize];
  qpcomm::stripFullName(entry, bare, sizeof bare);
  for (const std::string& type : types) {
    if (carriesType(bare, type.c_str())) return true;
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  qpfuzz::Input in(data, size);
  const RecipientForm form = in.flag() ? RecipientForm::kValidate : RecipientForm::kSend;
  std::vector<std::string> slotTexts;
  for (size_t n = 1 + in.smallUpTo(4); n > 0; --n) slotTexts.push_back(in.text());
  const std::string value = in.text();
  std::vector<std::string> recipients = in.texts(40);

  std::vector<const char*> slots;
  for (const std::string& t : slotTexts) slots.push_back(t.empty() ? nullptr : t.c_str());
  const MemberTypes types{slots.data(), slots.size()};
  const char* internet = internetType(value.c_str(), "(None)", types);
  FUZZ_CHECK(internet[0] == '\0' || types.has(internet));

  // The pure tests on every recipient text.
  for (const std::string& r : recipients) {
    const char* text = r.c_str();
    if (isInternetAddress(text)) {
      const char* at = std::strchr(text, '@');
      FUZZ_CHECK(at != nullptr && std::strchr(at, '.') != nullptr && !std::strchr(text, ':'));
    }
    char type[8];
    const char* rest = splitRecognisedType(text, type, sizeof type);
    FUZZ_CHECK(rest >= text && rest <= text + r.size() && std::strlen(type) < sizeof type);
    FUZZ_CHECK(rest == text || rest[-1] == ':');
  }

  TestHeap heap;
  const EntryMemory memory = heap.memory();
  Array typed;
  typed.fill(recipients);
  typeRecipients(typed.data(), internet, types, kText, memory);
  const std::vector<std::string> start = typed.texts();
  FUZZ_CHECK(start.size() == recipients.size());

  Array ours, theirs;
  ours.fill(start);
  theirs.fill(start);
  size_t count = start.size();
  size_t takenTotal = 0;
  std::vector<std::string> takenTypes;
  for (size_t k = 1; k < slots.size(); ++k) {
    if (slots[k] == nullptr) continue;
    Array oursTaken, theirsTaken, collected;
    size_t takenCount = 0;
    count = takeMemberRecipients(ours.data(), count, slots[k], form, oursTaken.data(), takenCount,
                                 kText, memory);
    size_t n = literal::takeMemberRecipients(theirs.data(), slots[k], form, theirsTaken.data(),
                                             kText, memory);
    FUZZ_CHECK(takenCount == n);
    FUZZ_CHECK(oursTaken.texts() == theirsTaken.texts());
    FUZZ_CHECK(ours.texts() == theirs.texts());
    FUZZ_CHECK(ours.texts().size() == count);
    takenTotal += takenCount;
    takenTypes.push_back(slots[k]);
    // Retyping after validation hands every taken entry on and empties the member's array.
    size_t collectedCount = 0;
    retypeValidated(oursTaken.data(), slots[k], collected.data(), collectedCount, kText, memory);
    FUZZ_CHECK(collectedCount == takenCount && oursTaken.texts().empty());
    FUZZ_CHECK(collected.texts().size() == takenCount);
  }
  FUZZ_CHECK(takenTotal + count == start.size());
  for (const std::string& left : ours.texts()) FUZZ_CHECK(!carriesAny(left.c_str(), takenTypes));
  untypeRemaining(ours.data(), count, types.primary(), form, kText, memory);
  FUZZ_CHECK(ours.texts().size() == count);
  return 0;
}
