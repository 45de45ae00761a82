// Small helpers shared by the dial-up dialogs: texts from the string table, list and
// box texts read into fixed buffers without overrunning them, list searches, and the
// library's message boxes.
#pragma once

#include <windows.h>

#include <cstddef>

#include "dialup/core/dial_logic.h"

namespace qpras {

// Sets a control's (or with id 0 the dialog's own) text to message `number`.
void setMessageText(HWND dialog, int id, unsigned number, int limit = 150);

// The text of a box, cut to `size` bytes.
void boxText(HWND dialog, int id, char* text, size_t size);

// The text of list item `index` of a combo box, cut to `size` bytes (empty when there
// is no such item). CB_GETLBTEXT takes no buffer size, so a longer item is read whole
// into a buffer of its own first.
void comboItemText(HWND combo, int index, char* text, size_t size);
// The text of the selected item; empty when nothing is selected.
void comboSelectedText(HWND dialog, int id, char* text, size_t size);
// Index of the first item matching `wanted`, or -1.
int findComboItem(HWND combo, const char* wanted, ItemMatch match);

// A task-modal message box brought to the foreground, caption and text from the
// string table; returns the button pressed.
int showMessage(HWND owner, const char* text, unsigned captionNumber, UINT flags);

}  // namespace qpras
