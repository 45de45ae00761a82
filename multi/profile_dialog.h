// The profile configuration dialogs of QPXMULTI.DLL: the profile dialog with its list of
// members, and the member dialog nested in it.
#pragma once

#include <windows.h>

#include "hostapi/qptypes.h"

namespace qpmulti {

// Opens the profile dialog for `profileName` (creating the profile when missing) with
// `owner` as parent. `session` is the host session, or -1 when the dialog is opened
// during log-in, before a host session exists; only with a host session does a change
// of members end in the warning that it takes effect at the next log-in.
void ConfigureProfile(const char* profileName, QPSESSION session, HWND owner);

}  // namespace qpmulti
