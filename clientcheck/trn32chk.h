// The one export of TRN32CHK.DLL, which an installer calls before it installs, and the
// pointer type a caller gets from GetProcAddress.
#pragma once

#include "hostapi/qptypes.h"

extern "C" {
// Asks a running Ternwing desktop client to close and, while it still runs, asks the
// user to exit it. The argument is not used. 0: no client window is left; 1: a client
// window is still there and the user chose Cancel.
int32_t QPAPI CheckTrn32Running(int32_t unused);
}

using CheckTrn32RunningProc = int32_t(QPAPI*)(int32_t);
