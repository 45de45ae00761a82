// What the profile dialog and the member dialog share: the record they both work on,
// their texts from the string table, help, the busy cursor and the library loads of
// other interfaces.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "hostapi/qptypes.h"

namespace qpmulti {

// The dialogs read profile and member texts with buffers one byte larger than the
// store's, as the log-in does, so a 150-character value still counts.
constexpr size_t kDialogTextSize = 151;

// Shared by the profile dialog and the member dialog nested in it; the address is the
// dialog parameter of both.
struct ProfileDialogRecord {
  QPSESSION session;  // host session, or -1 when opened by log-in
  char profileName[kDialogTextSize];
  int32_t memberNumber;  // Login number the member dialog edits
  int32_t changed;       // 1 once a member was stored, removed or moved
};

// The help category of both dialogs.
constexpr uint32_t kDialogHelpCategory = 127;

struct ControlText {
  int id;
  unsigned message;
};
// Sets the dialog's caption and each control's text from the string table.
void setDialogTexts(HWND dialog, unsigned captionMessage, const ControlText* texts, size_t count);
template <size_t N>
void setDialogTexts(HWND dialog, unsigned captionMessage, const ControlText (&texts)[N]) {
  setDialogTexts(dialog, captionMessage, texts, N);
}

// Opens the main program's help file (its name with ".HLP") at the current help category.
void showDialogHelp(HWND dialog);

// Shows or hides a control.
void showItem(HWND dialog, int id, bool visible);

// The wait cursor while credentials are tested; calls nest.
void BeginBusyCursor();
void EndBusyCursor();

}  // namespace qpmulti
