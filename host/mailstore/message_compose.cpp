// Writing a composed message with its attachments as one MIME message.
#include "host/mailstore/message_compose.h"

#include <cstdint>

#include "common/text.h"
#include "host/mailstore/rfc822.h"

namespace qp::mailstore {

namespace {

constexpr size_t kMaxAttachmentName = 100;
constexpr size_t kBase64LineLength = 76;

bool isFieldNamed(std::string_view line, const char* name) {
  const size_t length = std::char_traits<char>::length(name);
  if (line.size() <= length || line[length] != ':') return false;
  return equalsNoCase(std::string(line.substr(0, length)).c_str(), name);
}

bool isContentField(std::string_view line) {
  return isFieldNamed(line, "Content-Type") || isFieldNamed(line, "Content-Transfer-Encoding");
}

}  // namespace

std::string attachmentName(std::string_view filePath, const char* nameEntry) {
  std::string_view name = nameEntry != nullptr ? std::string_view(nameEntry) : std::string_view();
  if (name.empty()) {
    const size_t slash = filePath.find_last_of("\\/:");
    name = slash == std::string_view::npos ? filePath : filePath.substr(slash + 1);
  }
  return safeFileName(name, kMaxAttachmentName);
}

std::string encodeBase64Lines(std::string_view bytes) {
  static const char kAlphabet[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  size_t column = 0;
  for (size_t i = 0; i < bytes.size(); i += 3) {
    const size_t left = bytes.size() - i;
    uint32_t group = static_cast<unsigned char>(bytes[i]) << 16;
    if (left > 1) group |= static_cast<unsigned char>(bytes[i + 1]) << 8;
    if (left > 2) group |= static_cast<unsigned char>(bytes[i + 2]);
    out += kAlphabet[(group >> 18) & 63];
    out += kAlphabet[(group >> 12) & 63];
    out += left > 1 ? kAlphabet[(group >> 6) & 63] : '=';
    out += left > 2 ? kAlphabet[group & 63] : '=';
    column += 4;
    if (column == kBase64LineLength) {
      out += "\r\n";
      column = 0;
    }
  }
  if (column > 0) out += "\r\n";
  return out;
}

std::string composeMessage(std::string_view text, const std::vector<AttachmentFile>& attachments) {
  if (attachments.empty()) return std::string(text);

  // The header lines (a field with its folded continuation lines moves as one) and the body.
  std::string kept, moved;
  bool movingField = false;
  size_t position = 0;
  while (position < text.size()) {
    const size_t end = text.find('\n', position);
    const size_t next = end == std::string_view::npos ? text.size() : end + 1;
    std::string_view line = text.substr(position, next - position);
    position = next;
    std::string_view bare = line;
    while (!bare.empty() && (bare.back() == '\n' || bare.back() == '\r')) bare.remove_suffix(1);
    if (bare.empty()) break;  // the empty line ends the header
    const bool continuation = bare.front() == ' ' || bare.front() == '\t';
    if (!continuation) movingField = isContentField(bare);
    if (!continuation && isFieldNamed(bare, "MIME-Version")) {
      movingField = false;
      continue;
    }
    std::string& target = movingField ? moved : kept;
    target.append(bare.data(), bare.size());
    target += "\r\n";
  }
  const std::string_view body = text.substr(position);

  std::string boundary = "qpx-part";
  for (unsigned n = 1; text.find(boundary) != std::string_view::npos; ++n)
    boundary = "qpx-part-" + std::to_string(n);

  std::string out = kept;
  out +=
      "MIME-Version: 1.0\r\nContent-Type: multipart/mixed; boundary=\"" + boundary + "\"\r\n\r\n";
  out += "--" + boundary + "\r\n";
  out += moved.empty() ? "Content-Type: text/plain\r\n" : moved;
  out += "\r\n";
  out.append(body.data(), body.size());
  if (!body.empty() && body.back() != '\n') out += "\r\n";
  for (const AttachmentFile& file : attachments) {
    out += "--" + boundary + "\r\n";
    out += "Content-Type: application/octet-stream; name=\"" + file.name + "\"\r\n";
    out += "Content-Transfer-Encoding: base64\r\n";
    out += "Content-Disposition: attachment; filename=\"" + file.name + "\"\r\n\r\n";
    out += encodeBase64Lines(file.bytes);
  }
  out += "--" + boundary + "--\r\n";
  return out;
}

}  // namespace qp::mailstore
