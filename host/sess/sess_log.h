// One formatted line to the common library's debug log, for every reason the session
// manager turns a call away.
#pragma once

namespace qp::sess {

// Formats like printf (cut to 500 characters) and writes the line at level -1.
void logLine(const char* format, ...) __attribute__((format(gnu_printf, 1, 2)));

}  // namespace qp::sess
