// QPXBARE.DLL: a test interface library that can only log in and out, so that every
// other operation the session manager forwards finds no export.
#include <cstdint>

#include "hostapi/qptypes.h"

extern "C" __declspec(dllexport) int32_t QPAPI QPIAuthenticateUser(const char*, const char*, const char*,
                                                                    int32_t, void**) {
  return 1;
}

extern "C" __declspec(dllexport) void QPAPI QPICleanUpAfterUser(QPSESSION, const char*) {}
