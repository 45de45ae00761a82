// The stand-in dial-up service's script on any text: parsing ends with a script or with
// "line N: why" for a line that exists; entries keep RAS's text limits and are found
// again by name; a journal line of any values holds no raw tab or line end inside them.
#include <algorithm>

#include "fuzz/fuzz_input.h"
#include "host/rasfake/core/script.h"

using namespace rasfake;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  Script script;
  std::string error;
  if (!parseScript(text, script, error)) {
    FUZZ_CHECK(error.compare(0, 5, "line ") == 0);
    size_t line = std::strtoul(error.c_str() + 5, nullptr, 10);
    size_t lines = static_cast<size_t>(std::count(text.begin(), text.end(), '\n')) + 1;
    FUZZ_CHECK(line >= 1 && line <= lines);
  } else {
    for (const Entry& e : script.entries) {
      FUZZ_CHECK(e.name.size() <= kMaxName && e.phone.size() <= kMaxPhone);
      FUZZ_CHECK(e.user.size() <= kMaxCredential && e.password.size() <= kMaxCredential);
      if (e.name.find('\0') == std::string::npos) {
        FUZZ_CHECK(findEntry(script, e.name.c_str()) != nullptr);
      }
    }
  }

  // Journal lines: values of the text's lines.
  std::vector<std::pair<std::string, std::string>> fields;
  size_t start = 0;
  while (start < text.size() && fields.size() < 4) {
    size_t end = std::min(text.find('|', start), text.size());
    fields.emplace_back("v", text.substr(start, end - start));
    start = end + 1;
  }
  std::string line = journalLine("RasDialA", fields, 0);
  FUZZ_CHECK(line.find('\n') == std::string::npos && line.find('\r') == std::string::npos);
  FUZZ_CHECK(static_cast<size_t>(std::count(line.begin(), line.end(), '\t')) == fields.size() + 1);
  return 0;
}
