// Portable address parsing behind the common library's address exports.
// Forms understood: "Full Name <box@host>", "\"Name, Quoted\" <box@host>",
// "box@host (Full Name)" and a bare "box@host".
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace qpcomm {

// The bare address, cut to size - 1 characters.
void stripFullName(const char* address, char* out, size_t size);
// The full name (quotes and backslash escapes removed), or the bare address when the
// text carries no name; cut to size - 1 characters.
void parseFullNameFromAddress(const char* address, char* out, size_t size);
// Quotes the text in place when it holds a character that needs quoting in an address
// phrase, escaping " and \ inside; returns false (text unchanged) when the quoted form
// would not fit in `size` bytes. Texts already correctly quoted are left alone.
bool encodeFullName(char* text, size_t size);

// List splitters: at most `maxEntries` entries; blanks around entries are trimmed and
// empty entries dropped.
// Addresses: separated by ',' or ';' outside double quotes, angle brackets and comments.
std::vector<std::string> splitAddressList(const char* text, size_t maxEntries);
// Attachments: separated by ';', CR or LF.
std::vector<std::string> splitAttachmentList(const char* text, size_t maxEntries);
// Message text: one entry per line (CRLF, LF, or a last line without line end); empty
// lines are kept, trailing blanks are kept.
std::vector<std::string> splitLines(const char* text, size_t maxEntries);

}  // namespace qpcomm
