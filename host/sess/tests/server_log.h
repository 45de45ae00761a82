// Test helper: what other code appended to the debug log QPDEBUG.LOG of the server
// directory since the helper was made. Other test programs may write to the same log at
// the same time, so checks look for lines that name something of their own.
#pragma once

#include <string>

namespace qptest {

class DebugLogWatch {
 public:
  DebugLogWatch();
  std::string appended() const;

 private:
  std::string path_;
  unsigned long long start_ = 0;
};

}  // namespace qptest
