// The dial-up settings dialog "DIAL_UP_NETWORKING": the user picks the dial-up profile,
// its location, phone number and credentials, or switches this dialer off. The choice
// goes to the registry, where the dial thread reads it back.
#include <atomic>
#include <cstring>

#include "common/text.h"
#include "dialup/core/dial_logic.h"
#include "dialup/dialog_util.h"
#include "dialup/dialogs.h"
#include "dialup/ras_library.h"
#include "dialup/request_access.h"
#include "dialup/resource.h"
#include "dialup/settings_store.h"
#include "hostapi/qpunique.h"
#include "hostapi/qpxcomm.h"

namespace qpras {
namespace {

// The request the open settings dialog serves (its timer and Disable button use it).
std::atomic<DialUpRequest*> servedRequest{nullptr};

constexpr UINT_PTR kConnectedTimer = 1;
// Room for 100 RASENTRYNAMEA; more profiles than that make the enumeration fail.
constexpr DWORD kMaxProfiles = 100;
constexpr DWORD kEntryBufferSize = kMaxProfiles * kRasEntryNameSizeOf;

constexpr char kUserProfileSection[] = "DialUp";
constexpr char kUseDialUpKey[] = "UseDialUpNetworking";

struct ItemText {
  int id;
  unsigned number;
};
constexpr ItemText kTexts[] = {
    {IDC_PROFILE_LABEL, QPRAS_MSG_PROFILE_LABEL},
    {IDC_LOCATION_LABEL, QPRAS_MSG_LOCATION_LABEL},
    {IDC_PHONE_LABEL, QPRAS_MSG_PHONE_LABEL},
    {IDC_NEW_LOCATION, QPRAS_MSG_NEW_LOCATION},
    {IDC_USER_LABEL, QPRAS_MSG_USER_LABEL},
    {IDC_PASSWORD_LABEL, QPRAS_MSG_PASSWORD_LABEL},
    {IDC_DISABLE, QPRAS_MSG_DISABLE},
    {IDC_OK, QPRAS_MSG_OK},
    {IDC_CANCEL, QPRAS_MSG_CANCEL},
    {IDC_HELP_BUTTON, QPRAS_MSG_HELP},
};

enum class Profiles { Listed, None, NoLibrary };

// Lists the RAS phonebook's entries. An enumeration that fails (or finds no memory)
// leaves the list empty; an empty phonebook means there is nothing to dial.
Profiles listProfiles(HWND dialog) {
  RasLibrary ras;
  if (!ras) return Profiles::NoLibrary;
  auto enumEntries = ras.lookUp<RasEnumEntriesProc>("RasEnumEntriesA");
  if (enumEntries == nullptr) return Profiles::Listed;
  qp::UniqueQpBlock block(::QPmalloc(kEntryBufferSize));
  if (!block) return Profiles::Listed;
  RasEntryNameA* entries = qp::blockAs<RasEntryNameA>(block);
  entries[0].dwSize = kRasEntryNameSizeOf;
  DWORD size = kEntryBufferSize;
  DWORD count = 0;
  if (enumEntries(nullptr, nullptr, entries, &size, &count) != 0) return Profiles::Listed;
  if (count == 0) return Profiles::None;
  HWND list = ::GetDlgItem(dialog, IDC_PROFILE_LIST);
  for (DWORD i = 0; i < count && i < kMaxProfiles; ++i) {
    char name[kNameSize];
    fitText(name, sizeof name, entries[i].szEntryName, sizeof entries[i].szEntryName);
    ::SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
  }
  return Profiles::Listed;
}

// The explanation with the application name in place of its %s.
void fillExplanation(HWND dialog) {
  char text[kExplanationSize];
  boxText(dialog, IDC_EXPLANATION, text, sizeof text);
  char filled[kExplanationSize];
  const MessageArg appName{::QPGetAppName(), 0};
  formatMessage(text, &appName, 1, filled, sizeof filled);
  ::SetDlgItemTextA(dialog, IDC_EXPLANATION, filled);
}

// The first profile that begins with the named value, or -1.
int findProfileNamedIn(HWND list, HKEY key, const char* value) {
  char wanted[kRegistryTextSize];
  if (!readText(key, value, wanted, sizeof wanted)) return -1;
  return findComboItem(list, wanted, ItemMatch::Prefix);
}

// The last confirmed profile, else the system's Internet profile, else the first.
void preselectProfile(HWND dialog) {
  HWND list = ::GetDlgItem(dialog, IDC_PROFILE_LIST);
  int index = -1;
  qp::UniqueHKey settings;
  if (openSettingsKey(nullptr, nullptr, true, settings))
    index = findProfileNamedIn(list, settings.get(), kDefaultProfileValue);
  if (index < 0) {
    qp::UniqueHKey remoteAccess;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, kRemoteAccessKey, 0, KEY_READ,
                        remoteAccess.put()) == ERROR_SUCCESS)
      index = findProfileNamedIn(list, remoteAccess.get(), kInternetProfileValue);
    else
      remoteAccess.release();
  }
  ::SendMessageA(list, CB_SETCURSEL, index < 0 ? 0 : static_cast<WPARAM>(index), 0);
}

