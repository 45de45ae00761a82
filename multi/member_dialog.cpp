// The member dialog: user name, password, interface and mail database of one member, the
// credential test through the session manager, and the interface's own options.
#include "multi/member_dialog.h"

#include "common/text.h"
#include "hostapi/qpxcomm.h"
#include "hostapi/qpxsess.h"
#include "multi/core/dialog_texts.h"
#include "multi/interface_list.h"
#include "multi/member_check.h"
#include "multi/message_box.h"
#include "multi/module.h"
#include "multi/profile_dialog_ids.h"
#include "multi/profile_store.h"

namespace qpmulti {

namespace {

constexpr unsigned kCredentialsRefused = 3613;
constexpr unsigned kMemberNotStored = 3602;
// Session option the member interface sees while its options dialog is open.
constexpr uint32_t kConfiguringOption = 0x40;

const ControlText kMemberTexts[] = {
    {QPM_MEMBER_USER_LABEL, 3627},
    {QPM_MEMBER_PASSWORD_LABEL, 3628},
    {QPM_MEMBER_INTERFACE_LABEL, 3629},
    {QPM_MEMBER_DATABASE_LABEL, 3630},
    {QPM_MEMBER_OPTIONS, 3631},
    {IDOK, 1021},
    {IDCANCEL, 1022},
    {QPM_HELP, 1023},
};

struct MemberTexts {
  char userName[kDialogTextSize] = "";
  char password[kDialogTextSize] = "";
  char interfaceName[kDialogTextSize] = "";
  char mailDatabase[kDialogTextSize] = "";
};

ProfileDialogRecord* recordOf(HWND dialog) {
  return reinterpret_cast<ProfileDialogRecord*>(::GetWindowLongPtrA(dialog, DWLP_USER));
}

// The interface name of the selected entry of the interface list; empty for none.
void selectedInterface(HWND dialog, char* name, size_t size) {
  name[0] = '\0';
  const LRESULT selected = ::SendDlgItemMessageA(dialog, QPM_MEMBER_INTERFACE, CB_GETCURSEL, 0, 0);
  if (selected == CB_ERR) return;
  const LRESULT length =
      ::SendDlgItemMessageA(dialog, QPM_MEMBER_INTERFACE, CB_GETLBTEXTLEN, selected, 0);
  char entry[kInterfaceEntrySize];
  if (length == CB_ERR || static_cast<size_t>(length) >= sizeof entry) return;
  ::SendDlgItemMessageA(dialog, QPM_MEMBER_INTERFACE, CB_GETLBTEXT, selected,
                        reinterpret_cast<LPARAM>(entry));
  interfaceOfEntry(entry, name, size);
}

// Selects the entry of the member's interface: one naming it exactly, else the first
// that begins with it; none when nothing matches.
void selectInterface(HWND dialog, const char* name) {
  const LRESULT count = ::SendDlgItemMessageA(dialog, QPM_MEMBER_INTERFACE, CB_GETCOUNT, 0, 0);
  LRESULT prefix = CB_ERR;
  for (LRESULT i = 0; i < count; ++i) {
    char entry[kInterfaceEntrySize];
    const LRESULT length =
        ::SendDlgItemMessageA(dialog, QPM_MEMBER_INTERFACE, CB_GETLBTEXTLEN, i, 0);
    if (length == CB_ERR || static_cast<size_t>(length) >= sizeof entry) continue;
    ::SendDlgItemMessageA(dialog, QPM_MEMBER_INTERFACE, CB_GETLBTEXT, i,
                          reinterpret_cast<LPARAM>(entry));
    const EntryMatch match = matchInterfaceEntry(entry, name);
    if (match == EntryMatch::Exact) {
      prefix = i;
      break;
    }
    if (match == EntryMatch::Prefix && prefix == CB_ERR) prefix = i;
  }
  ::SendDlgItemMessageA(dialog, QPM_MEMBER_INTERFACE, CB_SETCURSEL, prefix, 0);
}

// Interface entries ("POP3 - description") are wider than the box: the open list is made
// wide enough to show each of them whole.
void widenInterfaceList(HWND dialog) {
  HWND box = ::GetDlgItem(dialog, QPM_MEMBER_INTERFACE);
  HDC dc = ::GetDC(box);
  HGDIOBJ old =
      ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageA(box, WM_GETFONT, 0, 0)));
  LONG widest = 0;
  const LRESULT count = ::SendMessageA(box, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    char entry[kInterfaceEntrySize];
    const LRESULT length = ::SendMessageA(box, CB_GETLBTEXTLEN, i, 0);
    if (length == CB_ERR || static_cast<size_t>(length) >= sizeof entry) continue;
    ::SendMessageA(box, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(entry));
    SIZE size{};
    if (::GetTextExtentPoint32A(dc, entry, static_cast<int>(length), &size) && size.cx > widest)
      widest = size.cx;
  }
  ::SelectObject(dc, old);
  ::ReleaseDC(box, dc);
  const int margins = ::GetSystemMetrics(SM_CXVSCROLL) + 2 * ::GetSystemMetrics(SM_CXEDGE) + 8;
  ::SendMessageA(box, CB_SETDROPPEDWIDTH, static_cast<WPARAM>(widest + margins), 0);
}

