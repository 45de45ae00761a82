// Address parsing behind the common library's address exports: bare address and full
// name of an address text, quoting of full names, and the list splitters.
//
// The multi-session library builds typed addresses as "Name <IMAP:box@host>" and splits
// them again with these functions, so a colon inside angle brackets is part of the bare
// address, and a name quoted by encodeFullName comes back unchanged from
// parseFullNameFromAddress.
#include "host/comm/address.h"

#include <cstring>

#include "common/text.h"

namespace qpcomm {

namespace {

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Past a quoted string that starts at `p` (on the '"'): after its closing quote, or at
// the terminating zero when it has none. A backslash escapes the next character.
const char* skipQuoted(const char* p) {
  for (++p; *p != '\0'; ++p) {
    if (*p == '\\') {
      if (p[1] == '\0') return p + 1;
      ++p;
    } else if (*p == '"') {
      return p + 1;
    }
  }
  return p;
}

// Past a comment that starts at `p` (on the '('): comments nest; quotes mean nothing
// inside them; a backslash escapes the next character.
const char* skipComment(const char* p) {
  int depth = 0;
  for (; *p != '\0'; ++p) {
    if (*p == '\\') {
      if (p[1] == '\0') return p + 1;
      ++p;
    } else if (*p == '(') {
      ++depth;
    } else if (*p == ')' && --depth == 0) {
      return p + 1;
    }
  }
  return p;
}

// First `c` at or after `p` outside quoted strings and comments, or null.
const char* findOutside(const char* p, char c) {
  while (*p != '\0') {
    if (*p == c) return p;
    if (*p == '"') {
      p = skipQuoted(p);
    } else if (*p == '(') {
      p = skipComment(p);
    } else {
      ++p;
    }
  }
  return nullptr;
}

// The closing '>' of a route address whose text starts at `p` (quotes inside it are
// skipped), or the end of the text when it is unbalanced.
const char* findAngleClose(const char* p) {
  while (*p != '\0' && *p != '>') p = *p == '"' ? skipQuoted(p) : p + 1;
  return p;
}

std::string trimmed(const char* begin, const char* end) {
  while (begin < end && isSpace(*begin)) ++begin;
  while (end > begin && isSpace(end[-1])) --end;
  return std::string(begin, end);
}

bool isBlankText(const std::string& s) {
  for (char c : s) {
    if (!isSpace(c)) return false;
  }
  return true;
}

// The text of a phrase: quoted strings lose their quotes and escapes; comments and
// everything else stay as written.
std::string decodePhrase(const char* begin, const char* end) {
  std::string out;
  const char* p = begin;
  while (p < end) {
    if (*p == '"') {
      for (++p; p < end && *p != '"'; ++p) {
        if (*p == '\\' && p + 1 < end) ++p;
        out += *p;
      }
      if (p < end) ++p;  // the closing quote
    } else if (*p == '(') {
      const char* after = skipComment(p);
      if (after > end) after = end;
      out.append(p, after);
      p = after;
    } else {
      out += *p++;
    }
  }
  return out;
}

// The text inside a comment that starts at `p` (on the '('): outer parentheses and
// escapes removed, inner comments kept with their parentheses, blanks around trimmed.
std::string decodeComment(const char* p) {
  std::string out;
  int depth = 1;
  for (++p; *p != '\0'; ++p) {
    if (*p == '\\' && p[1] != '\0') {
      ++p;
    } else if (*p == '(') {
      ++depth;
    } else if (*p == ')' && --depth == 0) {
      break;
    }
    out += *p;
  }
  return trimmed(out.data(), out.data() + out.size());
}

std::string bareAddress(const char* address) {
  const char* open = findOutside(address, '<');
  if (open != nullptr) return trimmed(open + 1, findAngleClose(open + 1));
  // No route address: the text itself without its comments.
  std::string bare;
  const char* p = address;
  while (*p != '\0') {
    if (*p == '"') {
      const char* after = skipQuoted(p);
      bare.append(p, after);
      p = after;
    } else if (*p == '(') {
      p = skipComment(p);
    } else {
      bare += *p++;
    }
  }
  return trimmed(bare.data(), bare.data() + bare.size());
}

std::string fullName(const char* address) {
  const char* open = findOutside(address, '<');
  if (open != nullptr) {
    std::string phrase = trimmed(address, open);
    std::string name = decodePhrase(phrase.data(), phrase.data() + phrase.size());
    if (!isBlankText(name)) return name;
    // "<box@host> (Full Name)"
    const char* close = findAngleClose(open + 1);
    if (*close == '>') {
      const char* comment = findOutside(close + 1, '(');
      if (comment != nullptr) name = decodeComment(comment);
      if (!name.empty()) return name;
    }
    return bareAddress(address);
  }
  const char* comment = findOutside(address, '(');
  if (comment != nullptr) {
    std::string name = decodeComment(comment);
    if (!name.empty()) return name;
  }
  return bareAddress(address);
}

// A text that needs quoting to stand as a phrase in front of "<address>". '@' and '.'
// never do. A text that looks like a bare address (an '@', no blanks, nothing that
// changes how an address text is split) is left as it is even with ':' or '[': the
// multi-session library also passes bare addresses through encodeFullName, and a
// typed "SMTP:box@host" or a domain literal "box@[10.0.0.1]" must stay usable.
bool needsQuoting(const char* text, size_t length) {
  bool special = false;
  bool structural = false;
  bool blank = false;
  bool at = false;
  for (size_t i = 0; i < length; ++i) {
    char c = text[i];
    if (std::strchr("()<>,;\\\"", c) != nullptr) structural = true;
    if (std::strchr("()<>[],;:\\\"", c) != nullptr) special = true;
    if (isSpace(c)) blank = true;
    if (c == '@') at = true;
  }
  if (!special) return false;
  return structural || blank || !at;
}

// True when the whole text is one quoted string with its inner quotes escaped.
bool isQuotedString(const char* text, size_t length) {
  if (length < 2 || text[0] != '"') return false;
  for (size_t i = 1; i < length; ++i) {
    if (text[i] == '\\') {
      ++i;
    } else if (text[i] == '"') {
      return i == length - 1;
    }
  }
  return false;
}

void copyOut(const std::string& text, char* out, size_t size) {
  if (out != nullptr) qp::copyText(out, size, text.c_str());
}

}  // namespace

void stripFullName(const char* address, char* out, size_t size) {
  copyOut(address == nullptr ? std::string() : bareAddress(address), out, size);
}

void parseFullNameFromAddress(const char* address, char* out, size_t size) {
  copyOut(address == nullptr ? std::string() : fullName(address), out, size);
}

bool encodeFullName(char* text, size_t size) {
  if (text == nullptr || size == 0) return false;
  size_t length = strnlen(text, size);
  if (length == size) return false;  // not terminated within its buffer
  if (isQuotedString(text, length) || !needsQuoting(text, length)) return true;

  std::string quoted = "\"";
  for (size_t i = 0; i < length; ++i) {
    if (text[i] == '"' || text[i] == '\\') quoted += '\\';
    quoted += text[i];
  }
  quoted += '"';
  if (quoted.size() >= size) return false;
  std::memcpy(text, quoted.c_str(), quoted.size() + 1);
  return true;
}

namespace {

// Splits `text` at the characters for which `isSeparator` holds, trimming blanks around
// entries and dropping empty ones; `skip` moves past a part that cannot hold a separator.
template <typename IsSeparator, typename Skip>
std::vector<std::string> splitList(const char* text, size_t maxEntries,
                                   IsSeparator isSeparator, Skip skip) {
  std::vector<std::string> entries;
  if (text == nullptr) return entries;
  const char* start = text;
  const char* p = text;
  while (entries.size() < maxEntries) {
    if (*p != '\0' && !isSeparator(*p)) {
      p = skip(p);
      continue;
    }
    std::string entry = trimmed(start, p);
    if (!entry.empty()) entries.push_back(std::move(entry));
    if (*p == '\0') break;
    start = ++p;
  }
  return entries;
}

}  // namespace

std::vector<std::string> splitAddressList(const char* text, size_t maxEntries) {
  return splitList(
      text, maxEntries, [](char c) { return c == ',' || c == ';'; },
      [](const char* p) {
        if (*p == '"') return skipQuoted(p);
        if (*p == '(') return skipComment(p);
        if (*p == '<') {
          const char* close = findAngleClose(p + 1);
          return *close == '>' ? close + 1 : close;
        }
        return p + 1;
      });
}

std::vector<std::string> splitAttachmentList(const char* text, size_t maxEntries) {
  return splitList(
      text, maxEntries, [](char c) { return c == ';' || c == '\r' || c == '\n'; },
      [](const char* p) { return p + 1; });
}

std::vector<std::string> splitLines(const char* text, size_t maxEntries) {
  std::vector<std::string> lines;
  if (text == nullptr) return lines;
  const char* p = text;
  while (*p != '\0' && lines.size() < maxEntries) {
    const char* end = std::strchr(p, '\n');
    if (end == nullptr) {
      lines.emplace_back(p);  // the last line, without a line end
      break;
    }
    const char* lineEnd = end > p && end[-1] == '\r' ? end - 1 : end;
    lines.emplace_back(p, lineEnd);
    p = end + 1;
  }
  return lines;
}

}  // namespace qpcomm
