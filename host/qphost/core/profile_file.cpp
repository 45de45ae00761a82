// The profile file of QPHOST profile import/export: parser, checks and writer; see
// profile_file.h for the format.
#include "host/qphost/core/profile_file.h"

#include <cstdio>
#include <cstdlib>

#include "common/text.h"
#include "host/sess/interface_name.h"
#include "multi/core/profile_keys.h"

namespace qphost {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }
bool isControl(char c) { return static_cast<unsigned char>(c) < 0x20 && c != '\t'; }
bool isHex(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
  return text;
}

struct Field {
  std::string text;
  bool quoted = false;
};

// Parses the fields of a value: one field, or (`split`) fields separated by '|'. False
// with `error` set for an unfinished quote, an unknown escape, a control character or
// text after a closing quote.
bool parseFields(std::string_view value, bool split, std::vector<Field>& fields,
                 std::string& error) {
  fields.clear();
  size_t i = 0;
  for (;;) {
    Field field;
    while (i < value.size() && isBlank(value[i])) ++i;
    if (i < value.size() && value[i] == '"') {
      field.quoted = true;
      for (++i;; ++i) {
        if (i == value.size()) {
          error = "a quoted value has no closing quote";
          return false;
        }
        char c = value[i];
        if (c == '"') break;
        if (c == '\\') {
          if (++i == value.size()) {
            error = "a quoted value ends in a backslash";
            return false;
          }
          const char e = value[i];
          if (e == 'n') c = '\n';
          else if (e == 'r') c = '\r';
          else if (e == 't') c = '\t';
          else if (e == '"' || e == '\\') c = e;
          else if (e == 'x' && i + 2 < value.size() && isHex(value[i + 1]) && isHex(value[i + 2])) {
            c = static_cast<char>(std::strtoul(std::string(value.substr(i + 1, 2)).c_str(), nullptr, 16));
            i += 2;
            if (c == '\0') {
              error = "\\x00 in a quoted value";
              return false;
            }
          } else {
            error = std::string("unknown escape \\") + e + " in a quoted value";
            return false;
          }
        } else if (isControl(c)) {
          error = "a control character in a value; write it as \\n, \\r, \\t or \\xHH in quotes";
          return false;
        }
        field.text += c;
      }
      ++i;  // the closing quote
      while (i < value.size() && isBlank(value[i])) ++i;
      if (i < value.size() && !(split && value[i] == '|')) {
        error = "text after a closing quote";
        return false;
      }
    } else {
      const size_t start = i;
      while (i < value.size() && !(split && value[i] == '|')) {
        if (isControl(value[i])) {
          error = "a control character in a value; write it as \\n, \\r, \\t or \\xHH in quotes";
          return false;
        }
        ++i;
      }
      field.text = std::string(trimmed(value.substr(start, i - start)));
    }
    fields.push_back(std::move(field));
    if (i == value.size()) return true;
    ++i;  // the '|'
  }
}

bool isKeep(const Field& field) { return !field.quoted && field.text == "*"; }

bool fits(const std::string& text) { return text.size() <= qpmulti::kMaxTextLength; }

std::string lengthError(const char* what) {
  return std::string(what) + " is longer than " + std::to_string(qpmulti::kMaxTextLength) +
         " characters";
}

// A name as an error message shows it: cut, so that a long line stays one line.
std::string shownName(const std::string& text) {
  return "'" + (text.size() > 40 ? text.substr(0, 40) + "..." : text) + "'";
}

class Parser {
 public:
  explicit Parser(ProfileFile& file) : file_(file) {}

  // False with the error filled in.
  bool line(std::string_view text, unsigned number) {
    number_ = number;
    if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
    if (text.find('\0') != std::string_view::npos) return fail("the line holds a zero byte");
    const std::string_view content = trimmed(text);
    if (content.empty() || content.front() == '#') return true;
    const size_t equals = content.find('=');
    if (equals == std::string_view::npos)
      return fail("expected KEY = VALUE (profile, password, internet or member N)");
    const std::string_view key = trimmed(content.substr(0, equals));
    const std::string_view value = content.substr(equals + 1);
    if (qp::equalsNoCase(key, "profile")) return profileLine(value);
    if (qp::equalsNoCase(key, "password")) return passwordLine(value);
    if (qp::equalsNoCase(key, "internet")) return internetLine(value);
    if (key.size() > 6 && qp::equalsNoCase(key.substr(0, 6), "member") && isBlank(key[6]))
      return memberLine(trimmed(key.substr(6)), value);
    return fail("unknown key " + shownName(std::string(key)) +
                "; keys are profile, password, internet and member N");
  }

 private:
  bool fail(const std::string& message) {
    file_.errorLine = number_;
    file_.error = message;
    return false;
  }

  bool single(std::string_view value, Field& field) {
    std::vector<Field> fields;
    std::string error;
    if (!parseFields(value, false, fields, error)) return fail(error);
    field = fields.front();
    return true;
  }

  ProfileEntry* current(const char* key) {
    if (file_.profiles.empty()) {
      fail(std::string(key) + " line before the first 'profile = NAME' line");
      return nullptr;
    }
    return &file_.profiles.back();
  }

