// Reading stored RFC 822 messages: header fields, MIME parts, transfer encodings.
#include "host/mailstore/rfc822.h"

#include <cstring>

#include "common/text.h"

namespace qp::mailstore {

namespace {

std::string lower(std::string_view text) {
  std::string result(text);
  for (char& c : result) c = lowerAscii(c);
  return result;
}

std::string_view trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() &&
         (text.back() == ' ' || text.back() == '\t' || text.back() == '\r' || text.back() == '\n'))
    text.remove_suffix(1);
  return text;
}

// One line of `text` from `pos` (without its line end); `pos` moves past the line end.
std::string_view nextLine(std::string_view text, size_t& pos) {
  const size_t end = text.find('\n', pos);
  std::string_view line = text.substr(pos, end == std::string_view::npos ? end : end - pos);
  pos = end == std::string_view::npos ? text.size() : end + 1;
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}

// Splits an entity into header fields and body at the first empty line.
std::vector<HeaderField> parseHeader(std::string_view entity, std::string_view& body) {
  std::vector<HeaderField> fields;
  size_t pos = 0;
  body = std::string_view();
  while (pos < entity.size()) {
    std::string_view line = nextLine(entity, pos);
    if (line.empty()) {
      body = entity.substr(pos);
      break;
    }
    if ((line.front() == ' ' || line.front() == '\t') && !fields.empty()) {
      fields.back().value += std::string(line);  // a folded continuation
      continue;
    }
    const size_t colon = line.find(':');
    if (colon == std::string_view::npos || colon == 0) continue;
    fields.push_back(
        {std::string(trim(line.substr(0, colon))), std::string(trim(line.substr(colon + 1)))});
  }
  for (HeaderField& field : fields) field.value = std::string(trim(field.value));
  return fields;
}

std::string fieldOf(const std::vector<HeaderField>& fields, std::string_view name) {
  for (const HeaderField& field : fields) {
    if (equalsNoCase(field.name, name)) return field.value;
  }
  return std::string();
}

// The value before the first ';' ("text/plain; charset=x" -> "text/plain"), lower case.
std::string mainValue(std::string_view value) {
  return lower(trim(value.substr(0, value.find(';'))));
}

// The value of parameter `name` of a structured field, quotes removed; "" when absent.
std::string parameter(std::string_view value, std::string_view name) {
  size_t pos = value.find(';');
  while (pos != std::string_view::npos && pos < value.size()) {
    ++pos;
    while (pos < value.size() && (value[pos] == ' ' || value[pos] == '\t')) ++pos;
    const size_t equals = value.find('=', pos);
    if (equals == std::string_view::npos) return std::string();
    const std::string_view key = trim(value.substr(pos, equals - pos));
    size_t cursor = equals + 1;
    while (cursor < value.size() && (value[cursor] == ' ' || value[cursor] == '\t')) ++cursor;
    std::string result;
    if (cursor < value.size() && value[cursor] == '"') {
      for (++cursor; cursor < value.size() && value[cursor] != '"'; ++cursor) {
        if (value[cursor] == '\\' && cursor + 1 < value.size()) ++cursor;
        result += value[cursor];
      }
      pos = value.find(';', cursor);
    } else {
      const size_t end = value.find(';', cursor);
      result = std::string(
          trim(value.substr(cursor, end == std::string_view::npos ? end : end - cursor)));
      pos = end;
    }
    if (equalsNoCase(key, name)) return result;
  }
  return std::string();
}

// The parts of a multipart body between "--boundary" lines, up to "--boundary--".
std::vector<std::string_view> splitParts(std::string_view body, const std::string& boundary) {
  std::vector<std::string_view> parts;
  const std::string delimiter = "--" + boundary;
  size_t pos = 0;
  size_t partStart = std::string_view::npos;
  while (pos < body.size()) {
    const size_t lineStart = pos;
    std::string_view line = nextLine(body, pos);
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) line.remove_suffix(1);
    if (line.size() < delimiter.size() || line.compare(0, delimiter.size(), delimiter) != 0)
      continue;
    const std::string_view after = line.substr(delimiter.size());
    if (!after.empty() && after != "--") continue;
    if (partStart != std::string_view::npos) {
      // The line end before the delimiter belongs to the delimiter.
      size_t end = lineStart;
      if (end > partStart && body[end - 1] == '\n') --end;
      if (end > partStart && body[end - 1] == '\r') --end;
      parts.push_back(body.substr(partStart, end - partStart));
    }
    if (after == "--") return parts;
    partStart = pos;
  }
  if (partStart != std::string_view::npos && partStart < body.size())
    parts.push_back(body.substr(partStart));
  return parts;
}

