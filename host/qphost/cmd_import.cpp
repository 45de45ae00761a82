// QPHOST profile import/export: profiles from and to the profile file (core/
// profile_file.h). Import checks the whole file, and looks up every password it keeps,
// before it writes anything; each profile it names is then replaced as a whole.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "common/text.h"
#include "host/qphost/admin.h"
#include "host/qphost/commands.h"
#include "hostapi/qpxcomm.h"
#include "multi/core/profile_keys.h"
#include "multi/profile_store.h"

namespace qphost {

namespace {

// Profile files of a few hundred thousand profiles fit easily.
constexpr long kMaxFileSize = 64L * 1024 * 1024;

bool readWholeFile(const char* path, std::string& text) {
  FILE* file = std::fopen(path, "rb");
  if (file == nullptr) return false;
  text.clear();
  char buffer[16384];
  size_t got;
  bool ok = true;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
    text.append(buffer, got);
    if (text.size() > static_cast<size_t>(kMaxFileSize)) {
      ok = false;
      break;
    }
  }
  if (std::ferror(file)) ok = false;
  std::fclose(file);
  return ok;
}

// Scrubs a password held in a std::string before it is released.
void scrub(std::string& text) {
  if (!text.empty()) ::SecureZeroMemory(&text[0], text.size());
  text.clear();
}

void scrub(ProfileEntry& profile) {
  scrub(profile.password);
  for (MemberEntry& m : profile.members) scrub(m.password);
}

// Fills in the passwords a bare * keeps; false after an error naming the file's line
// when there is no stored password to keep.
bool resolveKeptPasswords(const char* path, ProfileEntry& profile) {
  bool needed = profile.keepPassword;
  for (const MemberEntry& m : profile.members) needed = needed || m.keepPassword;
  if (!needed) return true;
  ProfileEntry stored;
  const bool exists = readStoredProfile(profile.name.c_str(), stored);
  bool ok = true;
  if (profile.keepPassword) {
    if (!exists || stored.password.empty()) {
      usageError("%s line %u: password * keeps the stored password, but profile %s has none",
                 path, profile.passwordLine, profile.name.c_str());
      ok = false;
    }
    profile.password = stored.password;
  }
  for (MemberEntry& m : profile.members) {
    if (!ok || !m.keepPassword) continue;
    const MemberEntry* old = nullptr;
    for (const MemberEntry& s : stored.members) {
      if (s.login == m.login) old = &s;
    }
    if (old == nullptr || old->password.empty()) {
      usageError("%s line %u: password * keeps the stored password, but member %u of "
                 "profile %s has none", path, m.line, m.login, profile.name.c_str());
      ok = false;
    } else {
      m.password = old->password;
    }
  }
  scrub(stored);
  return ok;
}

// Replaces the stored profile with `profile`: password, Internet interface, the listed
// members; member keys 1..49 it does not list are deleted.
bool storeProfile(const ProfileEntry& profile) {
  const char* name = profile.name.c_str();
  if (!qpmulti::WriteProfilePassword(name, profile.password.c_str())) return false;
  if (!qpmulti::WriteInternetInterface(name, profile.internetInterface.c_str()) &&
      !profile.internetInterface.empty())
    return false;
  bool listed[qpmulti::kLastLogin + 1] = {};
  for (const MemberEntry& m : profile.members) listed[m.login] = true;
  for (unsigned login = qpmulti::kFirstLogin; login <= qpmulti::kLastLogin; ++login) {
    if (listed[login]) continue;
    const LONG rc = qpmulti::deleteMemberKey(name, login);
    if (rc != ERROR_SUCCESS && rc != ERROR_FILE_NOT_FOUND) return false;
  }
  for (const MemberEntry& m : profile.members) {
    if (!qpmulti::WriteProfileMember(name, m.login, m.userName.c_str(), m.interfaceName.c_str(),
                                     m.password.c_str(), m.mailDatabase.c_str()))
      return false;
  }
  return true;
}

}  // namespace

