// The export QPIClientConfigure of QPXMULTI.DLL: the host opens the profile dialog of the
// session's profile (the host session's user name is the profile name).
#include <windows.h>

#include "hostapi/qpxcomm.h"
#include "multi/export_guard.h"
#include "multi/profile_dialog.h"

extern "C" int32_t QPAPI QPIClientConfigure(HWND owner, QPSESSION session);

extern "C" int32_t QPAPI QPIClientConfigure(HWND owner, QPSESSION session) {
  return qpmulti::guardExport(0, [&] {
    char profileName[QP_TEXT_SMALL + 1] = "";
    GetUserUsername(session, profileName);
    qpmulti::ConfigureProfile(profileName, session, owner);
    return 0;
  });
}
