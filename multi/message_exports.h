// The message exports of QPXMULTI.DLL (ordinals in qpxmulti.def): the merged message
// index and search, the index poll, and the operations on one message routed by its MULTI
// tag. Several take a longer argument list from the host than the session manager's
// forwarder does; the extra arguments are not used.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "hostapi/qptypes.h"

namespace qpmulti {

// The host's address buffer of QPILoadMailMessage (argument 8) must hold this many
// bytes: the member fills it, and for a member other than the primary one the export
// rewrites it with the typed address. The export never writes more than this; a typed
// address that would not fit leaves the member's address as it was (and a debug-log
// line says so), since a cut address would name some other mailbox.
constexpr size_t kLoadAddressBufferSize = QP_TEXT_LARGE;

// QPIQualifyAttachmentName's path buffer (argument 4) must hold this many bytes, its
// extension buffer (argument 5) kExtensionBufferSize. A local path that does not fit is
// not delivered (a cut path would name another file); an extension is cut to fit.
constexpr size_t kAttachmentPathSize = 260;
constexpr size_t kExtensionBufferSize = 100;

}  // namespace qpmulti

extern "C" {
// Arguments 6 and 7 are not used. The largest member result; -1 without a table or when
// no member was asked.
int32_t QPAPI QPIBuildMailMessageIndex(QPSESSION host, const char* userName, intptr_t arg3,
                                       char** indexEntries, int32_t* entryCount, intptr_t arg6,
                                       intptr_t arg7);
// Arguments 5 to 7 are not used. The largest member result; polling stops at a 2.
int32_t QPAPI QPICheckMessageIndexUpdated(QPSESSION host, const char* userName, intptr_t arg3,
                                          intptr_t arg4, intptr_t arg5, intptr_t arg6,
                                          intptr_t arg7);
// Argument 5 is not used; 6 to 15 go to every member. The list's count after merging.
int32_t QPAPI QPIDoMessageSearchFolder(QPSESSION host, const char* userName, char** resultList,
                                       int32_t* resultCount, intptr_t arg5, intptr_t arg6,
                                       intptr_t arg7, intptr_t arg8, intptr_t arg9, intptr_t arg10,
                                       intptr_t arg11, intptr_t arg12, intptr_t arg13,
                                       intptr_t arg14, intptr_t arg15);
// `addressBuffer` holds kLoadAddressBufferSize bytes. Arguments 19 and 20 are not used.
int32_t QPAPI QPILoadMailMessage(QPSESSION host, const char* userName, const char* messageId,
                                 intptr_t arg4, intptr_t arg5, char** firstAddresses,
                                 char** secondAddresses, char* addressBuffer, intptr_t arg9,
                                 intptr_t arg10, intptr_t arg11, intptr_t arg12,
                                 char** attachmentList, intptr_t arg14, intptr_t arg15,
                                 intptr_t arg16, intptr_t arg17, intptr_t arg18, intptr_t arg19,
                                 intptr_t arg20);
// Arguments 3, 4, 8 and 9 are not used.
int32_t QPAPI QPIUpdateMailMessageStatus(QPSESSION host, const char* userName, intptr_t arg3,
                                         intptr_t arg4, const char* messageId, intptr_t arg6,
                                         intptr_t arg7, intptr_t arg8, intptr_t arg9);
int32_t QPAPI QPIDeleteMailMessage(QPSESSION host, const char* userName, intptr_t arg3,
                                   const char* messageId);
int32_t QPAPI QPIOpenRFC822MessageFile(QPSESSION host, const char* userName, const char* messageId);
void QPAPI QPIQualifyAttachmentName(QPSESSION host, const char* userName,
                                    const char* attachmentName, char* path, char* extension,
                                    int32_t* isTemporary);
}
