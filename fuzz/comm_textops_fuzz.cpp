// The common library's text operations on any text: a tidied name stays within its
// buffer with single inner spaces, no blanks around it and no control characters, and
// is idempotent; the case-insensitive search agrees with a plain search of the folded
// texts; trailing blanks and hard spaces are cut where they should be; a profile boolean
// is 1, 0 or the default.
#include <cstring>

#include "fuzz/fuzz_input.h"
#include "host/comm/textops.h"

using namespace qpcomm;

namespace {

std::string folded(std::string s) {
  for (char& c : s) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  qpfuzz::Input in(data, size);
  const size_t nameSize = 1 + in.upTo(300);
  const std::string text = in.text();
  const std::string part = in.text();

  {
    // The name may fill the whole buffer without a terminator.
    std::vector<char> name(nameSize + 16, '\xA5');
    std::memset(name.data(), 0, nameSize);
    std::memcpy(name.data(), text.data(), std::min(text.size(), nameSize));
    normalizeName(name.data(), nameSize);
    for (size_t i = nameSize; i < name.size(); ++i) FUZZ_CHECK(name[i] == '\xA5');
    FUZZ_CHECK(std::memchr(name.data(), 0, nameSize) != nullptr);
    const std::string tidy(name.data());
    for (unsigned char c : tidy) FUZZ_CHECK(c >= 0x20 && c != 0x7F && c != '\t');
    FUZZ_CHECK(tidy.empty() || (tidy.front() != ' ' && tidy.back() != ' '));
    FUZZ_CHECK(tidy.find("  ") == std::string::npos);
    // Nothing stale behind the name within the part it held.
    for (size_t i = tidy.size(); i < std::min(text.size(), nameSize); ++i) FUZZ_CHECK(name[i] == 0);
    normalizeName(name.data(), nameSize);
    FUZZ_CHECK(tidy == name.data());
  }
  {
    const char* found = findNoCase(text.c_str(), part.c_str());
    size_t expected = folded(text).find(folded(part));
    if (expected == std::string::npos) {
      FUZZ_CHECK(found == nullptr);
    } else {
      FUZZ_CHECK(found == text.c_str() + expected);
    }
  }
  {
    std::string copy = text;
    stripTrailingSpaces(copy.data());
    std::string cut(copy.c_str());
    FUZZ_CHECK(text.compare(0, cut.size(), cut) == 0);
    FUZZ_CHECK(cut.empty() || std::strchr(" \t\r\n", cut.back()) == nullptr);
    FUZZ_CHECK(text.find_first_not_of(" \t\r\n", cut.size()) == std::string::npos);
    copy = text;
    stripHardSpaces(copy.data());
    FUZZ_CHECK(std::string(copy.c_str()) == text.substr(0, text.find('\xFF')));
    const char* nonBlank = findNonBlank(text.c_str());
    FUZZ_CHECK(nonBlank == text.c_str() + std::min(text.find_first_not_of(" \t"), text.size()));
  }
  int value = parseProfileBool(text.c_str(), 7);
  FUZZ_CHECK(value == 0 || value == 1 || value == 7);
  FUZZ_CHECK(parseProfileBool(text.c_str(), 8) == (value == 7 ? 8 : value));
  return 0;
}
