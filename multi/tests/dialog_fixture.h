// Shared by the profile-dialog tests: the program's own server directory (copies of
// QPXMULTI.DLL and of interface libraries, some of which must never be offered), a run of
// QPIClientConfigure under a dialog script with a watchdog, mail accounts, and the
// registry and journal as the dialogs leave them.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "host/mailstore/tests/mail_database.h"
#include "hostapi/qptypes.h"
#include "multi/profile_dialog_ids.h"
#include "multi/tests/registry_fixture.h"
#include "testing/dialog_driver.h"

namespace dialogtest {

using qptest::Step;

// What a dialog script saw.
struct Outcome {
  std::vector<std::string> titles;      // the windows handed to the steps, in order
  std::vector<std::string> unexpected;  // windows beyond the script (each was cancelled)
  bool allStepsRun = false;
  bool watchdogFired = false;  // dialogs still open after the time limit
};

// The entries the member dialog offers in the test's server directory: the sample library
// under its own names and two copies whose settings files take away the password or the
// mail database. Decoys (excluded names, empty description, half libraries, a file that
// is no library) lie beside them.
extern const std::vector<std::string> kOfferedInterfaces;

struct Member {
  std::string userName, interfaceName, password, mailDatabase;
  bool operator==(const Member& other) const;
};
std::ostream& operator<<(std::ostream& out, const Member& member);

// Message `number` of the string table formatted with the arguments, as the dialogs do.
std::string message(unsigned number, ...);
// The caption of every message box of QPXMULTI.
std::string boxCaption();

// Index of the first list or combo box entry that begins with `prefix`, -1 for none.
int entryIndex(HWND dialog, int id, const std::string& prefix);
// Selects the member dialog's entry of interface `name` (notifying the dialog).
void selectInterface(HWND memberDialog, const std::string& name);
// The operations in a mail database's journal, in order ("AuthenticateUser", ...).
std::vector<std::string> journalOperations(const qptest::MailDatabase& database);

class DialogTest : public storetest::StoreTest {
 protected:
  // Opens the profile dialog of `profile` through QPIClientConfigure with a host session
  // whose user name is the profile, and runs the script on the windows that activate.
  Outcome configure(const char* profile, std::vector<Step> steps);

  static void writeMember(const char* profile, unsigned login, const Member& member);
  static Member readMember(const char* profile, unsigned login);
  // Names of the profile key's subkeys, sorted by Login number.
  static std::vector<std::string> memberKeys(const char* profile);
};

}  // namespace dialogtest
