// Table of the mail-interface operations that the session manager forwards to member
// interface libraries, with their C signatures, for declaring forwarders and exports alike.
#pragma once
#include <stdint.h>

#include "qptypes.h"
// X(Name, Result, ParamList, ArgList)
//   Name      operation name without prefix (QPi/QPI is added by the user of the table)
//   Result    return type
//   ParamList parenthesised typed parameter list, first two always (QPSESSION session, const char* userName)
//   ArgList   parenthesised argument names, same order
//
// Each row gives one signature, shared by the session manager's forwarder QPi<Name>
// (member session, member user name, ...) and a member library's export QPI<Name>.
//
// Conventions of the parameter lists:
//   const char*  text read by the callee
//   char*        caller-owned text buffer the callee writes (150 or 500 bytes as a rule)
//   char**       list: array of QPmalloc'd strings owned by the caller; the callee may
//                append, replace (QPfree the old entry) or remove entries
//   int32_t*     caller's 32-bit cell the callee reads or writes (list counts, flags)
//   argN         the Nth argument of the call: a value that the host hands in and the
//                member interprets (a number or a pointer, so it is pointer-sized: 32 bits
//                in the shipped build); the multi-session library passes it through
//                untouched and never looks at it
//
// The multi-session library's own exports of BuildFolderList, BuildMailMessageIndex,
// CheckMessageIndexUpdated, LoadMailMessage, UpdateMailMessageStatus and
// DoMessageSearchFolder take a longer argument list from the host than the forwarder
// does, and it exports SendMailMessage rather than SendMailMessage2; those are declared
// by hand. QPiAuthenticateUser, QPiCleanUpAfterUser, QPiClientConfigure and
// QPiQueryCapabilities are declared by hand as well: the last takes the member session
// while every interface library exports QPIQueryCapabilities without arguments.
#define QP_FORWARDED_OPS(X) \
    /* Stores a composed message in a folder; attachment files and names pair up index for index. */ \
    X(AddMailMessageToFolder, int32_t, \
      (QPSESSION session, const char* userName, const char* folderName, intptr_t arg4, intptr_t arg5, \
       intptr_t arg6, intptr_t arg7, intptr_t arg8, intptr_t arg9, intptr_t arg10, char** attachmentFiles, \
       char** attachmentNames, intptr_t arg13, intptr_t arg14), \
      (session, userName, folderName, arg4, arg5, arg6, arg7, arg8, arg9, arg10, attachmentFiles, \
       attachmentNames, arg13, arg14)) \
    /* Appends address-book names at index *nameCount and advances the count. */ \
    X(BuildAddressBookList, int32_t, \
      (QPSESSION session, const char* userName, char** bookNames, int32_t* nameCount), \
      (session, userName, bookNames, nameCount)) \
    /* Appends the recipients of one address book behind the last entry of a null-terminated list. */ \
    X(BuildAvailableRecipsList, int32_t, \
      (QPSESSION session, const char* userName, const char* bookName, char** recipientList, \
       intptr_t arg5, intptr_t arg6, intptr_t arg7), \
      (session, userName, bookName, recipientList, arg5, arg6, arg7)) \
    /* Appends folder list entries at index *folderCount and advances the count. */ \
    X(BuildFolderList, int32_t, \
      (QPSESSION session, const char* userName, char** folderList, int32_t* folderCount, intptr_t arg5), \
      (session, userName, folderList, folderCount, arg5)) \
    X(BuildListOfPersonalDLists, int32_t, \
      (QPSESSION session, const char* userName, intptr_t arg3), \
      (session, userName, arg3)) \
    X(BuildListOfPublicDLists, int32_t, \
      (QPSESSION session, const char* userName, intptr_t arg3), \
      (session, userName, arg3)) \
    /* Appends index entries (text, 0xFF, message id) at index *entryCount and advances the count. */ \
    X(BuildMailMessageIndex, int32_t, \
      (QPSESSION session, const char* userName, intptr_t arg3, char** indexEntries, int32_t* entryCount), \
      (session, userName, arg3, indexEntries, entryCount)) \
    X(BuildPersonalAddressBookList, int32_t, \
      (QPSESSION session, const char* userName, intptr_t arg3), \
      (session, userName, arg3)) \
    /* 2 means the index changed (the multi-session library stops polling there). */ \
    X(CheckMessageIndexUpdated, int32_t, \
      (QPSESSION session, const char* userName, intptr_t arg3, intptr_t arg4), \
      (session, userName, arg3, arg4)) \
    /* folderInfoText: the folder-information buffer, handed back in the state a failed folder query left it. */ \
    X(CreateMailFolder, int32_t, \
      (QPSESSION session, const char* userName, const char* folderName, char* folderInfoText), \
      (session, userName, folderName, folderInfoText)) \
    X(DeleteMailFolder, int32_t, \
      (QPSESSION session, const char* userName, const char* folderName), \
      (session, userName, folderName)) \
    X(DeleteMailMessage, int32_t, \
      (QPSESSION session, const char* userName, intptr_t arg3, const char* messageId), \
      (session, userName, arg3, messageId)) \
    X(DeletePersonalAddressBookEntry, int32_t, \
      (QPSESSION session, const char* userName, intptr_t arg3, intptr_t arg4, intptr_t arg5, intptr_t arg6), \
      (session, userName, arg3, arg4, arg5, arg6)) \
    X(DeletePersonalDList, int32_t, \
      (QPSESSION session, const char* userName, intptr_t arg3, intptr_t arg4, intptr_t arg5, intptr_t arg6), \
      (session, userName, arg3, arg4, arg5, arg6)) \
    /* folderName may be null or empty. */ \
    X(DoesFolderHaveNewMail, int32_t, \
      (QPSESSION session, const char* userName, const char* folderName), \
      (session, userName, folderName)) \
    /* Files a stored message into another folder of the same mailbox. */ \
    X(FileMailMessageToFolder, int32_t, \
      (QPSESSION session, const char* userName, intptr_t arg3, const char* messageId, \
       const char* targetFolder, intptr_t arg6, intptr_t arg7), \
      (session, userName, arg3, messageId, targetFolder, arg6, arg7)) \
    /* pollFlags value 4: poll only if the session's option word has bit 0x80. */ \
    X(ForcePollForNewMail, int32_t, \
      (QPSESSION session, const char* userName, int32_t pollFlags, int32_t pollValue), \
      (session, userName, pollFlags, pollValue)) \
    X(GetDefaultAddressBook, int32_t, \
      (QPSESSION session, const char* userName, intptr_t arg3), \
      (session, userName, arg3)) \
    /* Fills fullAddress (500 bytes) or leaves it empty. */ \
    X(GetFullAddress, int32_t, \
      (QPSESSION session, const char* userName, char* fullAddress), \
      (session, userName, fullAddress)) \
    /* Fills fullName (252 or 500 bytes) or leaves it empty. */ \
    X(GetFullName, int32_t, \
      (QPSESSION session, const char* userName, char* fullName), \
      (session, userName, fullName)) \
    /* Nonzero when the folder exists; then fills the count and the text (152 or 500 bytes). */ \
    X(GetMailMessageFolderInfo, int32_t, \
      (QPSESSION session, const char* userName, const char* folderName, int32_t* folderInfoCount, \
       char* folderInfoText), \
      (session, userName, folderName, folderInfoCount, folderInfoText)) \
    X(GetPersonalAddressBookEntry, int32_t, \
      (QPSESSION session, const char* userName, intptr_t arg3, intptr_t arg4, intptr_t arg5, intptr_t arg6, \
       intptr_t arg7, intptr_t arg8, intptr_t arg9), \
      (session, userName, arg3, arg4, arg5, arg6, arg7, arg8, arg9)) \
    X(GetPersonalDList, int32_t, \
      (QPSESSION session, const char* userName, intptr_t arg3, intptr_t arg4, intptr_t arg5, intptr_t arg6, \
       intptr_t arg7, intptr_t arg8, intptr_t arg9), \
      (session, userName, arg3, arg4, arg5, arg6, arg7, arg8, arg9)) \
    /* Looks up one public entry by two names (address book or address); fills entryAddress, nonzero when found. */ \
    X(GetPublicAddressBookEntry, int32_t, \
      (QPSESSION session, const char* userName, const char* nameA, const char* nameB, char* entryAddress, \
       intptr_t arg6, intptr_t arg7, intptr_t arg8, intptr_t arg9), \
      (session, userName, nameA, nameB, entryAddress, arg6, arg7, arg8, arg9)) \
    X(GetPublicDList, int32_t, \
      (QPSESSION session, const char* userName, intptr_t arg3, intptr_t arg4, intptr_t arg5, intptr_t arg6, \
       intptr_t arg7, intptr_t arg8, intptr_t arg9), \
      (session, userName, arg3, arg4, arg5, arg6, arg7, arg8, arg9)) \
    /* Writes the session's rules directory into rulesDir. */ \
    X(GetRulesDir, int32_t, \
      (QPSESSION session, const char* userName, char* rulesDir), \
      (session, userName, rulesDir)) \
    X(InitUser, void, \
      (QPSESSION session, const char* userName), \
      (session, userName)) \
    /* Loads one message: two address arrays and a one-address buffer (the callee fills them), an attachment list. */ \
    /* reservedPointer: always null from the multi-session library; what it points to is not known. */ \
    X(LoadMailMessage, int32_t, \
      (QPSESSION session, const char* userName, const char* messageId, intptr_t arg4, intptr_t arg5, \
       char** firstAddresses, char** secondAddresses, void* reservedPointer, char* addressBuffer, \
       intptr_t arg10, intptr_t arg11, intptr_t arg12, intptr_t arg13, char** attachmentList, \
       intptr_t arg15, intptr_t arg16, intptr_t arg17, intptr_t arg18, intptr_t arg19), \
      (session, userName, messageId, arg4, arg5, firstAddresses, secondAddresses, reservedPointer, \
       addressBuffer, arg10, arg11, arg12, arg13, attachmentList, arg15, arg16, arg17, arg18, arg19)) \
    X(OpenRFC822MessageFile, int32_t, \
      (QPSESSION session, const char* userName, const char* messageId), \
      (session, userName, messageId)) \
    /* Turns an attachment reference into a local file; isTemporary nonzero: the caller deletes it after use. */ \
    X(QualifyAttachmentName, void, \
      (QPSESSION session, const char* userName, const char* attachmentRef, char* localPath, \
       char* extension, int32_t* isTemporary), \
      (session, userName, attachmentRef, localPath, extension, isTemporary)) \
    X(RenameMailFolder, int32_t, \
      (QPSESSION session, const char* userName, intptr_t arg3, intptr_t arg4, intptr_t arg5), \
      (session, userName, arg3, arg4, arg5)) \
    X(SavePersonalAddressBookEntry, int32_t, \
      (QPSESSION session, const char* userName, intptr_t arg3, intptr_t arg4, intptr_t arg5, intptr_t arg6, \
       intptr_t arg7, intptr_t arg8, intptr_t arg9, intptr_t arg10), \
      (session, userName, arg3, arg4, arg5, arg6, arg7, arg8, arg9, arg10)) \
    X(SavePersonalDList, int32_t, \
      (QPSESSION session, const char* userName, intptr_t arg3, intptr_t arg4, intptr_t arg5, intptr_t arg6, \
       intptr_t arg7, intptr_t arg8, intptr_t arg9, intptr_t arg10), \
      (session, userName, arg3, arg4, arg5, arg6, arg7, arg8, arg9, arg10)) \
    /* Appends search results behind the last entry of a null-terminated recipient list. */ \
    X(SearchAddressBooks, int32_t, \
      (QPSESSION session, const char* userName, intptr_t arg3, char** recipientList, intptr_t arg5, \
       intptr_t arg6), \
      (session, userName, arg3, recipientList, arg5, arg6)) \
    /* Sends one copy: three null-terminated recipient arrays, the message lines, attachment files and names. */ \
    X(SendMailMessage2, int32_t, \
      (QPSESSION session, const char* userName, char** firstRecipients, char** secondRecipients, \
       char** thirdRecipients, intptr_t arg6, intptr_t arg7, intptr_t arg8, char** messageLines, \
       char** attachmentFiles, char** attachmentNames, intptr_t arg12, intptr_t arg13, intptr_t arg14), \
      (session, userName, firstRecipients, secondRecipients, thirdRecipients, arg6, arg7, arg8, \
       messageLines, attachmentFiles, attachmentNames, arg12, arg13, arg14)) \
    /* hasNewMail nonzero marks the folder (name may be null or empty) as holding new mail. */ \
    X(SetFolderNewMailStatus, int32_t, \
      (QPSESSION session, const char* userName, const char* folderName, int32_t hasNewMail), \
      (session, userName, folderName, hasNewMail)) \
    X(UpdateMailMessageStatus, int32_t, \
      (QPSESSION session, const char* userName, const char* messageId, intptr_t arg4, intptr_t arg5), \
      (session, userName, messageId, arg4, arg5)) \
    /* The signature text stays the caller's. */ \
    X(UpdateMessageSignature, void, \
      (QPSESSION session, const char* userName, const char* signature), \
      (session, userName, signature)) \
    /* May rewrite, remove and append entries of the three null-terminated recipient arrays. */ \
    X(ValidateMessageRecipients, int32_t, \
      (QPSESSION session, const char* userName, char** firstRecipients, char** secondRecipients, \
       char** thirdRecipients, intptr_t arg6), \
      (session, userName, firstRecipients, secondRecipients, thirdRecipients, arg6))

