// The profile dialog "QPICLIENTCONFIGURE": the members of a profile with Add, Edit,
// Remove, Up and Dn, the profile password with its confirmation, and the interface for
// Internet recipients. Every change is written to the registry at once.
#include "multi/profile_dialog.h"

#include "common/text.h"
#include "common/win/unique.h"
#include "hostapi/qpxcomm.h"
#include "multi/core/dialog_texts.h"
#include "multi/core/profile_keys.h"
#include "multi/dialog_support.h"
#include "multi/member_dialog.h"
#include "multi/message_box.h"
#include "multi/module.h"
#include "multi/profile_dialog_ids.h"
#include "multi/profile_list.h"
#include "multi/profile_store.h"

namespace qpmulti {

namespace {

constexpr unsigned kProfileNotOpened = 3601;
constexpr unsigned kRemoveQuestion = 3603;
constexpr unsigned kRemoveFailed = 3604;
constexpr unsigned kDeleteEmptyProfile = 3605;
constexpr unsigned kPasswordsDiffer = 3606;
constexpr unsigned kMembersChanged = 3607;
constexpr unsigned kProfileFull = 3632;

const ControlText kProfileTexts[] = {
    {QPM_PASSWORD_LABEL, 3618},
    {QPM_CONFIRM_LABEL, 3619},
    {QPM_INTERNET_LABEL, 3620},
    {QPM_EDIT, 3621},
    {QPM_ADD, 3622},
    {QPM_REMOVE, 3623},
    {IDOK, 1021},
    {QPM_HELP, 1023},
    {QPM_UP, 3624},
    {QPM_DOWN, 3625},
};

// The list box's own window procedure, kept when the member list is subclassed.
WNDPROC listBoxProc = nullptr;

// The member list asks for Enter, which the dialog manager would otherwise turn into the
// default button (Exit); the list box then reports it as WM_VKEYTOITEM like any key.
LRESULT CALLBACK memberListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = ::CallWindowProcA(listBoxProc, list, message, wParam, lParam);
  if (message == WM_GETDLGCODE && lParam != 0) {
    const MSG* pending = reinterpret_cast<const MSG*>(lParam);
    if (pending->message == WM_KEYDOWN && pending->wParam == VK_RETURN) result |= DLGC_WANTMESSAGE;
  }
  return result;
}

ProfileDialogRecord* recordOf(HWND dialog) {
  return reinterpret_cast<ProfileDialogRecord*>(::GetWindowLongPtrA(dialog, DWLP_USER));
}

LRESULT listMessage(HWND dialog, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
  return ::SendDlgItemMessageA(dialog, QPM_MEMBER_LIST, message, wParam, lParam);
}

void rebuild(HWND dialog) { ::SendMessageA(dialog, kRebuildMessage, 0, 0); }

void select(HWND dialog, LRESULT position) { listMessage(dialog, LB_SETCURSEL, position); }

void editMember(HWND dialog, ProfileDialogRecord& record, LRESULT position) {
  record.memberNumber = static_cast<int32_t>(position + 1);
  if (position < 0) return;
  EditProfileMember(dialog, &record);
  rebuild(dialog);
  select(dialog, record.memberNumber - 1);
}

void addMember(HWND dialog, ProfileDialogRecord& record) {
  const LRESULT count = listMessage(dialog, LB_GETCOUNT);
  if (count >= static_cast<LRESULT>(kLastLogin)) {
    // A member beyond Login49 would be stored where nothing reads it.
    ::MessageBeep(MB_ICONHAND);
    char text[kMessageSize];
    formatMessage(text, sizeof text, kProfileFull, kLastLogin);
    showError(dialog, text);
    return;
  }
  record.memberNumber = static_cast<int32_t>(count + 1);
  EditProfileMember(dialog, &record);
  rebuild(dialog);
}

void removeMember(HWND dialog, ProfileDialogRecord& record, LRESULT position) {
  if (position < 0) return;
  char entry[kMemberEntrySize];
  const LRESULT length = listMessage(dialog, LB_GETTEXTLEN, position);
  if (length < 0 || static_cast<size_t>(length) >= sizeof entry) return;
  listMessage(dialog, LB_GETTEXT, position, reinterpret_cast<LPARAM>(entry));
  char summary[kMemberEntrySize];
  memberEntrySummary(entry, summary, sizeof summary);
  ::SecureZeroMemory(entry, sizeof entry);  // the entry carries the member's password

  char text[kMessageSize];
  formatMessage(text, sizeof text, kRemoveQuestion, summary);
  if (askYes(dialog, text)) {
    const LONG rc = deleteMemberKey(record.profileName, static_cast<unsigned>(position + 1));
    if (rc != ERROR_SUCCESS) {
      formatMessage(text, sizeof text, kRemoveFailed, static_cast<long>(rc));
      showError(dialog, text);
    } else {
      listMessage(dialog, LB_DELETESTRING, position);
      record.changed = 1;
    }
  }
  rebuild(dialog);
  if (position < listMessage(dialog, LB_GETCOUNT)) select(dialog, position);
}

// Up swaps the selected member with the one above it, Dn with the one below.
void moveMember(HWND dialog, ProfileDialogRecord& record, bool up) {
  const LRESULT position = listMessage(dialog, LB_GETCURSEL);
  const LRESULT count = listMessage(dialog, LB_GETCOUNT);
  if (position < 0 || (up && position < 1) || (!up && position > count - 2)) return;
  const LRESULT other = up ? position - 1 : position + 1;
  swapMembers(record.profileName, static_cast<unsigned>(other + 1),
              static_cast<unsigned>(position + 1));
  rebuild(dialog);
  select(dialog, other);
  record.changed = 1;
}

void showConfirmation(HWND dialog) {
  showItem(dialog, QPM_CONFIRM, true);
  showItem(dialog, QPM_CONFIRM_LABEL, true);
}

// Exit and Cancel: an empty profile may be deleted; Exit stores a changed password once
// it is confirmed. False when the dialog stays open.
bool closeProfile(HWND dialog, ProfileDialogRecord& record, bool exit) {
  if (listMessage(dialog, LB_GETCOUNT) == 0) {
    char text[kMessageSize];
    formatMessage(text, sizeof text, kDeleteEmptyProfile);
    if (!askYes(dialog, text)) return false;
    deleteProfileKey(record.profileName);
    return true;
  }
  if (!exit || !::SendDlgItemMessageA(dialog, QPM_PASSWORD, EM_GETMODIFY, 0, 0)) return true;

  showConfirmation(dialog);
  char typed[kDialogTextSize], stored[kDialogTextSize], confirmed[kDialogTextSize];
  ::GetDlgItemTextA(dialog, QPM_PASSWORD, typed, sizeof typed);
  ReadProfilePassword(record.profileName, stored, sizeof stored);
  ::GetDlgItemTextA(dialog, QPM_CONFIRM, confirmed, sizeof confirmed);
  // Profile passwords are compared without regard to case, at log-in too.
  bool ok = true;
  if (::lstrcmpiA(typed, stored) != 0) {
    if (::lstrcmpiA(typed, confirmed) == 0) {
      WriteProfilePassword(record.profileName, typed);
    } else {
      char text[kMessageSize];
      formatMessage(text, sizeof text, kPasswordsDiffer);
      showError(dialog, text);
      ::SendMessageA(dialog, WM_NEXTDLGCTL,
                     reinterpret_cast<WPARAM>(::GetDlgItem(dialog, QPM_CONFIRM)), TRUE);
      ok = false;
    }
  }
  for (char* secret : {typed, stored, confirmed}) ::SecureZeroMemory(secret, kDialogTextSize);
  return ok;
}

void initProfileDialog(HWND dialog, ProfileDialogRecord* record) {
  ::SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(record));
  setDialogTexts(dialog, 3617, kProfileTexts);
  HWND list = ::GetDlgItem(dialog, QPM_MEMBER_LIST);
  listBoxProc = reinterpret_cast<WNDPROC>(
      ::SetWindowLongPtrA(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(memberListProc)));

