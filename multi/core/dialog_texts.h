// The texts the profile dialogs build and take apart: member list entries, interface list
// entries, the interface name of a library file, which library files are never offered,
// and the help file of the main program. Portable; every result goes into a caller's
// buffer of `size` bytes, cut to fit and always terminated.
#pragma once

#include <cstddef>

namespace qpmulti {

// A member list entry holds a Login number and four texts of up to 150 bytes each.
constexpr size_t kMemberEntrySize = 5 * 151 + 16;
// An interface list entry: a name and a description of up to 150 bytes each.
constexpr size_t kInterfaceEntrySize = 2 * 151 + 4;

// "<login>: <user>\t<interface>\t<password>\t<mail database>"; null texts count as empty.
void formatMemberEntry(char* out, size_t size, unsigned login, const char* userName,
                       const char* interfaceName, const char* password, const char* mailDatabase);
// The interface column of a member entry: the text between its first and second tab
// (empty when the entry has no tab).
void memberEntryInterface(const char* entry, char* out, size_t size);
// Number, user name and interface of a member entry for the removal question: the first
// tab made a blank, the text cut at the second tab.
void memberEntrySummary(const char* entry, char* out, size_t size);

// "<name> - <description>".
void formatInterfaceEntry(char* out, size_t size, const char* name, const char* description);
// The interface name of an interface list entry: the text before its first " - ".
void interfaceOfEntry(const char* entry, char* out, size_t size);

// How well an interface list entry fits a member's interface name.
enum class EntryMatch { None, Prefix, Exact };
// Exact: the entry's interface name is `name` (letter case aside). Prefix: the entry
// begins with `name` (letter case aside), as an empty name begins every entry.
EntryMatch matchInterfaceEntry(const char* entry, const char* name);

// The interface a library file serves: the file name without its first three characters
// ("QPX") and without everything from its first "."; "QPXPOP3.DLL" gives "POP3".
void interfaceNameFromFileName(const char* fileName, char* out, size_t size);
// Library files that are never offered as interfaces: names holding "QPXNW", "QPXMULTI",
// "32" or "16" (letter case aside).
bool isExcludedLibraryFile(const char* fileName);

// The help file of a program: its file name with the last four characters replaced by
// ".HLP" ("C:\QP\QPSERVER.EXE" gives "C:\QP\QPSERVER.HLP"). False, with `out` empty,
// for a name shorter than four characters or a result that does not fit.
bool helpFileName(const char* programFile, char* out, size_t size);

}  // namespace qpmulti
