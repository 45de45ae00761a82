// Reading a stored RFC 822 message: its header fields (folded lines joined), its readable
// text and its MIME attachments with their decoded contents. Only what the sample mail
// store shows is understood: multipart bodies (nested ones too), the base64 and
// quoted-printable transfer encodings, and the name of an attachment from
// Content-Disposition "filename" or Content-Type "name". Portable.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace qp::mailstore {

struct HeaderField {
  std::string name;
  std::string value;  // folded lines joined with their leading blank, CR/LF removed
};

struct Attachment {
  std::string fileName;     // as the message names it, or "attachment<n>.dat"
  std::string contentType;  // lower case, "application/octet-stream" when absent
  std::string encoding;     // transfer encoding, lower case
  std::string_view raw;     // the part's body as stored, inside the message text
};

struct ParsedMessage {
  std::vector<HeaderField> header;
  std::string text;                     // the readable text, decoded
  std::vector<Attachment> attachments;  // in the order they appear; numbered from 1
};

// Parses `message`; the attachments' `raw` views point into it, so it must outlive the
// result. A text without an empty line is all header; nesting deeper than kMaxMimeDepth
// is treated as an opaque part.
constexpr int kMaxMimeDepth = 8;
ParsedMessage parseMessage(std::string_view message);

// The value of the first header field of that name (letter case aside), or "" when none.
std::string headerValue(const ParsedMessage& message, std::string_view name);

// The bytes of a body in the given transfer encoding ("base64", "quoted-printable",
// anything else as is). Malformed base64 characters are skipped.
std::string decodeBody(std::string_view body, std::string_view encoding);

// A file name that is safe as the last component of a local path: characters that
// cannot stand in a Windows file name become '_', blanks and dots at the ends are
// dropped, and it is cut to at most `maxLength` characters keeping its extension.
// Never empty ("attachment" when nothing is left).
std::string safeFileName(std::string_view name, size_t maxLength);
// The text after the last '.' of a file name (without path), or "" when it has none.
std::string fileExtension(std::string_view name);

}  // namespace qp::mailstore
