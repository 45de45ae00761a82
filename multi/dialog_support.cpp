// Texts, help and the busy cursor of the profile dialogs; see dialog_support.h.
#include "multi/dialog_support.h"

#include "hostapi/qpxcomm.h"
#include "multi/core/dialog_texts.h"

namespace qpmulti {

namespace {

constexpr int32_t kTextLimit = 150;

// Busy cursor: the nesting depth and the cursor the wait cursor replaced. The dialogs run
// on the host's thread only.
int busyDepth = 0;
HCURSOR cursorBeforeBusy = nullptr;

}  // namespace

void setDialogTexts(HWND dialog, unsigned captionMessage, const ControlText* texts, size_t count) {
  ::SetWindowTextA(dialog, GetString(captionMessage, kTextLimit));
  for (size_t i = 0; i < count; ++i)
    ::SetDlgItemTextA(dialog, texts[i].id, GetString(texts[i].message, kTextLimit));
}

void showDialogHelp(HWND dialog) {
  char program[MAX_PATH];
  const DWORD length = ::GetModuleFileNameA(GetMainModuleHandle(), program, sizeof program);
  if (length == 0 || length >= sizeof program) return;
  char helpFile[MAX_PATH];
  if (!helpFileName(program, helpFile, sizeof helpFile)) return;
  ::WinHelpA(dialog, helpFile, HELP_CONTEXT, QPGetHelpCategory());
}

void showItem(HWND dialog, int id, bool visible) {
  ::ShowWindow(::GetDlgItem(dialog, id), visible ? SW_SHOW : SW_HIDE);
}

void BeginBusyCursor() {
  if (busyDepth == 0) {
    cursorBeforeBusy = ::SetCursor(::LoadCursorA(nullptr, IDC_WAIT));
    ::ShowCursor(TRUE);
  }
  ++busyDepth;
}

void EndBusyCursor() {
  if (busyDepth == 0) return;
  if (--busyDepth == 0) {
    ::ShowCursor(FALSE);
    ::SetCursor(cursorBeforeBusy);
  }
}

}  // namespace qpmulti
