// What the tests and the demo share with TRN32FAKE.EXE, our stand-in for the Ternwing
// desktop client: its window class, its command line and the private messages its
// window answers.
//
//   TRN32FAKE close [DELAY_MS]  closes on WM_CLOSE (after DELAY_MS, as a client that
//                               saves first would)
//   TRN32FAKE refuse            ignores WM_CLOSE; ends only when its process is ended
//   TRN32FAKE told              ignores WM_CLOSE; closes when sent kExitNow (a user
//                               exiting the client by hand)
//
// Its exit code is the number of WM_CLOSE messages it received.
#pragma once

#include <windows.h>

namespace trn32fake {

constexpr char kWindowClass[] = "Trn32";
constexpr char kProgram[] = "TRN32FAKE.EXE";

// Closes the window at once ("told" mode only).
constexpr UINT kExitNow = WM_APP + 1;
// Returns the number of WM_CLOSE messages received so far.
constexpr UINT kCloseCount = WM_APP + 2;

}  // namespace trn32fake
