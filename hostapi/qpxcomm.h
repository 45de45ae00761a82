// Declarations of the mail server's common library QPXCOMM.DLL as our components call it.
// Every function uses the standard calling convention and is exported undecorated.
// Texts are zero-terminated 8-bit ANSI strings.
#pragma once

#include <windows.h>

#include "qptypes.h"

#ifdef __cplusplus
extern "C" {
#endif

// ---- Sessions --------------------------------------------------------------------------
// A session keeps a user name, password, mail database, mailbox type, full name, full
// address, a 32-bit option word and kQpUserDataCells pointer-sized user-data cells.
// User name, password, mail database and mailbox type are kept to 149 characters, so
// the getters below always fit a 150-byte buffer; full name and address to 499.
#define QP_USER_DATA_CELLS 8

// Opens a session (the host and the session manager do this); any text may be null.
// Returns a handle > 0, or -1 when no session could be made.
QPSESSION QPAPI QPOpenSession(const char* userName, const char* password,
                              const char* mailDatabase, const char* mailboxType,
                              const char* fullName, const char* fullAddress);
// Closes a session; nonzero when it was open. Its user-data cells are dropped unread
// (blocks they point to belong to whoever stored them).
int32_t QPAPI QPCloseSession(QPSESSION session);

// Address of user-data cell `cell` of the session (also stored in *where when `where` is
// non-null), or null for an unknown session or cell number.
void** QPAPI GetUserData(QPSESSION session, int32_t cell, void*** where);

// Copy the session's text into a buffer of at least 150 bytes. Return nonzero when the
// session is known; otherwise the buffer is made empty.
int32_t QPAPI GetUserUsername(QPSESSION session, char* buffer);
int32_t QPAPI GetUserPassword(QPSESSION session, char* buffer);
int32_t QPAPI GetUserMailDatabase(QPSESSION session, char* buffer);
int32_t QPAPI GetUserMailboxType(QPSESSION session, char* buffer);

// Address of the session's full-name (full-address) text pointer, also stored in *where;
// null for an unknown session. The text pointer itself is null when none is set. The
// session frees the text its pointer holds when it closes: replace it only with a
// QPmalloc'd text, after freeing the old one.
char** QPAPI GetUserFullNamePtr(QPSESSION session, char*** where);
char** QPAPI GetUserFullAddressPtr(QPSESSION session, char*** where);

uint32_t QPAPI QPGetSessionOptions(QPSESSION session);          // 0 for an unknown session
void QPAPI QPSetSessionOptions(QPSESSION session, uint32_t options);

// Looks a user of the mail server up in the user database files QPUSER.DB@,
// QPUSER.DBA .. QPUSER.DBZ, QPUSER.DB_ of the server directory (1024-byte records) and
// fills the full name and/or the full address (either may be null; each buffer holds at
// least 250 bytes, texts are cut to 249 characters). The first record whose user name
// matches without regard to case wins. Arguments 1, 2 and 6..11 are reserved: pass 0.
// Returns nonzero when the user was found.
int32_t QPAPI QPGetUser(int32_t reserved1, int32_t reserved2, const char* userName,
                        char* fullName, char* fullAddress, intptr_t reserved6,
                        intptr_t reserved7, intptr_t reserved8, intptr_t reserved9,
                        intptr_t reserved10, intptr_t reserved11);

// The server directory: the directory of the running program, or the value of the
// environment variable QP_SERVER_DIR when set. Ends with a backslash. `size` >= 2.
char* QPAPI QPGetServerDirectory(char* buffer, int32_t size);

// The user's own directory "<server directory>USERS\<user>\", created on demand.
// `buffer` holds MAX_PATH bytes; a user name with a path separator, "..", or one that
// does not fit gives an empty buffer. Returns `buffer`.
char* QPAPI QPBuildUserDirectory(const char* userName, char* buffer);

// ---- User profile: "QPUSER.INI" in the user's directory ---------------------------------
// Booleans read Yes/No, True/False, On/Off, 1/0 without regard to case; an unset key or
// any other text gives the default.
int32_t QPAPI QPGetUserProfileBool2(const char* userName, const char* section,
                                    const char* key, int32_t defaultValue);
int32_t QPAPI QPWriteUserProfileString2(const char* userName, const char* section,
                                        const char* key, const char* value);

// ---- Memory ------------------------------------------------------------------------------
// Zero-filled blocks; QPfree also takes blocks that other libraries got from QPmalloc,
// and ignores null.
void* QPAPI QPmalloc(uint32_t size);
void QPAPI QPfree(void* block);
// Test control: the n-th QPmalloc from now on fails (1 = the next one); 0 switches off.
void QPAPI QPSetAllocFailure(int32_t n);
// Number of QPmalloc blocks not yet freed, for leak checks.
int32_t QPAPI QPGetLiveBlockCount(void);
// Test control: how many QPmalloc calls are still to come before the one that fails
// (1 = the next one); 0 when none is armed, that is after the failing one was reached
// or with the control off. A sweep sees from it whether a call reached its failure.
int32_t QPAPI QPGetAllocFailurePending(void);

// ---- Text --------------------------------------------------------------------------------
// The text of a message of the string table, cut to limit - 1 characters, in one of a
// few per-thread buffers (valid until the fourth call after it on the same thread).
// An unknown number gives an empty text. Limit at most 500.
char* QPAPI GetString(uint32_t number, int32_t limit);

// Bounded copy and append into a buffer of `size` bytes: never write past it, always
// terminate (for size >= 1). Return the destination.
char* QPAPI lstrcpyN(char* destination, const char* source, int32_t size);
char* QPAPI lstrcatN(char* destination, const char* source, int32_t size);
// First occurrence of `part` in `text` without regard to case, or null.
char* QPAPI QPstrstr(const char* text, const char* part);
// First character that is not a blank (space or tab); the terminating zero if none.
char* QPAPI FindNonBlank(const char* text);
// Removes blanks, CR and LF from the end of the text, in place; returns the text.
char* QPAPI StripTrailingSpaces(char* text);
// Ends the text at its first 0xFF character; the rest stays in the buffer.
char* QPAPI StrStripHardSpaces(char* text);
// Tidies the display name at the start of an address-book record (its first 60 bytes):
// blanks around it removed, inner runs of blanks made one space, control characters
// made spaces.
void QPAPI NormalizeName(char* record);

// ---- Addresses ---------------------------------------------------------------------------
// Address texts follow the common mail forms: "Full Name <box@host>", "\"Name, Quoted\"
// <box@host>", "box@host (Full Name)" and a bare "box@host".
// The bare address (the part in angle brackets, or the text without a comment),
// cut to size - 1. Returns `out`.
char* QPAPI StripFullName(const char* address, char* out, int32_t size);
// The full name (quotes and escapes removed), or the bare address when the text has no
// name. Returns `out`.
char* QPAPI ParseFullNameFromAddress(const char* address, char* out, int32_t size);
// Quotes a text in place when it holds characters that need quoting in an address
// phrase (( ) < > [ ] , ; : \ "), escaping " and \ inside; "@" and "." alone do not
// call for quotes, and a text that looks like a bare address (has "@", no blanks, none
// of ( ) < > , ; \ ") is left as it is, so that typed addresses such as
// "IMAP:box@host" pass through. A text already quoted, or whose quoted form would not
// fit in `size` bytes, is left unchanged. Returns the text.
char* QPAPI EncodeFullName(char* text, int32_t size);
// Split a list text into QPmalloc'd strings stored at the first free (null) places of a
// zero-filled array of capacity + 1 pointers; never more than `capacity` entries.
// Return the number of entries in the array afterwards, or -1 when an allocation failed
// (the entries stored so far stay).
//   addresses: separated by "," or ";" outside quotes, angle brackets and comments;
//              capacity at most 50,000
//   attachments: separated by ";" or line ends; capacity at most 200
//   message text: one entry per line (CRLF, LF or a last line without line end);
//              capacity at most 20,000
int32_t QPAPI AddressStringToArray(const char* text, char** array, int32_t capacity);
int32_t QPAPI AttachmentStringToArray(const char* text, char** array, int32_t capacity);
int32_t QPAPI ParseMessageToStrings(const char* text, char** array, int32_t capacity);
// Appends a QPmalloc'd copy of `text` to an address array of 50,001 pointers (at most
// 50,000 entries). Returns the new count, or -1 when full or out of memory.
int32_t QPAPI AddToAddressList(char** array, const char* text);

// ---- Files -------------------------------------------------------------------------------
// Nonzero when a file (not a directory) matches the path or wildcard pattern.
int32_t QPAPI Exist(const char* pathOrPattern);
HANDLE QPAPI QPCreateFile(const char* path, DWORD access, DWORD share,
                          SECURITY_ATTRIBUTES* security, DWORD disposition, DWORD flags,
                          HANDLE templateFile);
BOOL QPAPI QPCloseHandle(HANDLE handle);
// Ends a non-empty directory path with a backslash when it has none (within `size`
// bytes; a path that cannot take one more character is left as it is). Returns `path`.
char* QPAPI fixupMV(char* path, int32_t size);
// Reads the next line of a file into `buffer` (size bytes) without its line end (CRLF,
// LF or none for the last line). A longer line is cut to size - 1 characters and the
// rest of it is skipped. Returns nonzero while a line was read, 0 at the end.
int32_t QPAPI FHReadString(HANDLE file, char* buffer, int32_t size);

// Key files: fixed-size records kept in the order of their keys (the first keySize
// bytes of each record, compared as zero-terminated texts without regard to case;
// equal keys keep their insertion order). The caller provides the control block.
typedef struct QPKEYFILE {
  void* state;           // owned by the library between create and close
  uint32_t recordSize;
  uint32_t keySize;
  uint32_t recordCount;  // records inserted so far
} QPKEYFILE;
int32_t QPAPI QPCreateKeyFile(const char* path, uint32_t recordSize, uint32_t keySize,
                              QPKEYFILE* keyFile);
int32_t QPAPI QPInsertKeyFileRecord(QPKEYFILE* keyFile, const void* record);
int32_t QPAPI QPCloseKeyFile(QPKEYFILE* keyFile);

// ---- Run time ----------------------------------------------------------------------------
HMODULE QPAPI QPLoadLibrary(const char* name);
BOOL QPAPI QPFreeLibrary(HMODULE module);
typedef unsigned(QPAPI* QPTHREADPROC)(void* argument);
// Starts a thread; returns its handle (the caller closes it) or null.
HANDLE QPAPI QPBeginThread(QPTHREADPROC routine, uint32_t stackSize, void* argument);
void QPAPI QPEndThread(uint32_t exitCode);
INT_PTR QPAPI QPDialogBoxParam(HINSTANCE module, const char* templateName, HWND owner,
                               DLGPROC procedure, LPARAM parameter);
uint32_t QPAPI QPGetHelpCategory(void);
void QPAPI QPSetHelpCategory(uint32_t category);
HMODULE QPAPI GetMainModuleHandle(void);
const char* QPAPI QPGetAppName(void);
// Appends "YYYY-MM-DD hh:mm:ss.mmm [level] text" to QPDEBUG.LOG in the server directory.
void QPAPI WriteDebugLog(int32_t level, const char* text);

#ifdef __cplusplus
}
#endif
