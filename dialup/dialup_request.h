// The DialUpRequest record that the caller of QPXRAS.DLL owns and passes to
// StartDialUpNetworking and TestDialUpNetworking, and the two exports. The caller is
// built separately: the byte offsets of the 32-bit build are part of the contract.
#pragma once

#include <windows.h>

#include <cstddef>

#include "hostapi/qptypes.h"

// Zero-filled by the caller before it first passes the record; it must stay in place
// until threadHandle is back to 0.
struct DialUpRequest {
  LONG connected;          // nonzero once a connection to the server exists
  LONG reserved;           // not used by the library
  DWORD savedAutodial;     // "EnableAutodial" as it was before the library switched it off
  HANDLE threadHandle;     // -1 once accepted, the dial thread's handle, 0 when it has ended
  HANDLE rasConnection;    // RAS connection of the current (or the successful) call
  HWND ownerWindow;        // the caller's window, brought to the front at the end
  char userName[100];      // whose user profile holds "UseDialUpNetworking"
};

#if defined(_WIN32) && !defined(_WIN64)
static_assert(offsetof(DialUpRequest, connected) == 0, "DialUpRequest.connected");
static_assert(offsetof(DialUpRequest, reserved) == 4, "DialUpRequest.reserved");
static_assert(offsetof(DialUpRequest, savedAutodial) == 8, "DialUpRequest.savedAutodial");
static_assert(offsetof(DialUpRequest, threadHandle) == 12, "DialUpRequest.threadHandle");
static_assert(offsetof(DialUpRequest, rasConnection) == 16, "DialUpRequest.rasConnection");
static_assert(offsetof(DialUpRequest, ownerWindow) == 20, "DialUpRequest.ownerWindow");
static_assert(offsetof(DialUpRequest, userName) == 24, "DialUpRequest.userName");
static_assert(sizeof(DialUpRequest) == 124, "DialUpRequest size");
#endif

#ifdef __cplusplus
extern "C" {
#endif

// 1 when the dial thread was started, 0 when this library will not dial.
int32_t QPAPI StartDialUpNetworking(const char* userName, HWND ownerWindow,
                                    DialUpRequest* request);
// Waits for the dial thread; 1 (and connected cleared) when a connection exists.
int32_t QPAPI TestDialUpNetworking(DialUpRequest* request);

#ifdef __cplusplus
}
#endif
