// Message boxes of QPXMULTI.DLL; see message_box.h.
#include "multi/message_box.h"

#include <cstdarg>
#include <cstdio>

#include "hostapi/qpxcomm.h"

namespace qpmulti {

namespace {

constexpr int32_t kMessageLimit = 150;
constexpr unsigned kCaptionMessage = 3600;

int show(HWND owner, const char* text, UINT style) {
  char caption[kMessageSize];
  formatMessage(caption, sizeof caption, kCaptionMessage, QPGetAppName());
  return ::MessageBoxA(owner, text, caption, style | MB_TASKMODAL | MB_SETFOREGROUND);
}

}  // namespace

void formatMessage(char* out, size_t size, unsigned number, ...) {
  if (out == nullptr || size == 0) return;
  va_list arguments;
  va_start(arguments, number);
  // snprintf takes the table's wsprintf conversions (%s, %u, %ld) alike and, unlike
  // wsprintf, is bounded by the buffer.
  int written = std::vsnprintf(out, size, GetString(number, kMessageLimit), arguments);
  va_end(arguments);
  if (written < 0) out[0] = '\0';
}

void showError(HWND owner, const char* text) { show(owner, text, MB_OK | MB_ICONERROR); }

void showWarning(HWND owner, const char* text) { show(owner, text, MB_OK | MB_ICONWARNING); }

bool askYes(HWND owner, const char* text) {
  return show(owner, text, MB_YESNOCANCEL | MB_ICONQUESTION) == IDYES;
}

}  // namespace qpmulti
