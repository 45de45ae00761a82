// The wait window "WAITDLG": shows the progress of one dial attempt from the RAS dial
// events posted to it, marks the request connected when RAS reports the connection,
// and hangs up on Cancel.
#pragma once

#include <windows.h>

#include "dialup/dialup_request.h"

namespace qpras {

// Creates the wait window (modeless, no owner) for `request`, brings it to the front
// and sets its caption; null when it cannot be made.
HWND createWaitWindow(DialUpRequest* request);

// The message number of the RAS dial event (registered by the first wait window).
UINT rasDialEventMessage();

INT_PTR CALLBACK waitWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace qpras