// Forwarded operations whose first argument is the session but whose list is otherwise
// shaped differently; each reaches the member library's export of the same name.
#define QP_OTHER_SHAPE_OPS(X) \
    /* Nonzero when the member regards the two addresses as the same mailbox. */ \
    X(CompareAddress, int32_t, \
      (QPSESSION session, const char* firstAddress, const char* secondAddress), \
      (session, firstAddress, secondAddress)) \
    /* The user name stands fourth; appends entries behind *resultCount and advances the count. */ \
    X(DoMessageSearchFolder, int32_t, \
      (QPSESSION session, char** resultList, int32_t* resultCount, const char* userName, intptr_t arg5, \
       intptr_t arg6, intptr_t arg7, intptr_t arg8, intptr_t arg9, intptr_t arg10, intptr_t arg11, \
       intptr_t arg12, intptr_t arg13, intptr_t arg14), \
      (session, resultList, resultCount, userName, arg5, arg6, arg7, arg8, arg9, arg10, arg11, arg12, \
       arg13, arg14)) \
    /* The second argument is the profile name, not the member user name. */ \
    X(SetFullName, void, \
      (QPSESSION session, const char* profileName, const char* fullName), \
      (session, profileName, fullName)) \
    X(SetFullAddress, void, \
      (QPSESSION session, const char* profileName, const char* fullAddress), \
      (session, profileName, fullAddress)) \
    /* Returns a QPmalloc'd signature text, or null; the caller frees it with QPfree. */ \
    X(GetMessageSignature, char*, \
      (QPSESSION session, const char* userName), \
      (session, userName))
