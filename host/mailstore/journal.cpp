// Formatting of journal lines.
#include "host/mailstore/journal.h"

namespace qp::mailstore {

JournalLine::JournalLine(const char* operation) : line_(operation) {}

JournalLine& JournalLine::text(const char* value) {
  if (value == nullptr) {
    line_ += " null";
    return *this;
  }
  static const char kHex[] = "0123456789ABCDEF";
  line_ += " \"";
  for (const char* p = value; *p != '\0'; ++p) {
    unsigned char c = static_cast<unsigned char>(*p);
    switch (c) {
      case '"':
        line_ += "\\\"";
        break;
      case '\\':
        line_ += "\\\\";
        break;
      case '\r':
        line_ += "\\r";
        break;
      case '\n':
        line_ += "\\n";
        break;
      case '\t':
        line_ += "\\t";
        break;
      default:
        if (c < 0x20 || c == 0x7F) {
          line_ += "\\x";
          line_ += kHex[c >> 4];
          line_ += kHex[c & 0xF];
        } else {
          line_ += static_cast<char>(c);
        }
    }
  }
  line_ += '"';
  return *this;
}

JournalLine& JournalLine::number(int64_t value) {
  line_ += ' ';
  line_ += std::to_string(value);
  return *this;
}

JournalLine& JournalLine::secret() {
  line_ += " ***";
  return *this;
}

std::string JournalLine::finished() const { return line_ + "\r\n"; }

}  // namespace qp::mailstore
