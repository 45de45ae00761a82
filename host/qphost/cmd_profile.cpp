// QPHOST's "profile" commands: show a multi-session profile and change its password,
// members and Internet interface through the profile store of QPXMULTI; import, export
// and test (admin.h). Arguments are checked in full before anything is read or written.
#include <cstdio>
#include <cstring>

#include "common/text.h"
#include "host/qphost/admin.h"
#include "host/qphost/commands.h"
#include "multi/core/profile_keys.h"
#include "multi/profile_store.h"

namespace qphost {

namespace {

constexpr char kMask[] = "********";

struct ProfileCommand {
  const char* name;
  int minArgs;  // counted after the command name, NAME included
  int maxArgs;
  int (*run)(char** args, int count);
};

const char* masked(const char* password, bool show) {
  if (*password == '\0') return "(none)";
  return show ? password : kMask;
}

int showProfile(char** args, int count) {
  const char* profile = args[0];
  bool showPasswords = false;
  if (count == 2) {
    if (std::strcmp(args[1], "--show-passwords") != 0)
      return usageError("unknown option '%s' of profile show", args[1]);
    showPasswords = true;
  }
  qp::UniqueHKey key;
  if (qpmulti::openProfileKey(profile, false, key) != ERROR_SUCCESS)
    return failure("there is no profile %s", profile);

  char password[qpmulti::kTextSize];
  char internet[qpmulti::kTextSize];
  qpmulti::ReadProfilePassword(profile, password);
  if (!qpmulti::ReadInternetInterface(profile, internet)) qp::copyText(internet, "(none)");
  std::printf("Profile:            %s\n", profile);
  std::printf("Area:               %s\n", qpmulti::GetProfileAreaPath());
  std::printf("Profile password:   %s\n", masked(password, showPasswords));
  std::printf("Internet interface: %s\n", internet);

  int members = 0;
  for (unsigned login = qpmulti::kFirstLogin; login <= qpmulti::kLastLogin; ++login) {
    qp::UniqueHKey member;
    if (qpmulti::openMemberKey(key.get(), login, false, member) != ERROR_SUCCESS) continue;
    member.reset();
    char user[qpmulti::kTextSize], iface[qpmulti::kTextSize], pass[qpmulti::kTextSize],
        database[qpmulti::kTextSize];
    if (members++ == 0)
      std::printf("\nLogin  User name             Interface   Password    Mail database\n");
    if (!qpmulti::ReadProfileMember(profile, login, user, iface, pass, database)) {
      std::printf("%-6u (no user name: not a member)\n", login);
      continue;
    }
    std::printf("%-6u %-21s %-11s ", login, user, *iface ? iface : "(none)");
    if (*database == '\0') {
      std::printf("%s\n", masked(pass, showPasswords));
    } else {
      std::printf("%-11s %s\n", masked(pass, showPasswords), database);
    }
  }
  if (members == 0) std::printf("\nNo members.\n");
  return kExitOk;
}

int storePassword(char** args, int) {
  if (!qpmulti::WriteProfilePassword(args[0], args[1]))
    return failure("could not store the password of profile %s", args[0]);
  std::printf(*args[1] ? "Password of profile %s stored.\n" : "Password of profile %s cleared.\n",
              args[0]);
  return kExitOk;
}

bool parseLogin(const char* text, unsigned* login) {
  if (qpmulti::parseMemberLogin(text, login)) return true;
  usageError("the Login number must be 1 to 49, not '%s'", text);
  return false;
}

int storeMember(char** args, int count) {
  unsigned login = 0;
  if (!parseLogin(args[1], &login)) return kExitUsage;
  if (*args[2] == '\0') return usageError("the member's user name must not be empty");
  if (*args[3] == '\0') return usageError("the member's interface must not be empty");
  const char* memberPassword = count > 4 ? args[4] : nullptr;
  const char* database = count > 5 ? args[5] : nullptr;
  if (!qpmulti::WriteProfileMember(args[0], login, args[2], args[3], memberPassword, database))
    return failure("could not store member Login%u of profile %s", login, args[0]);
  std::printf("Member Login%u of profile %s stored: %s at %s.\n", login, args[0], args[2],
              args[3]);
  return kExitOk;
}

int removeMember(char** args, int) {
  unsigned login = 0;
  if (!parseLogin(args[1], &login)) return kExitUsage;
  LONG rc = qpmulti::deleteMemberKey(args[0], login);
  if (rc == ERROR_FILE_NOT_FOUND)
    return failure("profile %s has no member Login%u", args[0], login);
  if (rc != ERROR_SUCCESS)
    return failure("could not remove member Login%u of profile %s (error %ld)", login, args[0],
                   static_cast<long>(rc));
  std::printf("Member Login%u of profile %s removed.\n", login, args[0]);
  return kExitOk;
}

int setInternet(char** args, int count) {
  const char* iface = count > 1 ? args[1] : "";
  if (qpmulti::WriteInternetInterface(args[0], iface)) {
    std::printf("Internet interface of profile %s set to %s.\n", args[0], iface);
  } else if (*iface != '\0') {
    return failure("could not store the Internet interface of profile %s", args[0]);
  } else {
    std::printf("Internet interface of profile %s cleared.\n", args[0]);
  }
  return kExitOk;
}

int deleteProfile(char** args, int) {
  LONG rc = qpmulti::deleteProfileKey(args[0]);
  if (rc == ERROR_FILE_NOT_FOUND) return failure("there is no profile %s", args[0]);
  if (rc != ERROR_SUCCESS)
    return failure("could not delete profile %s (error %ld)", args[0], static_cast<long>(rc));
  std::printf("Profile %s deleted.\n", args[0]);
  return kExitOk;
}

const ProfileCommand kCommands[] = {
    {"show", 1, 2, showProfile},    {"password", 2, 2, storePassword},
    {"member", 4, 6, storeMember},   {"remove", 2, 2, removeMember},
    {"internet", 1, 2, setInternet}, {"delete", 1, 1, deleteProfile},
    {"export", 1, 2, exportProfile}, {"test", 1, 1, testProfile},
};

int run(int argc, char** argv) {
  if (argc < 1) return usageError("profile needs a command; QPHOST help lists them");
  // import takes a file, not a profile name.
  if (qp::equalsNoCase(argv[0], "import")) {
    if (argc != 2) return usageError("profile import needs one FILE");
    return importProfiles(argv + 1, 1);
  }
  const ProfileCommand* command = nullptr;
  for (const ProfileCommand& c : kCommands) {
    if (qp::equalsNoCase(argv[0], c.name)) command = &c;
  }
  if (command == nullptr) return usageError("unknown profile command '%s'", argv[0]);
  const int count = argc - 1;
  char** args = argv + 1;
  if (count < command->minArgs) return usageError("profile %s: missing arguments", command->name);
  if (count > command->maxArgs) return usageError("profile %s: too many arguments", command->name);
  for (int i = 0; i < count; ++i) {
    if (std::strlen(args[i]) > qpmulti::kMaxTextLength)
      return usageError("argument %d of profile %s is longer than %u characters", i + 1,
                        command->name, static_cast<unsigned>(qpmulti::kMaxTextLength));
  }
  if (!qpmulti::isValidProfileName(args[0]))
    return usageError("'%s' is no profile name (empty, or holds a backslash)", args[0]);
  return command->run(args, count);
}

}  // namespace

const CommandGroup kProfileCommands = {
    "profile",
    "  QPHOST profile show NAME [--show-passwords]\n"
    "  QPHOST profile password NAME PASSWORD        (empty PASSWORD: clears it)\n"
    "  QPHOST profile member NAME LOGIN USER INTERFACE [PASSWORD [MAILDB]]   (LOGIN 1..49)\n"
    "  QPHOST profile remove NAME LOGIN\n"
    "  QPHOST profile internet NAME [INTERFACE]     (no INTERFACE: clears it)\n"
    "  QPHOST profile delete NAME\n"
    "  QPHOST profile import FILE                   (profiles from a profile file)\n"
    "  QPHOST profile export NAME [--with-passwords]   (a profile file on standard output)\n"
    "  QPHOST profile test NAME                     (every member's credentials)\n",
    run,
};

}  // namespace qphost