BOOL initialize(HWND dialog, DialUpRequest* request) {
  servedRequest = request;
  setMessageText(dialog, 0, QPRAS_MSG_CAPTION);
  setMessageText(dialog, IDC_EXPLANATION, QPRAS_MSG_EXPLANATION, kExplanationSize);
  for (const ItemText& item : kTexts) setMessageText(dialog, item.id, item.number);
  // Never more than the dial parameters hold.
  ::SendDlgItemMessageA(dialog, IDC_PHONE, EM_LIMITTEXT, kPhoneSize - 1, 0);
  ::SendDlgItemMessageA(dialog, IDC_USER, EM_LIMITTEXT, kNameSize - 1, 0);
  ::SendDlgItemMessageA(dialog, IDC_PASSWORD, EM_LIMITTEXT, kNameSize - 1, 0);
  ::SetForegroundWindow(dialog);

  Profiles profiles = listProfiles(dialog);
  if (profiles != Profiles::Listed) {
    ::EndDialog(dialog, 0);
    return TRUE;
  }
  fillExplanation(dialog);
  preselectProfile(dialog);
  FillLocations(dialog);
  ::SetTimer(dialog, kConnectedTimer, kConnectedCheckMs, nullptr);
  return TRUE;
}

// Stores the choice; the dialog then ends with 1. A key that cannot be had skips the
// step that needs it.
void confirm(HWND dialog) {
  if (::SendDlgItemMessageA(dialog, IDC_PROFILE_LIST, CB_GETCURSEL, 0, 0) == CB_ERR) {
    showMessage(dialog, ::GetString(QPRAS_MSG_NO_PROFILE, 150), QPRAS_MSG_CAPTION,
                MB_ICONERROR);
    return;
  }
  char profile[kNameSize], location[kNameSize], phone[kPhoneSize];
  char user[kNameSize], password[kNameSize];
  comboSelectedText(dialog, IDC_PROFILE_LIST, profile, sizeof profile);
  comboSelectedText(dialog, IDC_LOCATION_LIST, location, sizeof location);
  boxText(dialog, IDC_PHONE, phone, sizeof phone);
  boxText(dialog, IDC_USER, user, sizeof user);
  boxText(dialog, IDC_PASSWORD, password, sizeof password);

  qp::UniqueHKey key;
  if (openSettingsKey(nullptr, nullptr, true, key))
    writeText(key.get(), kDefaultProfileValue, profile);
  if (openSettingsKey(profile, nullptr, true, key))
    writeText(key.get(), kDefaultLocationValue, location);
  if (openSettingsKey(profile, location, true, key)) {
    if (phone[0] != '\0')
      writeText(key.get(), kPhoneNumberValue, phone);
    else
      deleteValue(key.get(), kPhoneNumberValue);
    char storedUser[kNameSize], storedPassword[kNameSize];
    GetStoredCredentials(profile, storedUser, sizeof storedUser, storedPassword,
                         sizeof storedPassword);
    if (keepOverride(user, storedUser))
      writeText(key.get(), kUserNameValue, user);
    else
      deleteValue(key.get(), kUserNameValue);
    if (keepOverride(password, storedPassword))
      writeText(key.get(), kPasswordValue, password);
    else
      deleteValue(key.get(), kPasswordValue);
    ::SecureZeroMemory(storedPassword, sizeof storedPassword);
  }
  ::SecureZeroMemory(password, sizeof password);
  ::EndDialog(dialog, 1);
}

}  // namespace

INT_PTR showSettingsDialog(DialUpRequest* request) {
  return ::QPDialogBoxParam(moduleInstance(), QPRAS_SETTINGS_DIALOG, nullptr,
                            settingsDialogProc, reinterpret_cast<LPARAM>(request));
}

