// The location dialog "NEW_LOCATION", opened from the settings dialog: a new location
// of the selected profile with its phone number. It works on the settings dialog's
// lists and phone box through its owner.
#include "common/text.h"
#include "dialup/core/dial_logic.h"
#include "dialup/dialog_util.h"
#include "dialup/dialogs.h"
#include "dialup/resource.h"
#include "dialup/settings_store.h"
#include "hostapi/qpxcomm.h"

namespace qpras {
namespace {

// Registry key names hold at most 255 characters.
constexpr WPARAM kMaxLocationLength = 255;

BOOL initialize(HWND dialog) {
  setMessageText(dialog, 0, QPRAS_MSG_LOCATION_CAPTION);
  setMessageText(dialog, IDC_NEW_LOCATION_NAME_LABEL, QPRAS_MSG_LOCATION_NAME_LABEL);
  setMessageText(dialog, IDC_NEW_LOCATION_PHONE_LABEL, QPRAS_MSG_LOCATION_PHONE_LABEL);
  setMessageText(dialog, IDC_OK, QPRAS_MSG_OK);
  setMessageText(dialog, IDC_CANCEL, QPRAS_MSG_CANCEL);
  setMessageText(dialog, IDC_HELP_BUTTON, QPRAS_MSG_HELP);
  ::SendDlgItemMessageA(dialog, IDC_NEW_LOCATION_NAME, EM_LIMITTEXT, kMaxLocationLength, 0);
  ::SendDlgItemMessageA(dialog, IDC_NEW_LOCATION_PHONE, EM_LIMITTEXT, kPhoneSize - 1, 0);
  return TRUE;
}

// An empty box: a beep, and the user is sent back to it.
void refuseEmpty(HWND dialog, int id) {
  ::MessageBeep(0);
  ::SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(::GetDlgItem(dialog, id)),
                 TRUE);
}

void save(HWND dialog) {
  HWND settings = ::GetWindow(dialog, GW_OWNER);
  HWND locations = ::GetDlgItem(settings, IDC_LOCATION_LIST);
  char location[kNameSize];
  boxText(dialog, IDC_NEW_LOCATION_NAME, location, sizeof location);
  if (location[0] == '\0') return refuseEmpty(dialog, IDC_NEW_LOCATION_NAME);
  // The name of a location that is listed already: its number is replaced.
  if (findComboItem(locations, location, ItemMatch::Exact) >= 0)
    showMessage(dialog, ::GetString(QPRAS_MSG_LOCATION_EXISTS, 150),
                QPRAS_MSG_LOCATION_CAPTION, MB_ICONQUESTION | MB_OK);
  char phone[kPhoneSize];
  boxText(dialog, IDC_NEW_LOCATION_PHONE, phone, sizeof phone);
  if (phone[0] == '\0') return refuseEmpty(dialog, IDC_NEW_LOCATION_PHONE);

  char profile[kNameSize];
  comboSelectedText(settings, IDC_PROFILE_LIST, profile, sizeof profile);
  qp::UniqueHKey key;
  if (profile[0] != '\0' && openSettingsKey(profile, location, true, key))
    writeText(key.get(), kPhoneNumberValue, phone);

  int index = findComboItem(locations, location, ItemMatch::Exact);
  if (index < 0)
    index = static_cast<int>(
        ::SendMessageA(locations, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(location)));
  ::SendMessageA(locations, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  ::SetDlgItemTextA(settings, IDC_PHONE, phone);
  ::EndDialog(dialog, 1);
}

}  // namespace

INT_PTR CALLBACK locationDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      return initialize(dialog);
    case WM_ACTIVATE:
      ::QPSetHelpCategory(kDialUpHelpCategory);
      return FALSE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDC_OK) {
        save(dialog);
        return TRUE;
      }
      if (LOWORD(wParam) == IDC_CANCEL) {
        ::EndDialog(dialog, 0);
        return TRUE;
      }
      return FALSE;
  }
  return FALSE;
}

}  // namespace qpras