// Shows the password and mail-database fields the selected interface takes. An interface
// whose library does not answer leaves them as they are.
void onInterfaceChanged(HWND dialog) {
  char name[kDialogTextSize];
  selectedInterface(dialog, name, sizeof name);
  uint32_t bits = 0;
  if (name[0] == '\0' || !QueryInterfaceCapabilities(dialog, name, &bits)) return;
  const bool password = (bits & kTakesPassword) != 0;
  const bool mailDatabase = (bits & kTakesMailDatabase) != 0;
  showItem(dialog, QPM_MEMBER_PASSWORD, password);
  showItem(dialog, QPM_MEMBER_PASSWORD_LABEL, password);
  showItem(dialog, QPM_MEMBER_DATABASE, mailDatabase);
  showItem(dialog, QPM_MEMBER_DATABASE_LABEL, mailDatabase);
}

void initMemberDialog(HWND dialog, ProfileDialogRecord* record) {
  ::SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(record));
  setDialogTexts(dialog, 3626, kMemberTexts);
  // A new member (Add) is not found: the fields start empty.
  MemberTexts member;
  ReadProfileMember(record->profileName, static_cast<unsigned>(record->memberNumber),
                    member.userName, member.interfaceName, member.password, member.mailDatabase,
                    kDialogTextSize);
  ::SetDlgItemTextA(dialog, QPM_MEMBER_USER, member.userName);
  ::SetDlgItemTextA(dialog, QPM_MEMBER_PASSWORD, member.password);
  ::SetDlgItemTextA(dialog, QPM_MEMBER_DATABASE, member.mailDatabase);
  FillInterfaceList(dialog, QPM_MEMBER_INTERFACE);
  widenInterfaceList(dialog);
  selectInterface(dialog, member.interfaceName);
  onInterfaceChanged(dialog);
  ::SecureZeroMemory(member.password, sizeof member.password);
}

// Reads the fields and tests the credentials with an interactive member session. The
// session, or -1 after a beep (no user name) or the refusal message; the busy cursor
// stays on for a session the caller goes on with.
QPSESSION testCredentials(HWND dialog, MemberTexts& member, bool reselect) {
  ::GetDlgItemTextA(dialog, QPM_MEMBER_USER, member.userName, sizeof member.userName);
  if (member.userName[0] == '\0') {
    ::MessageBeep(MB_OK);
    return QP_NO_SESSION;
  }
  // Hidden fields are read all the same.
  ::GetDlgItemTextA(dialog, QPM_MEMBER_PASSWORD, member.password, sizeof member.password);
  selectedInterface(dialog, member.interfaceName, sizeof member.interfaceName);
  if (reselect) onInterfaceChanged(dialog);
  ::GetDlgItemTextA(dialog, QPM_MEMBER_DATABASE, member.mailDatabase, sizeof member.mailDatabase);

  BeginBusyCursor();
  const QPSESSION session = OpenMemberTestSession(member.userName, member.password,
                                                  member.interfaceName, member.mailDatabase);
  if (session == QP_NO_SESSION) {
    EndBusyCursor();
    char text[kMessageSize];
    formatMessage(text, sizeof text, kCredentialsRefused, member.interfaceName, member.userName);
    showError(dialog, text);
  }
  return session;
}

void onOk(HWND dialog) {
  ProfileDialogRecord* record = recordOf(dialog);
  MemberTexts member;
  const QPSESSION session = testCredentials(dialog, member, true);
  if (session != QP_NO_SESSION) {
    EndMemberTestSession(session, member.userName);
    EndBusyCursor();
    const unsigned login = static_cast<unsigned>(record->memberNumber);
    if (WriteProfileMember(record->profileName, login, member.userName, member.interfaceName,
                           member.password, member.mailDatabase)) {
      record->changed = 1;
      ::EndDialog(dialog, 1);
    } else {
      // The member was not stored: say so rather than lose the input silently.
      char keyName[16];
      wsprintfA(keyName, "Login%u", login);
      char text[kMessageSize];
      formatMessage(text, sizeof text, kMemberNotStored, keyName);
      showError(dialog, text);
    }
  }
  ::SecureZeroMemory(member.password, sizeof member.password);
}

void onOptions(HWND dialog) {
  MemberTexts member;
  const QPSESSION session = testCredentials(dialog, member, false);
  if (session != QP_NO_SESSION) {
    QPSetSessionOptions(session, QPGetSessionOptions(session) | kConfiguringOption);
    QPiInitUser(session, member.userName);
    QPiClientConfigure(dialog, session);
    QPiCleanUpAfterUser(session, member.userName);
    EndBusyCursor();
  }
  ::SecureZeroMemory(member.password, sizeof member.password);
}

INT_PTR CALLBACK memberDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      initMemberDialog(dialog, reinterpret_cast<ProfileDialogRecord*>(lParam));
      return TRUE;
    case WM_ACTIVATE:
      QPSetHelpCategory(kDialogHelpCategory);
      return FALSE;
    case WM_COMMAND:
      if (recordOf(dialog) == nullptr) return FALSE;
      switch (LOWORD(wParam)) {
        case IDOK:
          onOk(dialog);
          return TRUE;
        case QPM_MEMBER_OPTIONS:
          onOptions(dialog);
          return TRUE;
        case IDCANCEL:
          ::EndDialog(dialog, 0);
          return TRUE;
        case QPM_HELP:
          showDialogHelp(dialog);
          return TRUE;
        case QPM_MEMBER_INTERFACE:
          if (HIWORD(wParam) == CBN_SELCHANGE) onInterfaceChanged(dialog);
          return TRUE;
      }
      return FALSE;
  }
  return FALSE;
}

}  // namespace

INT_PTR EditProfileMember(HWND parent, ProfileDialogRecord* record) {
  return QPDialogBoxParam(moduleInstance(), QPM_MEMBER_DIALOG, parent, memberDialogProc,
                          reinterpret_cast<LPARAM>(record));
}

}  // namespace qpmulti
