// QPHOST profile test: every member's credentials tried through the session manager the
// way the member dialog tries them before it stores a member; also the server directory
// and its interface libraries, which doctor shares.
#include <windows.h>

#include <cstdio>
#include <string>

#include "common/text.h"
#include "host/qphost/admin.h"
#include "host/qphost/commands.h"
#include "hostapi/qpxcomm.h"
#include "multi/core/dialog_texts.h"
#include "multi/interface_list.h"
#include "multi/member_check.h"

namespace qphost {

std::string serverDirectory() {
  char path[MAX_PATH] = "";
  QPGetServerDirectory(path, sizeof path);
  return path;
}

std::vector<InstalledInterface> installedInterfaces(const std::string& directory) {
  std::vector<InstalledInterface> list;
  qpmulti::ForEachInterfaceLibrary(directory.c_str(), [&list](const char* fileName,
                                                              qpmulti::LibraryState state,
                                                              const char* description) {
    char name[QP_TEXT_SMALL];
    qpmulti::interfaceNameFromFileName(fileName, name, sizeof name);
    list.push_back({name, fileName, state, description});
  });
  return list;
}

const InstalledInterface* findInterface(const std::vector<InstalledInterface>& list,
                                        const std::string& name) {
  for (const InstalledInterface& entry : list) {
    if (entry.state == qpmulti::LibraryState::Described && qp::equalsNoCase(entry.name.c_str(), name.c_str()))
      return &entry;
  }
  return nullptr;
}

int testProfile(char** args, int) {
  ProfileEntry profile;
  if (!readStoredProfile(args[0], profile)) return failure("there is no profile %s", args[0]);
  if (profile.members.empty()) {
    std::printf("Profile %s has no members.\n", args[0]);
    return kExitFailed;
  }
  const std::string directory = serverDirectory();
  const std::vector<InstalledInterface> installed = installedInterfaces(directory);
  std::printf("Profile %s: %zu member%s, interface libraries in %s\n", args[0],
              profile.members.size(), profile.members.size() == 1 ? "" : "s", directory.c_str());
  size_t failed = 0;
  for (MemberEntry& m : profile.members) {
    const char* outcome = "authenticated";
    if (m.interfaceName.empty()) {
      outcome = "no interface configured";
    } else if (findInterface(installed, m.interfaceName) == nullptr) {
      outcome = "interface library missing";
    } else if (!qpmulti::TestMemberCredentials(m.userName.c_str(), m.password.c_str(),
                                               m.interfaceName.c_str(), m.mailDatabase.c_str())) {
      outcome = "wrong credentials";
    }
    if (outcome[0] != 'a') ++failed;
    std::printf("Login%-3u %-24s %-10s %s\n", m.login, m.userName.c_str(),
                m.interfaceName.empty() ? "(none)" : m.interfaceName.c_str(), outcome);
    std::fflush(stdout);
    if (!m.password.empty()) ::SecureZeroMemory(&m.password[0], m.password.size());
  }
  if (failed == 0) {
    std::printf("Every member authenticated.\n");
    return kExitOk;
  }
  std::printf("%zu of %zu members failed.\n", failed, profile.members.size());
  return kExitFailed;
}

}  // namespace qphost
