// The outgoing-mail exports of QPXMULTI.DLL (ordinals in qpxmulti.def): sending split over
// the member sessions, recipient validation and address comparison.
#pragma once

#include <stdint.h>

#include "hostapi/qptypes.h"

extern "C" {
// Arguments 6 to 8 and 12 to 14 go to every member's send; 15 and 16 are not used. The
// greatest member result; -1 without a table, when no member was called or when the
// working arrays cannot be allocated.
int32_t QPAPI QPISendMailMessage(QPSESSION host, const char* userName, const char* to,
                                 const char* cc, const char* bcc, intptr_t arg6, intptr_t arg7,
                                 intptr_t arg8, const char* text, const char* files,
                                 const char* names, intptr_t arg12, intptr_t arg13,
                                 intptr_t arg14, intptr_t arg15, intptr_t arg16);
// The three host arrays (room for 50,000 entries each) are validated in place. 1 without
// a table or working arrays, 0 otherwise.
int32_t QPAPI QPIValidateMessageRecipients(QPSESSION host, const char* userName, char** first,
                                           char** second, char** third, intptr_t arg6);
// Nonzero when the two addresses name the same mailbox.
int32_t QPAPI QPICompareAddress(QPSESSION host, const char* first, const char* second);
}
