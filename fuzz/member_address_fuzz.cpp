// Address typing and the recipient forms of address books: the typed address of any
// name, address and type stays within its buffer, is complete exactly when it fits, and
// carries the type before the bare address; the typed book recipient's length is what
// its formatting writes; a typed name finds the lowest slot whose prefix begins it; a
// public entry is rewritten only when the whole typed form fits.
#include <cstring>

#include "common/text.h"
#include "fuzz/fuzz_input.h"
#include "host/comm/address.h"
#include "multi/core/book_names.h"
#include "multi/core/member_address.h"

using namespace qpmulti;

namespace {
void encode(char* text, size_t size, void*) { qpcomm::encodeFullName(text, size); }
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  qpfuzz::Input in(data, size);
  const size_t outSize = 1 + in.upTo(kTypedAddressSize + 40);
  const std::string name = in.text();
  const std::string bare = in.text();
  const std::string type = in.text();
  std::vector<std::string> prefixes = in.texts(6);

  {
    std::vector<char> out(outSize + 16, '\xA5');
    bool fit = TypeMemberAddress(name.c_str(), bare.c_str(), type.c_str(), encode, nullptr,
                                 out.data(), outSize);
    size_t length = std::strlen(out.data());
    FUZZ_CHECK(length < outSize);
    for (size_t i = outSize; i < out.size(); ++i) FUZZ_CHECK(out[i] == '\xA5');
    // The long form has room for what the buffers keep, so it fits exactly when it is
    // shorter than the buffer.
    std::vector<char> big(kFullNameSize + kBareAddressSize + type.size() + 16);
    bool bigFit = TypeMemberAddress(name.c_str(), bare.c_str(), type.c_str(), encode, nullptr,
                                    big.data(), big.size());
    FUZZ_CHECK(bigFit);
    FUZZ_CHECK(fit == (std::strlen(big.data()) < outSize));
    if (fit) FUZZ_CHECK(std::strcmp(out.data(), big.data()) == 0);
    std::string typedText(big.data());
    FUZZ_CHECK(typedText.find(type + ":") != std::string::npos);
  }
  {
    size_t expected = typedRecipientLength(name.c_str(), type.c_str(), bare.c_str());
    std::vector<char> out(outSize + 16, '\xA5');
    bool fit = formatTypedRecipient(name.c_str(), type.c_str(), bare.c_str(), out.data(), outSize);
    FUZZ_CHECK(fit == (expected < outSize));
    FUZZ_CHECK(std::strlen(out.data()) == (fit ? expected : outSize - 1));
    for (size_t i = outSize; i < out.size(); ++i) FUZZ_CHECK(out[i] == '\xA5');
  }
  {
    std::vector<const char*> slots;
    for (const std::string& p : prefixes) slots.push_back(p == "\x01" ? nullptr : p.c_str());
    int slot = findTypedSlot(name.c_str(), slots.data(), slots.size());
    for (int k = 0; k < static_cast<int>(slots.size()); ++k) {
      bool begins = slots[k] != nullptr && slots[k][0] != '\0' &&
                    qp::startsWithNoCase(name.c_str(), slots[k]);
      if (k < slot || slot < 0) FUZZ_CHECK(!begins);
      if (k == slot) FUZZ_CHECK(begins);
    }
  }
  {
    char entry[kPublicEntrySize + 16];
    std::memset(entry, 0, sizeof entry);
    qp::copyText(entry, kPublicEntrySize, bare.c_str());
    std::memset(entry + kPublicEntrySize, 0xA5, 16);
    const std::string before(entry);
    bool rewritten = typePublicEntry(name.c_str(), bare.c_str(), type.c_str(), encode, nullptr, entry);
    if (!rewritten) FUZZ_CHECK(before == entry);
    FUZZ_CHECK(std::memchr(entry, 0, kPublicEntrySize) != nullptr);
    for (size_t i = kPublicEntrySize; i < sizeof entry; ++i) FUZZ_CHECK(entry[i] == '\xA5');
  }
  return 0;
}
