// Message boxes and message texts of QPXMULTI.DLL. Every box has message 3600 with the
// application name as its caption and is task-modal and brought to the foreground;
// the texts are numbered messages of the common library's string table.
#pragma once

#include <windows.h>

#include <cstddef>

namespace qpmulti {

// Room for a formatted message, also for two messages joined into one question.
constexpr size_t kMessageSize = 300;

// Message `number` formatted with the arguments (its wsprintf-style conversions), cut
// to `size` bytes. Texts passed for %s must not be null.
void formatMessage(char* out, size_t size, unsigned number, ...);

void showError(HWND owner, const char* text);
void showWarning(HWND owner, const char* text);
// Asks with Yes, No and Cancel; only Yes counts as consent.
bool askYes(HWND owner, const char* text);

}  // namespace qpmulti