  char password[kDialogTextSize];
  ReadProfilePassword(record->profileName, password, sizeof password);
  ::SetDlgItemTextA(dialog, QPM_PASSWORD, password);
  ::SetDlgItemTextA(dialog, QPM_CONFIRM, password);
  ::SecureZeroMemory(password, sizeof password);
  showItem(dialog, QPM_CONFIRM, false);
  showItem(dialog, QPM_CONFIRM_LABEL, false);
  ::SendDlgItemMessageA(dialog, QPM_PASSWORD, EM_SETMODIFY, FALSE, 0);
  rebuildProfileLists(dialog, *record);
}

// Delete removes and Enter edits the entry under the caret; -2 says the key was handled,
// -1 leaves it to the list box.
INT_PTR onListKey(HWND dialog, ProfileDialogRecord& record, WORD key, LRESULT caret) {
  if (key != VK_DELETE && key != VK_RETURN) return -1;
  select(dialog, caret);
  if (key == VK_DELETE)
    removeMember(dialog, record, caret);
  else
    editMember(dialog, record, caret);
  return -2;
}

INT_PTR onCommand(HWND dialog, ProfileDialogRecord& record, WORD id, WORD code) {
  switch (id) {
    case QPM_MEMBER_LIST:
      if (code == LBN_DBLCLK) editMember(dialog, record, listMessage(dialog, LB_GETCURSEL));
      return TRUE;
    case QPM_EDIT:
      editMember(dialog, record, listMessage(dialog, LB_GETCURSEL));
      return TRUE;
    case QPM_ADD:
      addMember(dialog, record);
      return TRUE;
    case QPM_REMOVE:
      removeMember(dialog, record, listMessage(dialog, LB_GETCURSEL));
      return TRUE;
    case QPM_UP:
      moveMember(dialog, record, true);
      return TRUE;
    case QPM_DOWN:
      moveMember(dialog, record, false);
      return TRUE;
    case QPM_INTERNET_INTERFACE:
      if (code == CBN_SELCHANGE) storeInternetInterface(dialog, record);
      return TRUE;
    case QPM_PASSWORD:
      if (code == EN_CHANGE) {
        ::SetDlgItemTextA(dialog, QPM_CONFIRM, "");
        showConfirmation(dialog);
      }
      return TRUE;
    case QPM_HELP:
      showDialogHelp(dialog);
      return TRUE;
    case IDOK:
    case IDCANCEL:
      if (closeProfile(dialog, record, id == IDOK)) ::EndDialog(dialog, 0);
      return TRUE;
  }
  return FALSE;
}

