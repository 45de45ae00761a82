// The common library's string table: the numbered user-visible texts of the components.
#pragma once

// Returns the text for a message number, or nullptr when the table has none.
// Texts with conversions are wsprintf formats; the others are shown as they are.
const char* lookUpMessage(unsigned number);
