// Debug-log lines of the session manager, each prefixed with the library's name.
#include "host/sess/sess_log.h"

#include <cstdarg>
#include <cstdio>

#include "hostapi/qpxcomm.h"

namespace qp::sess {

void logLine(const char* format, ...) {
  char text[QP_TEXT_LARGE + 16] = "QPXSESS: ";
  const size_t prefix = 9;
  va_list arguments;
  va_start(arguments, format);
  std::vsnprintf(text + prefix, sizeof text - prefix, format, arguments);
  va_end(arguments);
  // One call, one line: control characters from callers' texts must not break it.
  for (char* c = text; *c != '\0'; ++c) {
    if (static_cast<unsigned char>(*c) < 0x20) *c = '?';
  }
  WriteDebugLog(-1, text);
}

}  // namespace qp::sess
