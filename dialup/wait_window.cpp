// The wait window "WAITDLG" of one dial attempt (see wait_window.h).
#include "dialup/wait_window.h"

#include <atomic>

#include "dialup/core/ras_types.h"
#include "dialup/dialog_util.h"
#include "dialup/ras_library.h"
#include "dialup/request_access.h"
#include "dialup/resource.h"
#include "hostapi/qpxcomm.h"

namespace qpras {
namespace {

std::atomic<DialUpRequest*> servedRequest{nullptr};
std::atomic<UINT> dialEvent{0};

void onDialEvent(HWND window, DWORD state) {
  switch (state) {
    case kRasPortOpened:
      setMessageText(window, IDC_WAIT_PROGRESS, QPRAS_MSG_DIALING);
      break;
    case kRasAuthenticate:
    case kRasLogonNetwork:
      setMessageText(window, IDC_WAIT_PROGRESS, QPRAS_MSG_VERIFYING);
      break;
    case kRasConnected:
      if (DialUpRequest* request = servedRequest.load()) storeConnected(request, 1);
      ::DestroyWindow(window);
      break;
    case kRasDisconnected:
      ::DestroyWindow(window);
      break;
    default:
      break;
  }
}

}  // namespace

UINT rasDialEventMessage() { return dialEvent.load(); }

HWND createWaitWindow(DialUpRequest* request) {
  HWND window = ::CreateDialogParamA(moduleInstance(), QPRAS_WAIT_DIALOG, nullptr,
                                     waitWindowProc, reinterpret_cast<LPARAM>(request));
  if (window == nullptr) return nullptr;
  ::SetForegroundWindow(window);
  setMessageText(window, 0, QPRAS_MSG_CAPTION);
  return window;
}

INT_PTR CALLBACK waitWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    setMessageText(window, IDC_CANCEL, QPRAS_MSG_CANCEL);
    ::SetForegroundWindow(window);
    servedRequest = reinterpret_cast<DialUpRequest*>(lParam);
    UINT event = ::RegisterWindowMessageA(kRasDialEventName);
    dialEvent = event != 0 ? event : kRasDialEventFallback;
    setMessageText(window, IDC_WAIT_PROGRESS, QPRAS_MSG_STARTING);
    return TRUE;
  }
  if (message == WM_COMMAND && LOWORD(wParam) == IDC_CANCEL) {
    if (DialUpRequest* request = servedRequest.load()) rasHangUp(loadRasConnection(request));
    ::DestroyWindow(window);
    return TRUE;
  }
  const UINT event = dialEvent.load();
  if (event != 0 && message == event) {
    onDialEvent(window, static_cast<DWORD>(wParam));
    return FALSE;
  }
  return FALSE;
}

}  // namespace qpras