INT_PTR CALLBACK settingsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      return initialize(dialog, reinterpret_cast<DialUpRequest*>(lParam));
    case WM_ACTIVATE:
      ::QPSetHelpCategory(kDialUpHelpCategory);
      return FALSE;
    case WM_TIMER: {
      DialUpRequest* request = servedRequest.load();
      if (request != nullptr && loadConnected(request) != 0)
        ::PostMessageA(dialog, WM_COMMAND, IDC_CANCEL, 0);
      return FALSE;
    }
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDC_PROFILE_LIST:
          if (HIWORD(wParam) == CBN_SELCHANGE) FillLocations(dialog);
          return FALSE;
        case IDC_LOCATION_LIST:
          if (HIWORD(wParam) == CBN_SELCHANGE) FillPhoneNumber(dialog);
          return FALSE;
        case IDC_NEW_LOCATION:
          ::QPDialogBoxParam(moduleInstance(), QPRAS_LOCATION_DIALOG, dialog,
                             locationDialogProc, 0);
          return FALSE;
        case IDC_DISABLE: {
          DialUpRequest* request = servedRequest.load();
          if (request != nullptr)
            ::QPWriteUserProfileString2(request->userName, kUserProfileSection,
                                        kUseDialUpKey, "No");
          ::EndDialog(dialog, 0);
          return TRUE;
        }
        case IDC_CANCEL:
          ::EndDialog(dialog, 0);
          return TRUE;
        case IDC_OK:
          confirm(dialog);
          return TRUE;
      }
      return FALSE;
  }
  return FALSE;
}

void FillLocations(HWND dialog) {
  HWND list = ::GetDlgItem(dialog, IDC_LOCATION_LIST);
  ::SendMessageA(list, CB_RESETCONTENT, 0, 0);
  ::SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(kDefaultLocation));
  ::SendMessageA(list, CB_SETCURSEL, 0, 0);
  char profile[kNameSize];
  comboSelectedText(dialog, IDC_PROFILE_LIST, profile, sizeof profile);
  qp::UniqueHKey key;
  if (profile[0] != '\0' && openSettingsKey(profile, nullptr, true, key)) {
    for (DWORD index = 0;; ++index) {
      char name[kRegistryTextSize];
      DWORD length = sizeof name;
      if (::RegEnumKeyExA(key.get(), index, name, &length, nullptr, nullptr, nullptr,
                          nullptr) != ERROR_SUCCESS)
        break;
      if (!isDefaultLocation(name))
        ::SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
    }
    char wanted[kRegistryTextSize];
    if (readText(key.get(), kDefaultLocationValue, wanted, sizeof wanted)) {
      int index = findComboItem(list, wanted, ItemMatch::Prefix);
      if (index >= 0) ::SendMessageA(list, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    }
  }
  FillPhoneNumber(dialog);
  FillCredentials(dialog);
}

void FillPhoneNumber(HWND dialog) {
  char profile[kNameSize], location[kNameSize];
  comboSelectedText(dialog, IDC_PROFILE_LIST, profile, sizeof profile);
  comboSelectedText(dialog, IDC_LOCATION_LIST, location, sizeof location);
  RasLibrary ras;
  auto getParams = ras.lookUp<RasGetEntryDialParamsProc>("RasGetEntryDialParamsA");
  if (getParams == nullptr || profile[0] == '\0' || location[0] == '\0') return;
  {
    qp::UniqueHKey key;
    char phone[kRegistryTextSize];
    if (openSettingsKey(profile, location, true, key) &&
        readText(key.get(), kPhoneNumberValue, phone, sizeof phone)) {
      ::SetDlgItemTextA(dialog, IDC_PHONE, phone);
      return;
    }
  }
  if (!isDefaultLocation(location)) return;  // the box keeps its number
  RasDialParamsA params;
  if (fetchStoredDialParams(getParams, profile, params))
    ::SetDlgItemTextA(dialog, IDC_PHONE, params.szPhoneNumber);
  ::SecureZeroMemory(&params, sizeof params);
}

void FillCredentials(HWND dialog) {
  char profile[kNameSize];
  comboSelectedText(dialog, IDC_PROFILE_LIST, profile, sizeof profile);
  RasLibrary ras;
  RasDialParamsA params;
  if (fetchStoredDialParams(ras.lookUp<RasGetEntryDialParamsProc>("RasGetEntryDialParamsA"),
                            profile, params)) {
    ::SetDlgItemTextA(dialog, IDC_USER, params.szUserName);
    ::SetDlgItemTextA(dialog, IDC_PASSWORD, params.szPassword);
  }
  ::SecureZeroMemory(&params, sizeof params);
}

}  // namespace qpras
