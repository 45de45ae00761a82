// The interface libraries installed next to QPXMULTI.DLL, as the member dialog offers
// them: their list entries ("POP3 - description") and their capability bits.
#pragma once

#include <windows.h>

#include <cstdint>

namespace qpmulti {

// Capability bits the member dialog reads: the interface takes a password, a mail database.
constexpr uint32_t kTakesPassword = 0x400;
constexpr uint32_t kTakesMailDatabase = 0x800;

// Adds an entry "<name> - <description>" to combo box `comboId` for every library
// "QPX*.DLL" in the directory of the dialog's module that exports QPIAuthenticateUser
// and QPICheckInterfaceStatus and describes itself with a non-empty text. QPXNW,
// QPXMULTI and names holding "32" or "16" are never offered.
void FillInterfaceList(HWND dialog, int comboId);

// The capability bits (QPIQueryCapabilities) of interface `name`'s library in the
// directory of the dialog's module. False when it does not load or lacks the export.
bool QueryInterfaceCapabilities(HWND dialog, const char* name, uint32_t* bits);

}  // namespace qpmulti