  bool profileLine(std::string_view value) {
    Field name;
    if (!single(value, name)) return false;
    if (!qpmulti::isValidProfileName(name.text.c_str()))
      return fail(shownName(name.text) +
                  " is no profile name (empty, holds a backslash, or longer than 149 characters)");
    for (const ProfileEntry& other : file_.profiles) {
      if (qp::equalsNoCase(other.name.c_str(), name.text.c_str()))
        return fail("profile " + shownName(name.text) + " is described already at line " +
                    std::to_string(other.line));
    }
    ProfileEntry entry;
    entry.name = name.text;
    entry.line = number_;
    file_.profiles.push_back(std::move(entry));
    havePassword_ = haveInternet_ = false;
    return true;
  }

  bool passwordLine(std::string_view value) {
    ProfileEntry* profile = current("a password");
    if (profile == nullptr) return false;
    if (havePassword_) return fail("a second password line for profile " + shownName(profile->name));
    Field field;
    if (!single(value, field)) return false;
    if (!fits(field.text)) return fail(lengthError("the profile password"));
    havePassword_ = true;
    profile->passwordLine = number_;
    profile->keepPassword = isKeep(field);
    if (!profile->keepPassword) profile->password = field.text;
    return true;
  }

  bool internetLine(std::string_view value) {
    ProfileEntry* profile = current("an internet");
    if (profile == nullptr) return false;
    if (haveInternet_) return fail("a second internet line for profile " + shownName(profile->name));
    Field field;
    if (!single(value, field)) return false;
    if (!field.text.empty() && !qp::sess::isValidInterfaceName(field.text.c_str()))
      return fail(shownName(field.text) + " is no interface name (1 to 40 letters, digits, _ or -)");
    haveInternet_ = true;
    profile->internetInterface = field.text;
    return true;
  }

  bool memberLine(std::string_view loginText, std::string_view value) {
    ProfileEntry* profile = current("a member");
    if (profile == nullptr) return false;
    MemberEntry member;
    member.line = number_;
    const std::string login(loginText);
    if (!qpmulti::parseMemberLogin(login.c_str(), &member.login))
      return fail("the Login number must be 1 to 49, not " + shownName(login));
    for (const MemberEntry& other : profile->members) {
      if (other.login == member.login)
        return fail("member " + login + " of profile " + shownName(profile->name) +
                    " is described already at line " + std::to_string(other.line));
    }
    std::vector<Field> fields;
    std::string error;
    if (!parseFields(value, true, fields, error)) return fail(error);
    if (fields.size() < 2 || fields.size() > 4)
      return fail("a member is: user name | interface [| password [| mail database]]");
    member.userName = fields[0].text;
    member.interfaceName = fields[1].text;
    if (member.userName.empty()) return fail("the member's user name is empty");
    if (!fits(member.userName)) return fail(lengthError("the member's user name"));
    if (!member.interfaceName.empty() && !qp::sess::isValidInterfaceName(member.interfaceName.c_str()))
      return fail(shownName(member.interfaceName) +
                  " is no interface name (1 to 40 letters, digits, _ or -)");
    if (fields.size() > 2) {
      member.keepPassword = isKeep(fields[2]);
      if (!member.keepPassword) member.password = fields[2].text;
      if (!fits(member.password)) return fail(lengthError("the member's password"));
    }
    if (fields.size() > 3) {
      member.mailDatabase = fields[3].text;
      if (!fits(member.mailDatabase)) return fail(lengthError("the member's mail database"));
    }
    profile->members.push_back(std::move(member));
    return true;
  }

  ProfileFile& file_;
  unsigned number_ = 0;
  bool havePassword_ = false;
  bool haveInternet_ = false;
};

}  // namespace

ProfileFile parseProfileFile(std::string_view text) {
  ProfileFile file;
  Parser parser(file);
  unsigned number = 0;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    const std::string_view line = text.substr(0, end);
    if (!parser.line(line, ++number)) {
      file.profiles.clear();
      return file;
    }
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  file.ok = true;
  return file;
}

std::string formatValue(const std::string& value, bool inMemberLine) {
  bool quote = value == "*" || (!value.empty() && (isBlank(value.front()) || isBlank(value.back())));
  for (char c : value) {
    if (isControl(c) || c == '"' || (inMemberLine && c == '|')) quote = true;
  }
  if (!quote) return value;
  std::string out = "\"";
  for (char c : value) {
    if (c == '\n') out += "\\n";
    else if (c == '\r') out += "\\r";
    else if (c == '"' || c == '\\') (out += '\\') += c;
    else if (isControl(c)) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", static_cast<unsigned char>(c));
      out += hex;
    } else out += c;
  }
  return out + "\"";
}

std::string formatProfile(const ProfileEntry& profile, bool withPasswords) {
  // A kept password stays kept, so that the text reads back as it was parsed.
  auto password = [withPasswords](const std::string& text, bool keep, bool member) {
    if (keep || (!withPasswords && !text.empty())) return std::string("*");
    return formatValue(text, member);
  };
  std::string out = "profile = " + formatValue(profile.name, false) + "\n";
  out += "password = " + password(profile.password, profile.keepPassword, false) + "\n";
  if (!profile.internetInterface.empty())
    out += "internet = " + formatValue(profile.internetInterface, false) + "\n";
  for (const MemberEntry& m : profile.members) {
    out += "member " + std::to_string(m.login) + " = " + formatValue(m.userName, true) + " | " +
           formatValue(m.interfaceName, true);
    if (m.keepPassword || !m.password.empty() || !m.mailDatabase.empty())
      out += " | " + password(m.password, m.keepPassword, true);
    if (!m.mailDatabase.empty()) out += " | " + formatValue(m.mailDatabase, true);
    if (out.back() == ' ') out.pop_back();  // after an empty interface
    out += "\n";
  }
  return out;
}

}  // namespace qphost
