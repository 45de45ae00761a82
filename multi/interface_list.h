// The interface libraries installed next to QPXMULTI.DLL, as the member dialog offers
// them: their list entries ("POP3 - description") and their capability bits.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>

namespace qpmulti {

// Capability bits the member dialog reads: the interface takes a password, a mail database.
constexpr uint32_t kTakesPassword = 0x400;
constexpr uint32_t kTakesMailDatabase = 0x800;

// What a library "QPX*.DLL" turned out to be when it was loaded for a description.
enum class LibraryState {
  Unloadable,    // LoadLibrary failed
  NotInterface,  // no QPIAuthenticateUser: a server library such as QPXCOMM, not offered
  Silent,        // an interface library without QPICheckInterfaceStatus or description
  Described,     // offered in the interface list
};

// Calls `visit` for every library "QPX*.DLL" in `directory` (ending in a backslash) that
// may be offered (QPXNW, QPXMULTI and names holding "32" or "16" are passed over), with
// its file name, what it is, and its description (empty unless Described).
void ForEachInterfaceLibrary(
    const char* directory,
    const std::function<void(const char* fileName, LibraryState state, const char* description)>&
        visit);

// Adds an entry "<name> - <description>" to combo box `comboId` for every library
// "QPX*.DLL" in the directory of the dialog's module that exports QPIAuthenticateUser
// and QPICheckInterfaceStatus and describes itself with a non-empty text. QPXNW,
// QPXMULTI and names holding "32" or "16" are never offered.
void FillInterfaceList(HWND dialog, int comboId);

// The capability bits (QPIQueryCapabilities) of interface `name`'s library in the
// directory of the dialog's module. False when it does not load or lacks the export.
bool QueryInterfaceCapabilities(HWND dialog, const char* name, uint32_t* bits);

}  // namespace qpmulti
