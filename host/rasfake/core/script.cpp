// Parser of the stand-in dial-up service's script, and its journal lines (script.h).
#include "host/rasfake/core/script.h"

#include <cerrno>
#include <cstdlib>
#include <sstream>

#include "common/text.h"

namespace rasfake {
namespace {

bool fail(std::string& why, const std::string& text) {
  why = text;
  return false;
}

std::string trim(const std::string& text) {
  size_t begin = text.find_first_not_of(" \t\r");
  if (begin == std::string::npos) return "";
  size_t end = text.find_last_not_of(" \t\r");
  return text.substr(begin, end - begin + 1);
}

// A whole unsigned 32-bit number, decimal or 0x hex.
bool parseNumber(const std::string& word, uint32_t& value) {
  if (word.empty() || word[0] == '-' || word[0] == '+') return false;
  errno = 0;
  char* end = nullptr;
  unsigned long long number = std::strtoull(word.c_str(), &end, 0);
  if (errno != 0 || *end != '\0' || number > 0xFFFFFFFFull) return false;
  value = static_cast<uint32_t>(number);
  return true;
}

bool parseState(const std::string& word, uint32_t& state) {
  static const std::pair<const char*, uint32_t> kNames[] = {
      {"PortOpened", 1}, {"Authenticate", 5}, {"LogonNetwork", 21},
      {"Connected", 0x2000}, {"Disconnected", 0x2001}};
  for (const auto& name : kNames) {
    if (qp::equalsNoCase(word.c_str(), name.first)) {
      state = name.second;
      return true;
    }
  }
  return parseNumber(word, state);
}

std::vector<std::string> words(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string word; in >> word;) out.push_back(word);
  return out;
}

bool parseEntry(const std::string& rest, Entry& entry, std::string& why) {
  std::vector<std::string> fields;
  size_t start = 0;
  for (;;) {
    size_t bar = rest.find('|', start);
    fields.push_back(trim(rest.substr(start, bar == std::string::npos ? bar : bar - start)));
    if (bar == std::string::npos) break;
    start = bar + 1;
  }
  if (fields.size() > 4) return fail(why, "an entry has at most 4 fields");
  fields.resize(4);
  entry = Entry{fields[0], fields[1], fields[2], fields[3]};
  if (entry.name.empty()) return fail(why, "an entry needs a name");
  if (entry.name.size() > kMaxName) return fail(why, "entry name longer than 256");
  if (entry.phone.size() > kMaxPhone) return fail(why, "phone number longer than 128");
  if (entry.user.size() > kMaxCredential || entry.password.size() > kMaxCredential)
    return fail(why, "user name or password longer than 256");
  return true;
}

bool parseDial(const std::vector<std::string>& args, Dial& dial, std::string& why) {
  if (args.empty()) return fail(why, "dial needs states or 'error CODE'");
  if (qp::equalsNoCase(args[0].c_str(), "error")) {
    dial.refused = true;
    if (args.size() < 2 || !parseNumber(args[1], dial.error) || dial.error == 0)
      return fail(why, "dial error needs a nonzero code");
    if (args.size() == 3 && qp::equalsNoCase(args[2].c_str(), "nohandle")) {
      dial.handsOutHandle = false;
    } else if (args.size() > 2) {
      return fail(why, "dial error CODE takes only 'nohandle' after it");
    }
    return true;
  }
  for (const std::string& word : args) {
    uint32_t state = 0;
    if (!parseState(word, state)) return fail(why, "unknown state '" + word + "'");
    dial.states.push_back(state);
  }
  return true;
}

bool parseLine(const std::string& line, Script& script, std::string& why) {
  std::string text = trim(line);
  if (text.empty() || text[0] == '#') return true;
  size_t space = text.find_first_of(" \t");
  std::string keyword = text.substr(0, space);
  std::string rest = space == std::string::npos ? "" : trim(text.substr(space));
  std::vector<std::string> args = words(rest);
  auto number = [&](uint32_t& value) {
    if (args.size() != 1 || !parseNumber(args[0], value))
      return fail(why, keyword + " needs one number");
    return true;
  };
  if (keyword == "entry") {
    Entry entry;
    if (!parseEntry(rest, entry, why)) return false;
    script.entries.push_back(entry);
    return true;
  }
  if (keyword == "enum-error") return number(script.enumError);
  if (keyword == "params-error") return number(script.paramsError);
  if (keyword == "delay") return number(script.delayMs);
  if (keyword == "dial") {
    Dial dial;
    if (!parseDial(args, dial, why)) return false;
    script.dials.push_back(dial);
    return true;
  }
  why = "unknown instruction '" + keyword + "'";
  return false;
}

void appendEscaped(std::string& out, const std::string& value) {
  for (char c : value) {
    switch (c) {
      case '\t': out += "\\t"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\\': out += "\\\\"; break;
      default: out += c;
    }
  }
}

}  // namespace

bool parseScript(const std::string& text, Script& script, std::string& error) {
  script = Script{};
  std::istringstream in(text);
  int number = 0;
  for (std::string line; std::getline(in, line);) {
    ++number;
    std::string why;
    if (!parseLine(line, script, why)) {
      error = "line " + std::to_string(number) + ": " + why;
      return false;
    }
  }
  return true;
}

const Entry* findEntry(const Script& script, const char* name) {
  for (const Entry& entry : script.entries) {
    if (qp::equalsNoCase(entry.name.c_str(), name)) return &entry;
  }
  return nullptr;
}

std::string maskedPassword(const std::string& password) {
  if (password.empty()) return "";
  return "****(" + std::to_string(password.size()) + ")";
}

std::string journalLine(const char* call,
                        const std::vector<std::pair<std::string, std::string>>& fields,
                        uint32_t result) {
  std::string line = call;
  for (const auto& field : fields) {
    line += '\t';
    line += field.first;
    line += '=';
    appendEscaped(line, field.second);
  }
  line += "\t-> " + std::to_string(result);
  return line;
}

}  // namespace rasfake
