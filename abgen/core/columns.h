// Splits one line of a comma-separated input file into the four columns of an
// address-book entry: name, e-mail address, column 3 and column 4.
//
// Column rules: blanks in front of a column are skipped; a column that begins with a
// double quote runs to the next double quote or the line's end (commas belong to it);
// an unquoted column runs to the next comma, double quote or the line's end, blanks at
// its end included. Text beyond a column's limit (50, 255, 40, 500 characters) is passed
// over. After a column a closing double quote is skipped, then blanks and one comma.
// There is no escape for a double quote; text after the fourth column is ignored.
#pragma once

#include <cstddef>
#include <cstdint>

#include "abgen/core/book_entry.h"

namespace abgen {

// The line buffer the generator reads each input line into (the line's end removed).
constexpr size_t kLineBufferSize = 1028;

// Returns the first character of `text` that is not a blank. The program passes the
// common library's FindNonBlank, so the library decides what a blank is.
using BlankSkipper = const char* (*)(const char* text);

// Spaces and tabs: the common library's blanks, for callers without the library.
const char* skipSpacesAndTabs(const char* text);

// Zeroes `entry` and fills its four fields from the zero-terminated `line`. Returns
// entry.complete().
bool splitLine(const char* line, BookEntry& entry, BlankSkipper skipBlanks);

// The same for raw bytes (a fuzzer's input, say): at most kLineBufferSize - 1 of them
// are taken, as the generator's line buffer would hold them, and a zero byte ends the
// line; blanks are spaces and tabs.
bool splitLineBytes(const uint8_t* data, size_t size, BookEntry& entry);

}  // namespace abgen
