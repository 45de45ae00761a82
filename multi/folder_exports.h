// The folder and filing exports of QPXMULTI.DLL (ordinals in qpxmulti.def): the merged
// folder list, folder information, create/rename/delete on every member, new-mail markers,
// the rules directory, and adding or filing a message into a folder of one member.
#pragma once

#include <stdint.h>

#include "hostapi/qptypes.h"

extern "C" {
// The host hands two more arguments than a member takes; they are not used.
int32_t QPAPI QPIBuildFolderList(QPSESSION host, const char* userName, char** folderList,
                                 int32_t* folderCount, intptr_t arg5, intptr_t arg6, intptr_t arg7);
// `folderInfoText` receives at most QP_TEXT_SMALL bytes (the first member's text).
int32_t QPAPI QPIGetMailMessageFolderInfo(QPSESSION host, const char* userName,
                                          const char* folderName, int32_t* folderInfoCount,
                                          char* folderInfoText);
int32_t QPAPI QPICreateMailFolder(QPSESSION host, const char* userName, const char* folderName,
                                  char* folderInfoText);
int32_t QPAPI QPIRenameMailFolder(QPSESSION host, const char* userName, intptr_t arg3,
                                  intptr_t arg4, intptr_t arg5);
int32_t QPAPI QPIDeleteMailFolder(QPSESSION host, const char* userName, const char* folderName);
int32_t QPAPI QPIDoesFolderHaveNewMail(QPSESSION host, const char* userName,
                                       const char* folderName);
int32_t QPAPI QPISetFolderNewMailStatus(QPSESSION host, const char* userName,
                                        const char* folderName, int32_t hasNewMail);
// `rulesDir` holds MAX_PATH bytes.
int32_t QPAPI QPIGetRulesDir(QPSESSION host, const char* userName, char* rulesDir);

int32_t QPAPI QPIAddMailMessageToFolder(QPSESSION host, const char* userName,
                                        const char* folderName, intptr_t arg4, intptr_t arg5,
                                        intptr_t arg6, intptr_t arg7, intptr_t arg8, intptr_t arg9,
                                        intptr_t arg10, char** attachmentFiles,
                                        char** attachmentNames, intptr_t arg13, intptr_t arg14);
int32_t QPAPI QPIFileMailMessageToFolder(QPSESSION host, const char* userName, intptr_t arg3,
                                         const char* messageId, const char* targetFolder,
                                         intptr_t arg6, intptr_t arg7);
}