void collectEntity(const std::vector<HeaderField>& fields, std::string_view body, int depth,
                   ParsedMessage& message, bool& haveText) {
  const std::string typeField = fieldOf(fields, "Content-Type");
  std::string type = mainValue(typeField);
  if (type.empty()) type = "text/plain";
  const std::string encoding = lower(trim(fieldOf(fields, "Content-Transfer-Encoding")));
  const std::string dispositionField = fieldOf(fields, "Content-Disposition");

  if (type.compare(0, 10, "multipart/") == 0 && depth < kMaxMimeDepth) {
    const std::string boundary = parameter(typeField, "boundary");
    if (!boundary.empty()) {
      for (std::string_view part : splitParts(body, boundary)) {
        std::string_view partBody;
        std::vector<HeaderField> partFields = parseHeader(part, partBody);
        collectEntity(partFields, partBody, depth + 1, message, haveText);
      }
      return;
    }
  }

  std::string name = parameter(dispositionField, "filename");
  if (name.empty()) name = parameter(typeField, "name");
  const bool attachment = mainValue(dispositionField) == "attachment" || !name.empty() ||
                          type.compare(0, 5, "text/") != 0;
  if (!attachment) {
    // The first plain text is the message's text; further text parts (an HTML
    // alternative) are not shown.
    if (!haveText && (type == "text/plain" || type.empty())) {
      message.text = decodeBody(body, encoding);
      haveText = true;
    }
    return;
  }
  Attachment found;
  found.fileName =
      name.empty() ? "attachment" + std::to_string(message.attachments.size() + 1) + ".dat" : name;
  found.contentType = type;
  found.encoding = encoding;
  found.raw = body;
  message.attachments.push_back(found);
}

int base64Value(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  const char l = lowerAscii(c);
  if (l >= 'a' && l <= 'f') return l - 'a' + 10;
  return -1;
}

}  // namespace

ParsedMessage parseMessage(std::string_view text) {
  ParsedMessage message;
  std::string_view body;
  message.header = parseHeader(text, body);
  bool haveText = false;
  collectEntity(message.header, body, 0, message, haveText);
  return message;
}

std::string headerValue(const ParsedMessage& message, std::string_view name) {
  return fieldOf(message.header, name);
}

std::string decodeBody(std::string_view body, std::string_view encoding) {
  std::string out;
  if (equalsNoCase(encoding, "base64")) {
    out.reserve(body.size() * 3 / 4);
    uint32_t bits = 0;
    int count = 0;
    for (char c : body) {
      if (c == '=') break;
      const int v = base64Value(c);
      if (v < 0) continue;
      bits = (bits << 6) | static_cast<uint32_t>(v);
      if (++count == 4) {
        out += static_cast<char>((bits >> 16) & 0xFF);
        out += static_cast<char>((bits >> 8) & 0xFF);
        out += static_cast<char>(bits & 0xFF);
        bits = 0;
        count = 0;
      }
    }
    if (count == 2) out += static_cast<char>((bits >> 4) & 0xFF);
    if (count == 3) {
      out += static_cast<char>((bits >> 10) & 0xFF);
      out += static_cast<char>((bits >> 2) & 0xFF);
    }
    return out;
  }
  if (equalsNoCase(encoding, "quoted-printable")) {
    out.reserve(body.size());
    for (size_t i = 0; i < body.size(); ++i) {
      if (body[i] != '=') {
        out += body[i];
        continue;
      }
      if (i + 2 < body.size() && hexValue(body[i + 1]) >= 0 && hexValue(body[i + 2]) >= 0) {
        out += static_cast<char>(hexValue(body[i + 1]) * 16 + hexValue(body[i + 2]));
        i += 2;
      } else if (i + 1 < body.size() && (body[i + 1] == '\r' || body[i + 1] == '\n')) {
        // A soft line break: "=" at the end of a line joins it with the next.
        i += (body[i + 1] == '\r' && i + 2 < body.size() && body[i + 2] == '\n') ? 2 : 1;
      } else {
        out += '=';
      }
    }
    return out;
  }
  return std::string(body);
}

std::string safeFileName(std::string_view name, size_t maxLength) {
  std::string safe;
  for (char c : name) {
    const unsigned char u = static_cast<unsigned char>(c);
    safe +=
        (u < 0x20 || u == 0x7F || u == 0xFF || std::strchr("\\/:*?\"<>|", c) != nullptr) ? '_' : c;
  }
  while (!safe.empty() && (safe.front() == ' ' || safe.front() == '.')) safe.erase(0, 1);
  while (!safe.empty() && (safe.back() == ' ' || safe.back() == '.')) safe.pop_back();
  if (safe.empty()) safe = "attachment";
  if (maxLength == 0) maxLength = 1;
  if (safe.size() > maxLength) {
    const std::string extension = fileExtension(safe);
    if (!extension.empty() && extension.size() + 2 <= maxLength) {
      safe = safe.substr(0, maxLength - extension.size() - 1) + "." + extension;
    } else {
      safe.resize(maxLength);
    }
    while (safe.size() > 1 && (safe.back() == ' ' || safe.back() == '.')) safe.pop_back();
  }
  return safe;
}

std::string fileExtension(std::string_view name) {
  const size_t slash = name.find_last_of("\\/");
  if (slash != std::string_view::npos) name.remove_prefix(slash + 1);
  const size_t dot = name.rfind('.');
  return dot == std::string_view::npos ? std::string() : std::string(name.substr(dot + 1));
}

}  // namespace qp::mailstore
