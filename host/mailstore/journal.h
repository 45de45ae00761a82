// The journal of a sample mail store: one line per call received, "<Operation> <arg> ...",
// texts quoted, numbers in decimal, passwords as ***.
#pragma once

#include <cstdint>
#include <string>

namespace qp::mailstore {

constexpr const char* kJournalFileName = "JOURNAL.LOG";

class JournalLine {
 public:
  explicit JournalLine(const char* operation);

  // A text in double quotes; '"' and '\' are escaped with '\', CR, LF and tab as \r \n \t,
  // other control characters as \xHH, so that every call stays on one line. A null text
  // is written as null.
  JournalLine& text(const char* value);
  JournalLine& number(int64_t value);
  // A password: written as *** whatever it is.
  JournalLine& secret();

  // The line with its CRLF line end.
  std::string finished() const;

 private:
  std::string line_;
};

}  // namespace qp::mailstore
