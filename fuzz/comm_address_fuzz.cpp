// The common library's address helpers and list splitters on any text: bare address and
// full name stay within any buffer (a cut result is the start of the whole one); a
// quoted full name fits its buffer and reads back as the name; the splitters keep their
// entry limit, trimmed non-empty entries without separators; the line splitter loses
// nothing but line ends.
#include <cstring>

#include "fuzz/fuzz_input.h"
#include "host/comm/address.h"

using namespace qpcomm;

namespace {

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

void checkEntries(const std::vector<std::string>& entries, size_t most) {
  FUZZ_CHECK(entries.size() <= most);
  for (const std::string& e : entries) {
    FUZZ_CHECK(!e.empty() && !isSpace(e.front()) && !isSpace(e.back()));
  }
}

// Calls f(out, size) with a buffer of `size` bytes poisoned behind it; returns the text.
template <typename F>
std::string intoBuffer(size_t size, F f) {
  std::vector<char> out(size + 16, '\xA5');
  f(out.data(), size);
  FUZZ_CHECK(size == 0 || std::memchr(out.data(), 0, size) != nullptr);
  for (size_t i = size; i < out.size(); ++i) FUZZ_CHECK(out[i] == '\xA5');
  return size == 0 ? std::string() : std::string(out.data());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  qpfuzz::Input in(data, size);
  const size_t bufferSize = in.upTo(600);
  const size_t most = 1 + in.smallUpTo(60);
  const std::string text = in.text();
  const char* t = text.c_str();

  for (auto parse : {stripFullName, parseFullNameFromAddress}) {
    std::string cut = intoBuffer(bufferSize, [&](char* o, size_t s) { parse(t, o, s); });
    std::string whole = intoBuffer(text.size() + 1, [&](char* o, size_t s) { parse(t, o, s); });
    FUZZ_CHECK(whole.compare(0, cut.size(), cut) == 0);
    FUZZ_CHECK(cut.size() == std::min(whole.size(), bufferSize == 0 ? 0 : bufferSize - 1));
  }

  // Quoting in place within a buffer of bufferSize bytes.
  if (bufferSize > text.size()) {
    std::vector<char> name(bufferSize + 16, '\xA5');
    std::memcpy(name.data(), t, text.size() + 1);
    bool fit = encodeFullName(name.data(), bufferSize);
    for (size_t i = bufferSize; i < name.size(); ++i) FUZZ_CHECK(name[i] == '\xA5');
    FUZZ_CHECK(std::memchr(name.data(), 0, bufferSize) != nullptr);
    if (!fit) FUZZ_CHECK(text == name.data());
    const std::string encoded(name.data());
    // A quoted name stands in front of an address and reads back as the name.
    if (fit && encoded != text) {
      FUZZ_CHECK(encoded.size() >= text.size() + 2 && encoded.front() == '"' && encoded.back() == '"');
      std::string address = encoded + " <box@host.org>";
      char back[2048];
      parseFullNameFromAddress(address.c_str(), back, sizeof back);
      char bare[2048];
      stripFullName(address.c_str(), bare, sizeof bare);
      FUZZ_CHECK(std::strcmp(bare, "box@host.org") == 0);
      if (text.size() < 1000 && !isSpace(text.front()) && !isSpace(text.back())) {
        FUZZ_CHECK(text == back);
      }
    }
  }

  checkEntries(splitAddressList(t, most), most);
  std::vector<std::string> attachments = splitAttachmentList(t, most);
  checkEntries(attachments, most);
  for (const std::string& a : attachments) FUZZ_CHECK(a.find_first_of(";\r\n") == std::string::npos);

  std::vector<std::string> lines = splitLines(t, most);
  FUZZ_CHECK(lines.size() <= most);
  if (lines.size() < most) {
    std::string joined;
    for (size_t i = 0; i < lines.size(); ++i) {
      FUZZ_CHECK(lines[i].find('\n') == std::string::npos);
      joined += (i ? "\n" : "") + lines[i];
    }
    std::string expected;
    for (size_t i = 0; i < text.size(); ++i) {
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
      expected += text[i];
    }
    if (!expected.empty() && expected.back() == '\n') expected.pop_back();
    FUZZ_CHECK(joined == expected);
  }
  return 0;
}