INT_PTR CALLBACK profileDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    initProfileDialog(dialog, reinterpret_cast<ProfileDialogRecord*>(lParam));
    return TRUE;
  }
  ProfileDialogRecord* record = recordOf(dialog);
  if (record == nullptr) return FALSE;
  switch (message) {
    case WM_ACTIVATE:
      QPSetHelpCategory(kDialogHelpCategory);
      return FALSE;
    case kRebuildMessage:
      rebuildProfileLists(dialog, *record);
      return TRUE;
    case WM_VKEYTOITEM:
      if (reinterpret_cast<HWND>(lParam) != ::GetDlgItem(dialog, QPM_MEMBER_LIST)) return -1;
      return onListKey(dialog, *record, LOWORD(wParam), HIWORD(wParam));
    case WM_COMMAND:
      return onCommand(dialog, *record, LOWORD(wParam), HIWORD(wParam));
  }
  return FALSE;
}

}  // namespace

void ConfigureProfile(const char* profileName, QPSESSION session, HWND owner) {
  const char* name = profileName != nullptr ? profileName : "";
  {
    qp::UniqueHKey key;
    if (openProfileKey(name, true, key) != ERROR_SUCCESS) {
      char text[kMessageSize];
      formatMessage(text, sizeof text, kProfileNotOpened, name);
      showError(owner, text);
      return;
    }
  }
  ProfileDialogRecord record{};
  record.session = session;
  qp::copyText(record.profileName, name);
  QPDialogBoxParam(moduleInstance(), QPM_PROFILE_DIALOG, owner, profileDialogProc,
                   reinterpret_cast<LPARAM>(&record));
  if (record.changed != 0 && session != QP_NO_SESSION) {
    char text[kMessageSize];
    formatMessage(text, sizeof text, kMembersChanged);
    showWarning(owner, text);
  }
}

}  // namespace qpmulti
