// The generator's column parser on any input line: every field of the entry ends within
// its size and holds at most its column's limit, the bytes after the fields stay zero,
// each kept text is a piece of the line, and the raw-bytes form agrees with the text form.
#include <cstring>

#include "abgen/core/columns.h"
#include "fuzz/fuzz_input.h"

using namespace abgen;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  BookEntry fromBytes;
  bool completeBytes = splitLineBytes(data, size, fromBytes);

  // The line as the generator's buffer holds it.
  size_t n = std::min(size, kLineBufferSize - 1);
  std::string line(reinterpret_cast<const char*>(data), n);
  line = line.c_str();
  BookEntry fromText;
  bool completeText = splitLine(line.c_str(), fromText, skipSpacesAndTabs);
  FUZZ_CHECK(completeBytes == completeText);
  FUZZ_CHECK(std::memcmp(fromBytes.bytes, fromText.bytes, kEntrySize) == 0);
  FUZZ_CHECK(completeText == fromText.complete());

  struct Limit {
    EntryField field;
    size_t limit;
  } const limits[] = {{kNameField, 50}, {kAddressField, 255}, {kColumn3Field, 40}, {kColumn4Field, 500}};
  for (const Limit& l : limits) {
    const char* text = fromText.field(l.field);
    size_t length = strnlen(text, l.field.size);
    FUZZ_CHECK(length <= l.limit);
    FUZZ_CHECK(line.find(std::string(text, length)) != std::string::npos);
    FUZZ_CHECK(std::memchr(text, '"', length) == nullptr);
  }
  for (size_t i = kColumn4Field.offset + kColumn4Field.size; i < kEntrySize; ++i) {
    FUZZ_CHECK(fromText.bytes[i] == 0);
  }
  return 0;
}
