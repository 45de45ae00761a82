// How the sample mail store writes a message that the host composed: the host's RFC 822
// text as it is, or, with attachments, a multipart/mixed message whose first part is the
// text's body and whose further parts carry the attachment files in base64. Portable.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qp::mailstore {

struct AttachmentFile {
  std::string name;   // the file name the message gives the attachment
  std::string bytes;  // its contents
};

// The attachment's name: the name entry when it is not empty, otherwise the last
// component of the file path; made safe for a file name (safeFileName, 100 characters).
std::string attachmentName(std::string_view filePath, const char* nameEntry);

// Base64 in lines of 76 characters, each ending in CRLF.
std::string encodeBase64Lines(std::string_view bytes);

// The message to store. Without attachments, `text` unchanged. With attachments, the
// header of `text` keeps its fields except MIME-Version, Content-Type and
// Content-Transfer-Encoding; the latter two go to the first part, which holds the body
// (text/plain when the text had no Content-Type). Every attachment becomes a part with
// Content-Disposition attachment and its file name. The boundary occurs nowhere in the
// text. Line ends of the added lines are CRLF.
std::string composeMessage(std::string_view text, const std::vector<AttachmentFile>& attachments);

}  // namespace qp::mailstore
