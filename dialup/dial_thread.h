// The dial thread: the grace period in which the caller may connect by itself, the
// settings dialog, the dial parameters from the registry, the dial loop with its wait
// window and retry question, and the finish that restores the system's autodial.
#pragma once

#include <windows.h>

#include "dialup/core/ras_types.h"
#include "dialup/dialup_request.h"
#include "hostapi/qpxcomm.h"

namespace qpras {

// The grace period: up to kGraceSleeps sleeps of kGraceSleepMs while not connected.
constexpr int kGraceSleeps = 10;
constexpr DWORD kGraceSleepMs = 500;
// Tests of the library's parts shorten the grace period; the library never does.
void setGracePeriodForTesting(int sleeps, DWORD sleepMs);

// The thread routine (argument: the DialUpRequest); ends with QPEndThread.
unsigned QPAPI dialThreadMain(void* request);

enum class DialOutcome { Connected, Refused, GaveUp };
// Dials with `params` until RAS connects, RasDialA refuses the call, or the user
// declines to try again after a cancelled or dropped call.
DialOutcome dialLoop(DialUpRequest* request, RasDialParamsA& params);

// The end of every dial thread: the owner to the front, the system's autodial as it
// was, the thread handle in the record closed and 0.
void finishDial(DialUpRequest* request);

}  // namespace qpras
