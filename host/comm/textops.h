// Portable text operations behind the common library's text exports.
#pragma once

#include <cstddef>

namespace qpcomm {

// First character that is not a space or tab (the terminating zero when none).
const char* findNonBlank(const char* text);
// Removes spaces, tabs, CR and LF from the end, in place.
void stripTrailingSpaces(char* text);
// Ends the text at its first 0xFF character.
void stripHardSpaces(char* text);
// First occurrence of `part` in `text` without regard to ASCII case, or null.
const char* findNoCase(const char* text, const char* part);
// Tidies a display name held in a buffer of `size` bytes, in place: blanks around it
// removed, control characters made blanks, inner runs of blanks made one space.
void normalizeName(char* name, size_t size);
// Reads a user-profile boolean: Yes/No, True/False, On/Off, 1/0 without regard to case
// (blanks around it ignored); null or any other text gives `defaultValue`.
int parseProfileBool(const char* text, int defaultValue);

}  // namespace qpcomm
