// TRN32CHK.DLL: makes sure the Ternwing desktop mail client is not running before an
// installation. A running client (a top-level window of class "Trn32") is asked to close
// and given five seconds; while its window is still there, the user is asked to exit it
// and may try again or give up.
#include <windows.h>

#include "clientcheck/trn32chk.h"

namespace {

constexpr char kClientClass[] = "Trn32";
constexpr char kMessage[] =
    "Ternwing! 2000 is currently active.\n"
    "You must exit Ternwing! 2000 before continuing this installation.";
constexpr char kCaption[] = "Please exit Ternwing! 2000";
constexpr UINT kBoxFlags = MB_SETFOREGROUND | MB_TASKMODAL | MB_ICONERROR | MB_RETRYCANCEL;
// How long the client gets to go away once it has handled WM_CLOSE.
constexpr DWORD kCloseWaitMs = 5000;

}  // namespace

extern "C" int32_t QPAPI CheckTrn32Running(int32_t /*unused*/) {
  for (;;) {
    if (HWND client = ::FindWindowA(kClientClass, nullptr)) {
      // Synchronous: returns once the client has handled the request (a client that asks
      // its user to save first holds us here until the question is answered).
      ::SendMessageA(client, WM_CLOSE, 0, 0);
      ::Sleep(kCloseWaitMs);
    }
    if (!::FindWindowA(kClientClass, nullptr)) return 0;
    // Anything but Retry (Cancel, or a box that could not be shown) gives up.
    if (::MessageBoxA(nullptr, kMessage, kCaption, kBoxFlags) != IDRETRY) return 1;
  }
}
