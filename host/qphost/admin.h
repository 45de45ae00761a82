// Administration commands of QPHOST: profile import/export/test (called from the profile
// group) and what they share with doctor: reading a whole profile from the store, the
// server directory and its interface libraries, and progress lines for long runs.
#pragma once

#include <string>
#include <vector>

#include "host/qphost/core/profile_file.h"
#include "multi/interface_list.h"

namespace qphost {

// The argument handlers of "profile import FILE", "profile export NAME [--with-passwords]"
// and "profile test NAME" (args after the command name).
int importProfiles(char** args, int count);
int exportProfile(char** args, int count);
int testProfile(char** args, int count);

// A stored profile as the profile file describes it: password, Internet interface and
// every member that counts (one with a user name), in Login order. False when there is
// no such profile (nothing is created).
bool readStoredProfile(const char* name, ProfileEntry& profile);

// The server directory, ending in a backslash.
std::string serverDirectory();

// An interface library of the server directory, as the member dialog offers them.
struct InstalledInterface {
  std::string name;         // "POP3" of QPXPOP3.DLL
  std::string fileName;     // as found
  qpmulti::LibraryState state;
  std::string description;  // empty unless Described
};
std::vector<InstalledInterface> installedInterfaces(const std::string& directory);
// The entry of `name` (without regard to case) that describes itself; null when none.
const InstalledInterface* findInterface(const std::vector<InstalledInterface>& list,
                                        const std::string& name);

// Progress of a long run on standard error ("imported 100/500 profiles"), only when
// there are at least kProgressFrom items, every kProgressStep and at the end.
constexpr size_t kProgressFrom = 100;
constexpr size_t kProgressStep = 100;
void progress(const char* verb, size_t done, size_t total);

}  // namespace qphost
