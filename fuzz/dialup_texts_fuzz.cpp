// The dial-up library's handling of outside texts: registry and RAS data of any bytes
// cut into a buffer (a prefix up to the first zero, complete exactly when it fit), and
// message texts of any conversions filled in from a counted list of values (within the
// buffer, never more values read than given, plain text copied as it is).
#include <cstring>

#include "dialup/core/dial_logic.h"
#include "fuzz/fuzz_input.h"

using namespace qpras;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  qpfuzz::Input in(data, size);
  const size_t outSize = in.upTo(kRegistryTextSize + 20);
  const size_t argCount = in.smallUpTo(6);
  std::vector<std::string> argTexts;
  std::vector<MessageArg> args;
  for (size_t i = 0; i < argCount; ++i) argTexts.push_back(in.text());
  for (size_t i = 0; i < argCount; ++i) {
    bool asText = in.flag();
    long number = static_cast<long>(static_cast<int32_t>(in.upTo(SIZE_MAX) * 65599u));
    args.push_back({asText ? argTexts[i].c_str() : nullptr, number});
  }
  const std::string format = in.text();
  const std::string raw = in.rest();

  {
    // Registry data need not be terminated: exactly raw.size() bytes are readable.
    std::vector<char> value(raw.begin(), raw.end());
    std::vector<char> out(outSize + 16, '\xA5');
    bool fit = fitText(out.data(), outSize, value.data(), value.size());
    for (size_t i = outSize; i < out.size(); ++i) FUZZ_CHECK(out[i] == '\xA5');
    const std::string whole = raw.substr(0, raw.find('\0'));
    if (outSize == 0) {
      FUZZ_CHECK(out[0] == '\xA5');
    } else {
      FUZZ_CHECK(std::memchr(out.data(), 0, outSize) != nullptr);
      FUZZ_CHECK(fit == (whole.size() < outSize));
      FUZZ_CHECK(whole.compare(0, std::string::npos, out.data(), std::strlen(out.data())) == 0 ||
                 whole.compare(0, std::strlen(out.data()), out.data()) == 0);
      FUZZ_CHECK(std::strlen(out.data()) == std::min(whole.size(), outSize - 1));
    }
  }
  {
    std::vector<char> out(outSize + 16, '\xA5');
    formatMessage(format.c_str(), args.data(), args.size(), out.data(), outSize);
    for (size_t i = outSize; i < out.size(); ++i) FUZZ_CHECK(out[i] == '\xA5');
    if (outSize > 0) {
      FUZZ_CHECK(std::memchr(out.data(), 0, outSize) != nullptr);
      // A cut text is the start of the whole one.
      size_t room = format.size() + 1;
      for (const std::string& t : argTexts) room += t.size() + 24;
      std::vector<char> whole(room + 1);
      formatMessage(format.c_str(), args.data(), args.size(), whole.data(), whole.size());
      FUZZ_CHECK(std::strlen(whole.data()) < room);  // not cut
      FUZZ_CHECK(std::strncmp(whole.data(), out.data(), std::strlen(out.data())) == 0);
      FUZZ_CHECK(std::strlen(out.data()) == std::min(std::strlen(whole.data()), outSize - 1));
      if (format.find('%') == std::string::npos) {
        FUZZ_CHECK(format.compare(0, std::strlen(out.data()), out.data()) == 0);
        FUZZ_CHECK(std::strlen(out.data()) == std::min(format.size(), outSize - 1));
      }
    }
  }
  return 0;
}