bool readStoredProfile(const char* name, ProfileEntry& profile) {
  profile = ProfileEntry();
  qp::UniqueHKey key;
  if (qpmulti::openProfileKey(name, false, key) != ERROR_SUCCESS) return false;
  profile.name = name;
  char text[qpmulti::kTextSize];
  qpmulti::ReadStoredPassword(key.get(), name, text);
  profile.password = text;
  ::SecureZeroMemory(text, sizeof text);
  if (qpmulti::ReadInternetInterface(name, text)) profile.internetInterface = text;
  for (unsigned login = qpmulti::kFirstLogin; login <= qpmulti::kLastLogin; ++login) {
    qp::UniqueHKey memberKey;
    if (qpmulti::openMemberKey(key.get(), login, false, memberKey) != ERROR_SUCCESS) continue;
    char user[qpmulti::kTextSize], iface[qpmulti::kTextSize], pass[qpmulti::kTextSize],
        database[qpmulti::kTextSize];
    if (!qpmulti::ReadProfileMember(name, login, user, iface, pass, database)) continue;
    MemberEntry m;
    m.login = login;
    m.userName = user;
    m.interfaceName = iface;
    m.password = pass;
    m.mailDatabase = database;
    ::SecureZeroMemory(pass, sizeof pass);
    profile.members.push_back(std::move(m));
  }
  return true;
}

void progress(const char* verb, size_t done, size_t total) {
  if (total < kProgressFrom || (done % kProgressStep != 0 && done != total)) return;
  std::fprintf(stderr, "%s %zu/%zu profiles\n", verb, done, total);
  std::fflush(stderr);
}

int importProfiles(char** args, int) {
  const char* path = args[0];
  std::string text;
  if (!readWholeFile(path, text))
    return failure("cannot read the profile file %s (missing, unreadable or over 64 MB)", path);
  ProfileFile file = parseProfileFile(text);
  scrub(text);
  if (!file.ok) {
    if (file.errorLine == 0) return usageError("%s: %s", path, file.error.c_str());
    return usageError("%s line %u: %s", path, file.errorLine, file.error.c_str());
  }
  if (file.profiles.empty()) return usageError("%s describes no profile", path);
  bool ok = true;
  for (ProfileEntry& profile : file.profiles) ok = resolveKeptPasswords(path, profile) && ok;
  if (!ok) {
    for (ProfileEntry& profile : file.profiles) scrub(profile);
    return kExitUsage;
  }

  size_t done = 0, members = 0;
  int rc = kExitOk;
  for (ProfileEntry& profile : file.profiles) {
    if (!storeProfile(profile)) {
      rc = failure("could not store profile %s (line %u); %zu profile%s before it %s imported",
                   profile.name.c_str(), profile.line, done, done == 1 ? "" : "s",
                   done == 1 ? "was" : "were");
      break;
    }
    members += profile.members.size();
    progress("imported", ++done, file.profiles.size());
  }
  for (ProfileEntry& profile : file.profiles) scrub(profile);
  if (rc == kExitOk)
    std::printf("Imported %zu profile%s with %zu member%s from %s.\n", done, done == 1 ? "" : "s",
                members, members == 1 ? "" : "s", path);
  return rc;
}

int exportProfile(char** args, int count) {
  bool withPasswords = false;
  if (count == 2) {
    if (std::strcmp(args[1], "--with-passwords") != 0)
      return usageError("unknown option '%s' of profile export", args[1]);
    withPasswords = true;
  }
  ProfileEntry profile;
  if (!readStoredProfile(args[0], profile)) return failure("there is no profile %s", args[0]);
  std::string text = formatProfile(profile, withPasswords);
  std::printf("# QPHOST profile export: passwords %s\n%s",
              withPasswords ? "included" : "written as * (import keeps the stored ones)",
              text.c_str());
  scrub(text);
  scrub(profile);
  return kExitOk;
}

}  // namespace qphost
