// Member list and Internet-interface box of the profile dialog; see profile_list.h.
#include "multi/profile_list.h"

#include "common/text.h"
#include "hostapi/qpxcomm.h"
#include "multi/core/dialog_texts.h"
#include "multi/core/profile_keys.h"
#include "multi/message_box.h"
#include "multi/profile_dialog_ids.h"
#include "multi/profile_store.h"
#include "multi/registry_value.h"

namespace qpmulti {

namespace {

constexpr unsigned kProfileNotOpened = 3601;
constexpr unsigned kMemberNotCreated = 3602;
constexpr unsigned kNoInterface = 3615;
constexpr int32_t kTextLimit = 150;

struct Member {
  char userName[kDialogTextSize] = "";
  char interfaceName[kDialogTextSize] = "";
  char password[kDialogTextSize] = "";
  char mailDatabase[kDialogTextSize] = "";
  ~Member() { ::SecureZeroMemory(password, sizeof password); }
};

void keyName(unsigned login, char (&name)[16]) { wsprintfA(name, "Login%u", login); }

// Reads an open member key; true when it counts (a non-empty user name).
bool readMember(HKEY key, Member& member) {
  if (!readTextValue(key, "UserName", member.userName, sizeof member.userName) ||
      member.userName[0] == '\0')
    return false;
  readTextValue(key, "Interface", member.interfaceName, sizeof member.interfaceName);
  ReadStoredPassword(key, member.userName, member.password, sizeof member.password);
  readTextValue(key, "MailDatabase", member.mailDatabase, sizeof member.mailDatabase);
  return true;
}

bool writeMember(HKEY key, const Member& member) {
  bool ok = writeTextValue(key, "UserName", member.userName) == ERROR_SUCCESS;
  if (member.interfaceName[0] != '\0')
    ok = ok && writeTextValue(key, "Interface", member.interfaceName) == ERROR_SUCCESS;
  if (member.mailDatabase[0] != '\0')
    ok = ok && writeTextValue(key, "MailDatabase", member.mailDatabase) == ERROR_SUCCESS;
  return ok && WriteStoredPassword(key, member.userName, member.password);
}

// Moves a member from Login `from` to the free number `to`. The new key is written in
// full before the old one goes, so a failure loses nothing.
bool moveMember(HKEY profile, unsigned from, unsigned to, const Member& member) {
  char fromName[16], toName[16];
  keyName(from, fromName);
  keyName(to, toName);
  ::RegDeleteTreeA(profile, toName);  // a leftover that did not open as a member
  qp::UniqueHKey key;
  if (openMemberKey(profile, to, true, key) != ERROR_SUCCESS) return false;
  if (!writeMember(key.get(), member)) {
    key.reset();
    ::RegDeleteTreeA(profile, toName);
    return false;
  }
  key.reset();
  ::RegDeleteTreeA(profile, fromName);
  return true;
}

void failAndClose(HWND dialog, unsigned number, const char* argument) {
  char text[kMessageSize];
  formatMessage(text, sizeof text, number, argument);
  showError(dialog, text);
  ::EndDialog(dialog, 0);
}

// The text of list entry `index`; false when it does not fit.
bool listEntry(HWND dialog, int id, UINT lengthMessage, UINT textMessage, LRESULT index, char* out,
               size_t size) {
  const LRESULT length = ::SendDlgItemMessageA(dialog, id, lengthMessage, index, 0);
  if (length < 0 || static_cast<size_t>(length) >= size) return false;
  ::SendDlgItemMessageA(dialog, id, textMessage, index, reinterpret_cast<LPARAM>(out));
  return true;
}

// The box of the interface for Internet recipients: "none" and every member interface
// once, with the stored choice selected.
void fillInternetInterfaces(HWND dialog, const ProfileDialogRecord& record) {
  HWND box = ::GetDlgItem(dialog, QPM_INTERNET_INTERFACE);
  char none[kDialogTextSize];
  qp::copyText(none, GetString(kNoInterface, kTextLimit));
  ::SendMessageA(box, CB_RESETCONTENT, 0, 0);
  ::SendMessageA(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(none));
  const LRESULT count = ::SendDlgItemMessageA(dialog, QPM_MEMBER_LIST, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    char entry[kMemberEntrySize];
    char name[kDialogTextSize];
    if (!listEntry(dialog, QPM_MEMBER_LIST, LB_GETTEXTLEN, LB_GETTEXT, i, entry, sizeof entry))
      continue;
    memberEntryInterface(entry, name, sizeof name);
    // CB_FINDSTRINGEXACT ignores letter case. A member without interface adds nothing.
    if (name[0] != '\0' && ::SendMessageA(box, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                          reinterpret_cast<LPARAM>(name)) == CB_ERR)
      ::SendMessageA(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
  }
  char chosen[kDialogTextSize];
  ReadInternetInterface(record.profileName, chosen, sizeof chosen);
  if (chosen[0] == '\0') qp::copyText(chosen, none);
  LRESULT index = ::SendMessageA(box, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                 reinterpret_cast<LPARAM>(chosen));
  ::SendMessageA(box, CB_SETCURSEL, index == CB_ERR ? 0 : index, 0);
}

}  // namespace

void rebuildProfileLists(HWND dialog, const ProfileDialogRecord& record) {
  HWND list = ::GetDlgItem(dialog, QPM_MEMBER_LIST);
  ::SendMessageA(list, LB_RESETCONTENT, 0, 0);
  INT tabStops[] = {75, 500, 600};
  ::SendMessageA(list, LB_SETTABSTOPS, 3, reinterpret_cast<LPARAM>(tabStops));

  qp::UniqueHKey profile;
  if (openProfileKey(record.profileName, true, profile) != ERROR_SUCCESS) {
    failAndClose(dialog, kProfileNotOpened, record.profileName);
    return;
  }
  unsigned next = kFirstLogin;
  for (unsigned login = kFirstLogin; login <= kLastLogin; ++login) {
    Member member;
    bool valid;
    {
      qp::UniqueHKey key;
      if (openMemberKey(profile.get(), login, false, key) != ERROR_SUCCESS) continue;
      valid = readMember(key.get(), member);
    }
    char name[16];
    keyName(login, name);
    if (!valid) {
      ::RegDeleteTreeA(profile.get(), name);
      continue;
    }
    if (login != next && !moveMember(profile.get(), login, next, member)) {
      keyName(next, name);
      failAndClose(dialog, kMemberNotCreated, name);
      return;
    }
    char entry[kMemberEntrySize];
    formatMemberEntry(entry, sizeof entry, next, member.userName, member.interfaceName,
                      member.password, member.mailDatabase);
    ::SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
    ++next;
  }
  profile.reset();
  ::SendMessageA(list, LB_SETCURSEL, 0, 0);
  fillInternetInterfaces(dialog, record);
}

bool swapMembers(const char* profileName, unsigned a, unsigned b) {
  Member first, second;
  if (!ReadProfileMember(profileName, a, first.userName, first.interfaceName, first.password,
                         first.mailDatabase, kDialogTextSize) ||
      !ReadProfileMember(profileName, b, second.userName, second.interfaceName, second.password,
                         second.mailDatabase, kDialogTextSize))
    return false;
  const bool ok = WriteProfileMember(profileName, kSwapLogin, first.userName, first.interfaceName,
                                     first.password, first.mailDatabase) &&
                  WriteProfileMember(profileName, a, second.userName, second.interfaceName,
                                     second.password, second.mailDatabase) &&
                  WriteProfileMember(profileName, b, first.userName, first.interfaceName,
                                     first.password, first.mailDatabase);
  // After a failed write the temporary key still holds member a's copy; keep it then.
  if (ok) WriteProfileMember(profileName, kSwapLogin, nullptr, nullptr, nullptr, nullptr);
  return ok;
}

void storeInternetInterface(HWND dialog, const ProfileDialogRecord& record) {
  const LRESULT selected =
      ::SendDlgItemMessageA(dialog, QPM_INTERNET_INTERFACE, CB_GETCURSEL, 0, 0);
  char name[kDialogTextSize];
  if (selected == CB_ERR || !listEntry(dialog, QPM_INTERNET_INTERFACE, CB_GETLBTEXTLEN,
                                       CB_GETLBTEXT, selected, name, sizeof name))
    return;
  if (qp::equalsNoCase(name, GetString(kNoInterface, kTextLimit))) name[0] = '\0';
  WriteInternetInterface(record.profileName, name);
}

}  // namespace qpmulti
