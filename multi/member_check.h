// The credential test of a member, as the member dialog makes it before storing a member
// (and QPHOST profile test for every member): a session through the session manager on
// the member's interface, initialised and ended at once.
#pragma once

#include <cstdint>

#include "hostapi/qptypes.h"

namespace qpmulti {

// The session manager's flags for the test: interactive, so the member interface may ask.
constexpr int32_t kMemberTestInteractive = 1;

// Opens the test session (QPiAuthenticateUser); QP_NO_SESSION when it is refused.
QPSESSION OpenMemberTestSession(const char* userName, const char* password,
                                const char* interfaceName, const char* mailDatabase,
                                int32_t flags = kMemberTestInteractive);
// Initialises the member as a log-in would and ends the session (QPiInitUser,
// QPiCleanUpAfterUser).
void EndMemberTestSession(QPSESSION session, const char* userName);

// Both: true when the credentials opened a session.
bool TestMemberCredentials(const char* userName, const char* password,
                           const char* interfaceName, const char* mailDatabase,
                           int32_t flags = kMemberTestInteractive);

}  // namespace qpmulti
