// QPHOST doctor: checks what a working set-up needs — the server directory (settings,
// user database files, QPXMULTI and the session manager, interface libraries that
// describe themselves), every profile of the current area and the dial-up settings —
// and says for each fault what is wrong and how to mend it. Exit code 1 on any fault.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "common/text.h"
#include "common/win/unique.h"
#include "dialup/settings_store.h"
#include "host/qphost/admin.h"
#include "host/qphost/commands.h"
#include "multi/core/area_path.h"
#include "multi/core/profile_keys.h"
#include "multi/core/scramble.h"
#include "multi/profile_store.h"
#include "multi/registry_value.h"

namespace qphost {

namespace {

constexpr size_t kRecordSize = 1024;  // of a user database file

class Doctor {
 public:
  void section(const char* title, const std::string& where) {
    std::printf("[%s] %s\n", title, where.c_str());
  }
  void ok(const std::string& text) { std::printf("  ok: %s\n", text.c_str()); }
  void problem(const std::string& text, const std::string& fix) {
    ++problems_;
    std::printf("  PROBLEM: %s\n    fix: %s\n", text.c_str(), fix.c_str());
    std::fflush(stdout);
  }
  size_t problems() const { return problems_; }

 private:
  size_t problems_ = 0;
};

bool fileExists(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

void checkServerDirectory(Doctor& d, const std::string& dir,
                          const std::vector<InstalledInterface>& installed) {
  d.section("server directory", dir);
  const DWORD attributes = ::GetFileAttributesA(dir.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    d.problem("the server directory does not exist",
              "set QP_SERVER_DIR to the mail server's directory (e.g. Z:\\srv\\qp\\)");
    return;
  }
  const std::string ini = dir + "QUILLPOST.INI";
  if (!fileExists(ini)) {
    d.problem("QUILLPOST.INI is missing", "copy the server's settings file into " + dir);
  } else {
    char host[qpmulti::kTextSize] = "";
    ::GetPrivateProfileStringA("SMTP", "HostDotDomainName", "", host, sizeof host, ini.c_str());
    if (host[0] == '\0')
      d.problem("QUILLPOST.INI names no [SMTP] HostDotDomainName",
                "add it, e.g. HostDotDomainName=mail.example.com under [SMTP]");
    else
      d.ok(std::string("QUILLPOST.INI ([SMTP] HostDotDomainName ") + host + ")");
  }

  size_t databases = 0;
  for (char c = '@'; c <= '['; ++c) {
    const std::string name = std::string("QPUSER.DB") + (c == '[' ? '_' : c);
    qp::UniqueFile file(::CreateFileA((dir + name).c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                      0, nullptr));
    if (!file) {
      if (fileExists(dir + name))
        d.problem(name + " cannot be opened for reading", "check its permissions and locks");
      continue;
    }
    ++databases;
    LARGE_INTEGER size{};
    if (::GetFileSizeEx(file.get(), &size) && size.QuadPart % kRecordSize != 0)
      d.problem(name + " is not a whole number of 1024-byte records (" +
                    std::to_string(size.QuadPart) + " bytes)",
                "restore it from a backup or let the server rebuild it");
  }
  if (databases == 0)
    d.problem("no user database file QPUSER.DB? is there",
              "copy the server's user database files into " + dir);
  else
    d.ok(std::to_string(databases) + " user database file" + (databases == 1 ? "" : "s"));

  for (const char* library : {"QPXMULTI.DLL", "QPXSESS.DLL"}) {
    if (!fileExists(dir + library))
      d.problem(std::string(library) + " is missing",
                std::string("install ") + library + " into " + dir);
  }
  std::string names;
  for (const InstalledInterface& entry : installed) {
    switch (entry.state) {
      case qpmulti::LibraryState::Described:
        names += (names.empty() ? "" : ", ") + entry.name;
        break;
      case qpmulti::LibraryState::Silent:
        d.problem(entry.fileName + " is an interface library that does not describe itself "
                  "(no QPICheckInterfaceStatus, or an empty description), so it is never offered",
                  "install a working copy of " + entry.fileName + ", or remove it");
        break;
      case qpmulti::LibraryState::Unloadable:
        d.problem(entry.fileName + " does not load (damaged, wrong architecture, or a library "
                  "it needs is missing)",
                  "install a working copy of " + entry.fileName + ", or remove it");
        break;
      case qpmulti::LibraryState::NotInterface:
        break;  // a server library such as QPXCOMM.DLL
    }
  }
  if (names.empty())
    d.problem("no interface library QPX<name>.DLL describes itself",
              "install the interface libraries (QPXPOP3.DLL, ...) into " + dir);
  else
    d.ok("interface libraries: " + names);
}

// What is wrong with a stored password ("ProfileData", or a plain "Password"), or "".
std::string passwordFault(HKEY key, const char* owner) {
  DWORD type = REG_NONE, size = 0;
  if (::RegQueryValueExA(key, "Password", nullptr, &type, nullptr, &size) == ERROR_SUCCESS)
    return type == REG_SZ ? "" : "its Password value is no text";
  if (::RegQueryValueExA(key, "ProfileData", nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
    return "";  // no password
  if (size > qpmulti::kProfileDataSize)
    return "its ProfileData is longer than " + std::to_string(qpmulti::kProfileDataSize) + " bytes";
  std::vector<unsigned char> data(size + 1, 0);
  if (::RegQueryValueExA(key, "ProfileData", nullptr, &type, data.data(), &size) != ERROR_SUCCESS)
    return "its ProfileData cannot be read";
  if (size == 0) return "";
  char lowered[qpmulti::kScrambleKeyLimit + 1];
  qp::copyText(lowered, owner);
  ::CharLowerA(lowered);
  char password[qpmulti::kProfileDataSize + 1];
  qpmulti::unscramblePassword(lowered, data.data(), size, password, sizeof password);
  const size_t length = std::strlen(password);
  bool control = false;
  for (size_t i = 0; i < length; ++i)
    control = control || (static_cast<unsigned char>(password[i]) < 0x20 && password[i] != '\t');
  ::SecureZeroMemory(password, sizeof password);
  // A sound value is the scrambled characters and one zero byte; no character is a
  // control character once unscrambled.
  if (data[size - 1] != 0 || length != size - 1 || control)
    return "its ProfileData cannot be unscrambled (written for another name, or damaged)";
  return "";
}

std::vector<std::string> subkeys(HKEY key) {
  std::vector<std::string> names;
  char name[256];
  for (DWORD i = 0;; ++i) {
    DWORD length = sizeof name;
    const LONG rc = ::RegEnumKeyExA(key, i, name, &length, nullptr, nullptr, nullptr, nullptr);
    if (rc == ERROR_MORE_DATA) continue;
    if (rc != ERROR_SUCCESS) break;
    names.emplace_back(name, length);
  }
  return names;
}

// The Login number of a key name "Login<n>" (any n), or 0.
unsigned loginOf(const std::string& name) {
  if (name.size() < 6 || name.size() > 10 || !qp::startsWithNoCase(name.c_str(), "Login"))
    return 0;
  unsigned value = 0;
  for (size_t i = 5; i < name.size(); ++i) {
    if (name[i] < '0' || name[i] > '9') return 0;
    value = value * 10 + static_cast<unsigned>(name[i] - '0');
  }
  return value;
}

const char kDialogFix[] = "change it with QPHOST profile member or remove, or in the "
                          "profile dialog";

// Checks one profile; true when nothing is wrong with it.
bool checkProfile(Doctor& d, HKEY area, const std::string& name,
                  const std::vector<InstalledInterface>& installed, bool quiet) {
  const size_t before = d.problems();
  const std::string p = "profile " + name + ": ";
  qp::UniqueHKey key;
  if (::RegOpenKeyExA(area, name.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) {
    d.problem(p + "its key cannot be opened", "check the key's permissions with regedit");
    return false;
  }
  if (!qpmulti::isValidProfileName(name.c_str()))
    d.problem(p + "the name is longer than 149 characters", "delete it and set it up again");
  std::string fault = passwordFault(key.get(), name.c_str());
  if (!fault.empty())
    d.problem(p + "profile password unreadable: " + fault,
              "QPHOST profile password " + name + " NEWPASSWORD");
  char internet[qpmulti::kTextSize] = "";
  if (qpmulti::readTextValue(key.get(), "InternetInterface", internet, sizeof internet) &&
      internet[0] != '\0' && findInterface(installed, internet) == nullptr)
    d.problem(p + "the interface for Internet recipients, " + internet + ", is not installed",
              "install QPX" + std::string(internet) + ".DLL, or QPHOST profile internet " +
                  name + " INTERFACE");

  bool present[qpmulti::kLastLogin + 1] = {};
  size_t members = 0;
  for (const std::string& keyName : subkeys(key.get())) {
    const unsigned login = loginOf(keyName);
    if (login == qpmulti::kSwapLogin) {
      d.problem(p + keyName + " is left over from an interrupted swap of two members",
                "check the members, then delete the key " + keyName);
      continue;
    }
    if (!qpmulti::isMemberLogin(login)) {
      d.problem(p + "member key " + keyName + " is no Login 1..49 and is never used",
                "move the member to a free Login (QPHOST profile member) and delete " + keyName);
      continue;
    }
    qp::UniqueHKey member;
    if (::RegOpenKeyExA(key.get(), keyName.c_str(), 0, KEY_READ, member.put()) != ERROR_SUCCESS)
      continue;
    // The store's own reader: a value it would not read counts as missing here too.
    char user[qpmulti::kTextSize] = "", iface[qpmulti::kTextSize] = "";
    qpmulti::readTextValue(member.get(), "UserName", user, sizeof user);
    qpmulti::readTextValue(member.get(), "Interface", iface, sizeof iface);
    const std::string m = p + keyName + " ";
    if (user[0] == '\0') {
      d.problem(m + "has no user name, so it is no member", kDialogFix);
      continue;
    }
    present[login] = true;
    ++members;
    if (iface[0] == '\0')
      d.problem(m + "(" + user + ") has no interface", kDialogFix);
    else if (findInterface(installed, iface) == nullptr)
      d.problem(m + "(" + user + ") names interface " + iface + ", which is not installed",
                "install QPX" + std::string(iface) + ".DLL, or give the member another interface: " +
                    kDialogFix);
    fault = passwordFault(member.get(), user);
    if (!fault.empty())
      d.problem(m + "(" + user + ") password unreadable: " + fault,
                "store it again: QPHOST profile member " + name + " " + keyName.substr(5) + " " +
                    user + " " + iface + " PASSWORD ...");
  }
  std::string gaps;
  for (unsigned login = 1, seen = 0; login <= qpmulti::kLastLogin && seen < members; ++login) {
    if (present[login]) ++seen;
    else gaps += (gaps.empty() ? "Login" : ", Login") + std::to_string(login);
  }
  if (!gaps.empty())
    d.problem(p + "the members have gaps (" + gaps + " missing)",
              "open the profile dialog, which renumbers them, or export the profile, "
              "renumber the members and import it");
  if (members == 0)
    d.problem(p + "no members", "add one: QPHOST profile member " + name + " 1 USER INTERFACE ...");
  if (d.problems() == before && !quiet)
    d.ok(name + " (" + std::to_string(members) + " member" + (members == 1 ? "" : "s") + ")");
  return d.problems() == before;
}

void checkProfiles(Doctor& d, const std::vector<InstalledInterface>& installed) {
  const std::string areaPath = qpmulti::GetProfileAreaPath();
  d.section("profiles", "HKCU\\" + areaPath);
  qp::UniqueHKey area;
  if (::RegOpenKeyExA(HKEY_CURRENT_USER, areaPath.c_str(), 0, KEY_READ, area.put()) != ERROR_SUCCESS) {
    d.ok("no profiles");
    return;
  }
  std::vector<std::string> names = subkeys(area.get());
  // The base area also holds the sub-areas of other network users.
  if (areaPath == qpmulti::kProfileAreaBase) {
    for (size_t i = 0; i < names.size(); ++i) {
      if (qp::equalsNoCase(names[i].c_str(), "NonDefaultUser")) names.erase(names.begin() + i--);
    }
  }
  const bool quiet = names.size() >= kProgressFrom;
  size_t healthy = 0;
  for (size_t i = 0; i < names.size(); ++i) {
    healthy += checkProfile(d, area.get(), names[i], installed, quiet);
    progress("checked", i + 1, names.size());
  }
  if (names.empty()) d.ok("no profiles");
  else if (quiet) d.ok(std::to_string(healthy) + " of " + std::to_string(names.size()) + " profiles sound");
}

void checkDialUp(Doctor& d) {
  d.section("dial-up", std::string("HKCU\\") + qpras::kSettingsKey);
  qp::UniqueHKey settings;
  if (!qpras::openSettingsKey(nullptr, nullptr, false, settings)) {
    d.ok("not set up (the first dial-up call stores the choice)");
    return;
  }
  char profile[257] = "";
  if (!qpras::readText(settings.get(), qpras::kDefaultProfileValue, profile, sizeof profile)) {
    d.ok("no dial-up profile chosen yet");
    return;
  }
  qp::UniqueHKey profileKey;
  if (!qpras::openSettingsKey(profile, nullptr, false, profileKey)) {
    d.problem(std::string("DefaultProfile names ") + profile + ", which has no settings key",
              "dial once and confirm the profile in the dial-up dialog, or delete DefaultProfile");
    return;
  }
  char location[257] = "";
  if (!qpras::readText(profileKey.get(), qpras::kDefaultLocationValue, location, sizeof location)) {
    d.ok(std::string("profile ") + profile + " (no location chosen)");
    return;
  }
  qp::UniqueHKey locationKey;
  if (!qpras::openSettingsKey(profile, location, false, locationKey)) {
    d.problem(std::string("profile ") + profile + ": DefaultLocation names " + location +
                  ", which has no settings key",
              "choose the location again in the dial-up dialog (New... stores it)");
    return;
  }
  char phone[257] = "";
  qpras::readText(locationKey.get(), qpras::kPhoneNumberValue, phone, sizeof phone);
  d.ok(std::string("profile ") + profile + ", location " + location +
       (phone[0] ? std::string(", phone number ") + phone : std::string(", the profile's own number")));
}

int run(int argc, char**) {
  if (argc != 0) return usageError("doctor takes no arguments");
  Doctor d;
  const std::string dir = serverDirectory();
  const std::vector<InstalledInterface> installed = installedInterfaces(dir);
  checkServerDirectory(d, dir, installed);
  checkProfiles(d, installed);
  checkDialUp(d);
  if (d.problems() == 0) {
    std::printf("No problems found.\n");
    return kExitOk;
  }
  std::printf("%zu problem%s found.\n", d.problems(), d.problems() == 1 ? "" : "s");
  return kExitFailed;
}

}  // namespace

const CommandGroup kDoctorCommands = {
    "doctor",
    "  QPHOST doctor                                (checks the server directory, every\n"
    "    profile and the dial-up settings; exit code 1 when anything is wrong)\n",
    run,
};

}  // namespace qphost
