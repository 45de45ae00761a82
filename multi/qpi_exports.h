// The mail-interface exports of QPXMULTI.DLL for log-in, member sessions, identity and
// signatures (ordinals in qpxmulti.def), and the procedures that QPIInitUser runs.
#pragma once

#include "hostapi/qptypes.h"

extern "C" {
int32_t QPAPI QPIAuthenticateUser(const char* mailDatabase, const char* profileName,
                                  const char* password, int32_t flags, void** tableCell);
void QPAPI QPIInitUser(QPSESSION host, const char* profileName);
void QPAPI QPICleanUpAfterUser(QPSESSION host, const char* userName);
int32_t QPAPI QPICheckInterfaceStatus(char* description, int32_t* first, int32_t* second);
int32_t QPAPI QPIGetFullName(QPSESSION host, const char* userName, char* fullName);
int32_t QPAPI QPIGetFullAddress(QPSESSION host, const char* userName, char* fullAddress);
char* QPAPI QPIGetMessageSignature(QPSESSION host, const char* userName);
void QPAPI QPIUpdateMessageSignature(QPSESSION host, const char* userName, const char* signature);
int32_t QPAPI QPIForcePollForNewMail(QPSESSION host, const char* userName, int32_t pollFlags,
                                     int32_t pollValue);
uint32_t QPAPI QPIQueryCapabilities(void);
void QPAPI QPIQueryLoginPrompt(int32_t promptNumber, char* prompt);
}

namespace qpmulti {

// Hands the user's full name and address to member session `member` when its interface
// takes them (capability bits 0x10 and 0x8).
void PropagateIdentity(QPSESSION host, const char* profileName, QPSESSION member);
// Makes one signature that of the profile and of every member.
void SynchroniseSignature(QPSESSION host, const char* profileName);

}  // namespace qpmulti
