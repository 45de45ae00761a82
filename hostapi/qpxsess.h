// Declarations of the mail server's session manager QPXSESS.DLL: it opens member sessions
// on interface libraries "QPX<interface>.DLL" and forwards each QPI operation to the
// library's export of the same name (QPi<Op> reaches QPI<Op>), member session first.
#pragma once

#include <windows.h>

#include "qpi_ops.h"
#include "qptypes.h"

#ifdef __cplusplus
extern "C" {
#endif

// Loads "QPX<interfaceName>.DLL" from the server directory, lets its QPIAuthenticateUser
// check the credentials and opens a common-library session for the member (user name,
// password, mail database, the interface name in capitals as mailbox type).
// Returns the member session, or -1 when the member cannot be opened. `reserved` is null.
QPSESSION QPAPI QPiAuthenticateUser(const char* userName, const char* password,
                                    const char* interfaceName, const char* mailDatabase,
                                    int32_t flags, void* reserved);
// Lets the member library clean up, ends the member session and releases the library
// when no other session uses it.
void QPAPI QPiCleanUpAfterUser(QPSESSION member, const char* userName);
// Shows the member interface's own configuration dialog; its result, or 0.
int32_t QPAPI QPiClientConfigure(HWND owner, QPSESSION member);
// The capability bits of the member's interface (its QPIQueryCapabilities takes no
// arguments), or 0.
uint32_t QPAPI QPiQueryCapabilities(QPSESSION member);

// One forwarder per operation: the member library's result, or 0 when the session, the
// library or its export is missing (a debug-log line says which).
#define QP_DECLARE_FORWARDER(Name, Result, Params, Args) Result QPAPI QPi##Name Params;
QP_FORWARDED_OPS(QP_DECLARE_FORWARDER)
QP_OTHER_SHAPE_OPS(QP_DECLARE_FORWARDER)
#undef QP_DECLARE_FORWARDER

#ifdef __cplusplus
}
#endif
