// Reads the tail of the debug log that appeared after a mark.
#include "host/sess/tests/server_log.h"

#include <windows.h>

#include "common/win/unique.h"
#include "hostapi/qpxcomm.h"

namespace qptest {

namespace {

qp::UniqueFile openLog(const std::string& path) {
  return qp::UniqueFile(::CreateFileA(path.c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

}  // namespace

DebugLogWatch::DebugLogWatch() {
  char directory[MAX_PATH];
  QPGetServerDirectory(directory, sizeof directory);
  path_ = std::string(directory) + "QPDEBUG.LOG";
  qp::UniqueFile file = openLog(path_);
  LARGE_INTEGER size;
  if (file && ::GetFileSizeEx(file.get(), &size))
    start_ = static_cast<unsigned long long>(size.QuadPart);
}

std::string DebugLogWatch::appended() const {
  qp::UniqueFile file = openLog(path_);
  if (!file) return std::string();
  LARGE_INTEGER offset;
  offset.QuadPart = static_cast<LONGLONG>(start_);
  if (!::SetFilePointerEx(file.get(), offset, nullptr, FILE_BEGIN)) return std::string();
  std::string text;
  char buffer[4096];
  DWORD got = 0;
  while (::ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr) && got > 0)
    text.append(buffer, got);
  return text;
}

}  // namespace qptest
