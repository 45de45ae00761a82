// The dial thread of one StartDialUpNetworking (see dial_thread.h).
#include "dialup/dial_thread.h"

#include <atomic>
#include <cstring>

#include "common/win/unique.h"
#include "dialup/core/dial_logic.h"
#include "dialup/dialog_util.h"
#include "dialup/dialogs.h"
#include "dialup/ras_library.h"
#include "dialup/request_access.h"
#include "dialup/resource.h"
#include "dialup/settings_store.h"
#include "dialup/wait_window.h"

namespace qpras {
namespace {

std::atomic<int> graceSleeps{kGraceSleeps};
std::atomic<DWORD> graceSleepMs{kGraceSleepMs};

// Message 3107 with its code and the profile name.
constexpr size_t kFailureTextSize = 150 + kNameSize + 16;

// Hands the record this thread's own handle, unless StartDialUpNetworking has already
// stored one for it (or the record is no longer waiting for one).
void storeOwnHandle(DialUpRequest* request) {
  qp::UniqueHandle self;
  if (!::DuplicateHandle(::GetCurrentProcess(), ::GetCurrentThread(), ::GetCurrentProcess(),
                         self.put(), 0, FALSE, DUPLICATE_SAME_ACCESS))
    return;
  if (replaceThreadHandle(request, acceptedMark(), self.get()) == acceptedMark())
    self.release();  // the record holds it now
}

// Runs the wait window's messages until the window is gone. Waits for input between
// rounds instead of spinning.
void pumpUntilClosed(HWND wait) {
  while (::IsWindow(wait)) {
    MSG message;
    while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (!::IsWindow(wait) || !::IsDialogMessageA(wait, &message)) {
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
      }
    }
    if (!::IsWindow(wait)) break;
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
  }
}

void showDialFailure(DWORD code, const char* entryName) {
  const MessageArg args[] = {{nullptr, static_cast<long>(code)}, {entryName, 0}};
  char text[kFailureTextSize];
  formatMessage(::GetString(QPRAS_MSG_DIAL_FAILED, 150), args, 2, text, sizeof text);
  showMessage(nullptr, text, QPRAS_MSG_CAPTION, MB_ICONERROR);
}

// Steps before the finish; every owner here is gone before the thread ends.
void runDialThread(DialUpRequest* request) {
  storeOwnHandle(request);
  const int sleeps = graceSleeps.load();
  for (int i = 0; i < sleeps && loadConnected(request) == 0; ++i) ::Sleep(graceSleepMs.load());
  if (loadConnected(request) != 0) return;
  if (showSettingsDialog(request) != 1) return;
  RasDialParamsA params;
  readDialParams(params);
  dialLoop(request, params);
  ::SecureZeroMemory(&params, sizeof params);
}

}  // namespace

void setGracePeriodForTesting(int sleeps, DWORD sleepMs) {
  graceSleeps = sleeps;
  graceSleepMs = sleepMs;
}

DialOutcome dialLoop(DialUpRequest* request, RasDialParamsA& params) {
  for (;;) {
    HWND wait = createWaitWindow(request);
    qp::ScopeExit closeWait([wait] {
      if (wait != nullptr && ::IsWindow(wait)) ::DestroyWindow(wait);
    });
    storeRasConnection(request, nullptr);
    DWORD result = rasDial(&params, wait, &request->rasConnection);
    if (result != 0) {
      HANDLE connection = loadRasConnection(request);
      if (connection != nullptr) rasHangUp(connection);
      showDialFailure(result, params.szEntryName);
      return DialOutcome::Refused;
    }
    pumpUntilClosed(wait);
    if (loadConnected(request) != 0) return DialOutcome::Connected;
    rasHangUp(loadRasConnection(request));
    int answer = showMessage(nullptr, ::GetString(QPRAS_MSG_RETRY, 150), QPRAS_MSG_CAPTION,
                             MB_ICONQUESTION | MB_YESNOCANCEL);
    if (answer != IDYES) return DialOutcome::GaveUp;
  }
}

void finishDial(DialUpRequest* request) {
  HWND owner = request->ownerWindow;
  if (owner != nullptr && ::IsWindow(owner)) ::SetForegroundWindow(owner);
  if (request->savedAutodial != 0) writeAutodial(request->savedAutodial);
  HANDLE handle = exchangeThreadHandle(request, nullptr);
  if (handle != acceptedMark()) qp::UniqueHandle closed(handle);
}

unsigned QPAPI dialThreadMain(void* argument) {
  DialUpRequest* request = static_cast<DialUpRequest*>(argument);
  runDialThread(request);
  finishDial(request);
  ::QPEndThread(0);
  return 0;
}

}  // namespace qpras
