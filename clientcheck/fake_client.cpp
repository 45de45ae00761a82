// TRN32FAKE.EXE: a stand-in for the Ternwing desktop client, for the tests and the demo.
// One visible top-level window of class "Trn32" that closes on WM_CLOSE, refuses to, or
// closes only when told (fake_client.h has the command line). It prints what happens to
// it, and its exit code is the number of WM_CLOSE messages it received.
#include "clientcheck/fake_client.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

enum class Mode { Close, Refuse, Told };

Mode mode = Mode::Close;
DWORD closeDelayMs = 0;
int closeCount = 0;

void say(const char* text) {
  std::printf("TRN32FAKE: %s\n", text);
  std::fflush(stdout);
}

LRESULT CALLBACK clientWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CLOSE:
      ++closeCount;
      if (mode != Mode::Close) {
        say("WM_CLOSE received; staying open");
        return 0;
      }
      if (closeDelayMs > 0) {
        say("WM_CLOSE received; finishing work before closing");
        ::Sleep(closeDelayMs);
      }
      say("WM_CLOSE received; closing");
      ::DestroyWindow(window);
      return 0;
    case trn32fake::kExitNow:
      if (mode == Mode::Told) {
        say("told to exit; closing");
        ::DestroyWindow(window);
      }
      return 0;
    case trn32fake::kCloseCount:
      return closeCount;
    case WM_DESTROY:
      ::PostQuitMessage(0);
      return 0;
  }
  return ::DefWindowProcA(window, message, wParam, lParam);
}

bool parseMode(int argc, char** argv) {
  if (argc < 2) return false;
  if (std::strcmp(argv[1], "close") == 0 && argc <= 3) {
    mode = Mode::Close;
    if (argc == 3) closeDelayMs = static_cast<DWORD>(std::strtoul(argv[2], nullptr, 10));
    return true;
  }
  if (argc != 2) return false;
  if (std::strcmp(argv[1], "refuse") == 0) mode = Mode::Refuse;
  else if (std::strcmp(argv[1], "told") == 0) mode = Mode::Told;
  else return false;
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (!parseMode(argc, argv)) {
    std::fprintf(stderr, "usage: TRN32FAKE close [DELAY_MS] | refuse | told\n");
    return 255;
  }
  HINSTANCE instance = ::GetModuleHandleA(nullptr);
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = clientWindow;
  windowClass.hInstance = instance;
  windowClass.hCursor = ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  windowClass.lpszClassName = trn32fake::kWindowClass;
  if (!::RegisterClassA(&windowClass)) return 255;

  char title[64];
  std::snprintf(title, sizeof title, "Ternwing! 2000 (stand-in, %s)", argv[1]);
  HWND window = ::CreateWindowExA(0, trn32fake::kWindowClass, title, WS_OVERLAPPEDWINDOW,
                                  40, 40, 360, 140, nullptr, nullptr, instance, nullptr);
  if (!window) return 255;
  ::ShowWindow(window, SW_SHOWNORMAL);
  char line[96];
  std::snprintf(line, sizeof line, "window of class %s is up (%s)", trn32fake::kWindowClass, argv[1]);
  say(line);

  MSG message;
  while (::GetMessageA(&message, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&message);
    ::DispatchMessageA(&message);
  }
  return closeCount;
}
