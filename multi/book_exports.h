// The address-book and distribution-list exports of QPXMULTI.DLL (ordinals in
// qpxmulti.def). Public books, their recipients, searches and public entries come from
// every member, typed with the member's mailbox type; everything personal, the public
// distribution lists and the default book are the primary member's.
#pragma once

#include <stdint.h>

#include "hostapi/qptypes.h"

extern "C" {
// Returns the number of names in the list afterwards.
int32_t QPAPI QPIBuildAddressBookList(QPSESSION host, const char* userName, char** bookNames,
                                      int32_t* nameCount);
int32_t QPAPI QPIBuildAvailableRecipsList(QPSESSION host, const char* userName,
                                          const char* bookName, char** recipientList,
                                          intptr_t arg5, intptr_t arg6, intptr_t arg7);
int32_t QPAPI QPIGetDefaultAddressBook(QPSESSION host, const char* userName, intptr_t arg3);
// Returns the number of recipients the members appended.
int32_t QPAPI QPISearchAddressBooks(QPSESSION host, const char* userName, intptr_t arg3,
                                    char** recipientList, intptr_t arg5, intptr_t arg6);
// `entryAddress` holds QP_TEXT_LARGE bytes.
int32_t QPAPI QPIGetPublicAddressBookEntry(QPSESSION host, const char* userName,
                                           const char* nameA, const char* nameB,
                                           char* entryAddress, intptr_t arg6, intptr_t arg7,
                                           intptr_t arg8, intptr_t arg9);

int32_t QPAPI QPIGetPersonalDList(QPSESSION host, const char* userName, intptr_t arg3,
                                  intptr_t arg4, intptr_t arg5, intptr_t arg6, intptr_t arg7,
                                  intptr_t arg8, intptr_t arg9);
int32_t QPAPI QPISavePersonalDList(QPSESSION host, const char* userName, intptr_t arg3,
                                   intptr_t arg4, intptr_t arg5, intptr_t arg6, intptr_t arg7,
                                   intptr_t arg8, intptr_t arg9, intptr_t arg10);
int32_t QPAPI QPIGetPersonalAddressBookEntry(QPSESSION host, const char* userName, intptr_t arg3,
                                             intptr_t arg4, intptr_t arg5, intptr_t arg6,
                                             intptr_t arg7, intptr_t arg8, intptr_t arg9);
int32_t QPAPI QPISavePersonalAddressBookEntry(QPSESSION host, const char* userName,
                                              intptr_t arg3, intptr_t arg4, intptr_t arg5,
                                              intptr_t arg6, intptr_t arg7, intptr_t arg8,
                                              intptr_t arg9, intptr_t arg10);
int32_t QPAPI QPIDeletePersonalDList(QPSESSION host, const char* userName, intptr_t arg3,
                                     intptr_t arg4, intptr_t arg5, intptr_t arg6);
int32_t QPAPI QPIDeletePersonalAddressBookEntry(QPSESSION host, const char* userName,
                                                intptr_t arg3, intptr_t arg4, intptr_t arg5,
                                                intptr_t arg6);
int32_t QPAPI QPIGetPublicDList(QPSESSION host, const char* userName, intptr_t arg3,
                                intptr_t arg4, intptr_t arg5, intptr_t arg6, intptr_t arg7,
                                intptr_t arg8, intptr_t arg9);
int32_t QPAPI QPIBuildListOfPersonalDLists(QPSESSION host, const char* userName, intptr_t arg3);
int32_t QPAPI QPIBuildListOfPublicDLists(QPSESSION host, const char* userName, intptr_t arg3);
int32_t QPAPI QPIBuildPersonalAddressBookList(QPSESSION host, const char* userName,
                                              intptr_t arg3);
}
