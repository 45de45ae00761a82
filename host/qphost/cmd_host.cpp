// QPHOST's "host" commands: one host session on QPXMULTI.DLL driven the way the mail
// server drives an interface library (log in, initialise, poll, identity, signature,
// log out). A log-in spans several calls on one host session, so the commands run from
// a script file or standard input, one a line.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/text.h"
#include "host/qphost/commands.h"
#include "host/qphost/host_script.h"
#include "hostapi/qpunique.h"
#include "hostapi/qpxcomm.h"

namespace qphost {

namespace {

constexpr size_t kFullTextSize = QP_TEXT_LARGE;

// Where a word lies in its line: [begin, end).
struct Span {
  size_t begin;
  size_t end;
};

// Splits a script line into words: blanks separate them, double quotes keep blanks in a
// word, and inside quotes \" \\ \n \r \t stand for those characters. '#' at the start of
// a word begins a comment. False for an unfinished quote or escape; the words and their
// spans then end with the unfinished word, which runs to the end of the line.
bool splitLine(const std::string& line, Args& words, std::vector<Span>* spans = nullptr) {
  words.clear();
  if (spans != nullptr) spans->clear();
  size_t i = 0;
  for (;;) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r')) ++i;
    if (i == line.size() || line[i] == '#') return true;
    const size_t begin = i;
    std::string word;
    bool quoted = false;
    bool finished = true;
    for (; i < line.size(); ++i) {
      const char c = line[i];
      if (!quoted && (c == ' ' || c == '\t' || c == '\r')) break;
      if (c == '"') {
        quoted = !quoted;
      } else if (quoted && c == '\\') {
        if (++i == line.size()) {
          finished = false;
          break;
        }
        const char e = line[i];
        word += e == 'n' ? '\n' : e == 'r' ? '\r' : e == 't' ? '\t' : e;
      } else {
        word += c;
      }
    }
    words.push_back(word);
    if (spans != nullptr) spans->push_back({begin, std::min(i, line.size())});
    if (quoted || !finished) return false;
  }
}

// A script line as it is echoed: the password of an "open" line (its third word) is
// replaced by ****, so that no output of a script shows it; every other line as it is.
std::string echoed(const std::string& line) {
  Args words;
  std::vector<Span> spans;
  splitLine(line, words, &spans);
  if (words.size() < 3 || !qp::equalsNoCase(words[0].c_str(), "open")) return line;
  return line.substr(0, spans[2].begin) + "****" + line.substr(spans[2].end);
}

// A number in decimal or 0x hex; false for anything else.
bool parseNumber(const std::string& text, long long& value) {
  if (text.empty()) return false;
  char* end = nullptr;
  value = std::strtoll(text.c_str(), &end, 0);
  return *end == '\0' && value >= INT32_MIN && value <= static_cast<long long>(UINT32_MAX);
}

int needSession(const Script& s, const char* command) {
  if (s.host.isOpen()) return kExitOk;
  return failure("%s: no host session; begin with: open PROFILE [PASSWORD [MAILDB]]", command);
}

int cmdOpen(Script& s, const Args& a) {
  if (s.host.isOpen())
    return failure("open: host session %d is open; close it first",
                   static_cast<int>(s.host.session()));
  std::string error;
  if (!s.host.load(error)) return failure("open: %s", error.c_str());
  const std::string password = a.size() > 2 ? a[2] : "";
  const std::string database = a.size() > 3 ? a[3] : "";
  if (!s.host.open(a[1], password, database))
    return failure("open: the common library opened no session");
  std::printf("Host session %d for profile %s (mailbox type MULTI).\n",
              static_cast<int>(s.host.session()), a[1].c_str());
  return kExitOk;
}

int cmdClose(Script& s, const Args&) {
  std::printf("Host session %d closed.\n", static_cast<int>(s.host.session()));
  s.host.close();
  return kExitOk;
}

int cmdOptions(Script& s, const Args& a) {
  if (a.size() > 1) {
    int32_t word = 0;
    if (!numberArg(a, 1, 0, word, "options")) return kExitUsage;
    QPSetSessionOptions(s.host.session(), static_cast<uint32_t>(word));
  }
  std::printf("Host options: 0x%08lX\n",
              static_cast<unsigned long>(QPGetSessionOptions(s.host.session())));
  return kExitOk;
}

int cmdLogin(Script& s, const Args& a) {
  int32_t flags = 2;
  if (!numberArg(a, 1, 2, flags, "login")) return kExitUsage;
  void** cell = s.host.tableCell();
  const int32_t count =
      s.host.exports().authenticateUser(s.host.mailDatabase().c_str(), s.host.profile().c_str(),
                                        s.host.password().c_str(), flags, cell);
  std::printf("QPIAuthenticateUser (flags %ld): %ld member session%s%s.\n",
              static_cast<long>(flags), static_cast<long>(count), count == 1 ? "" : "s",
              cell != nullptr && *cell != nullptr ? ", table in the host session" : "");
  return kExitOk;
}

int cmdInit(Script& s, const Args&) {
  s.host.exports().initUser(s.host.session(), s.host.profile().c_str());
  std::printf("QPIInitUser done.\n");
  return kExitOk;
}

int cmdTable(Script& s, const Args&) {
  printMemberTable(s.host);
  return kExitOk;
}

int cmdPoll(Script& s, const Args& a) {
  int32_t flags = 0, value = 0;
  if (!numberArg(a, 1, 0, flags, "poll") || !numberArg(a, 2, 0, value, "poll")) return kExitUsage;
  const int32_t result = s.host.exports().forcePollForNewMail(
      s.host.session(), s.host.profile().c_str(), flags, value);
  std::printf("QPIForcePollForNewMail (flags %ld, value %ld): %ld\n", static_cast<long>(flags),
              static_cast<long>(value), static_cast<long>(result));
  return kExitOk;
}

int cmdIdentity(Script& s, const Args& a) {
  const bool name = a[0] == "name";
  char text[kFullTextSize] = "";
  const auto get = name ? s.host.exports().getFullName : s.host.exports().getFullAddress;
  const int32_t result = get(s.host.session(), s.host.profile().c_str(), text);
  std::printf("%s: %ld %s\n", name ? "QPIGetFullName" : "QPIGetFullAddress",
              static_cast<long>(result), shown(text).c_str());
  return kExitOk;
}

int cmdSignature(Script& s, const Args& a) {
  const MultiExports& e = s.host.exports();
  if (a.size() == 1) {
    qp::UniqueQpBlock text(e.getMessageSignature(s.host.session(), s.host.profile().c_str()));
    std::printf("Signature: %s\n", text ? shown(qp::blockAs<char>(text)).c_str() : "(none)");
    return kExitOk;
  }
  if (a[1] != "set" || a.size() != 3)
    return usageError("signature: use 'signature' or 'signature set TEXT'");
  e.updateMessageSignature(s.host.session(), s.host.profile().c_str(), a[2].c_str());
  std::printf("QPIUpdateMessageSignature: %s\n", shown(a[2].c_str()).c_str());
  return kExitOk;
}

int cmdLogout(Script& s, const Args&) {
  s.host.exports().cleanUpAfterUser(s.host.session(), s.host.profile().c_str());
  std::printf("QPICleanUpAfterUser done.\n");
  return kExitOk;
}

int cmdStatus(Script& s, const Args&) {
  std::string error;
  if (!s.host.load(error)) return failure("status: %s", error.c_str());
  const MultiExports& e = s.host.exports();
  char description[QP_TEXT_SMALL] = "";
  char prompt[QP_TEXT_SMALL] = "";
  int32_t first = 0, second = 0;
  e.checkInterfaceStatus(description, &first, &second);
  e.queryLoginPrompt(0, prompt);
  std::printf("Interface: %s (status values %ld, %ld), capabilities 0x%lX, prompt %s\n",
              shown(description).c_str(), static_cast<long>(first), static_cast<long>(second),
              static_cast<unsigned long>(e.queryCapabilities()), shown(prompt).c_str());
  return kExitOk;
}

const HostCommand kSessionCommands[] = {
    {"open", 1, 3, false, cmdOpen},       {"close", 0, 0, true, cmdClose},
    {"options", 0, 1, true, cmdOptions},  {"login", 0, 1, true, cmdLogin},
    {"init", 0, 0, true, cmdInit},        {"table", 0, 0, true, cmdTable},
    {"poll", 0, 2, true, cmdPoll},        {"name", 0, 0, true, cmdIdentity},
    {"address", 0, 0, true, cmdIdentity}, {"signature", 0, 2, true, cmdSignature},
    {"logout", 0, 0, true, cmdLogout},    {"status", 0, 0, false, cmdStatus},
};

const HostCommandTable* const kTables[] = {&kSessionCommandTable, &kMessageCommandTable,
                                           &kFolderCommandTable, &kBookCommandTable,
                                           &kSendingCommandTable};

int runLine(Script& s, const std::string& line) {
  Args words;
  if (!splitLine(line, words)) return usageError("unfinished quote or escape");
  if (words.empty()) return kExitOk;
  for (const HostCommandTable* table : kTables) {
    for (size_t i = 0; i < table->count; ++i) {
      const HostCommand& c = table->commands[i];
      if (!qp::equalsNoCase(words[0].c_str(), c.name)) continue;
      words[0] = c.name;
      const size_t count = words.size() - 1;
      if (count < c.minArgs || count > c.maxArgs)
        return usageError("%s: wrong number of arguments; QPHOST help lists them", c.name);
      if (c.needsSession) {
        if (int rc = needSession(s, c.name)) return rc;
      }
      return c.run(s, words);
    }
  }
  return usageError("unknown host command '%s'", words[0].c_str());
}

// Reads one line without its line end; false at the end of the input.
bool readLine(FILE* in, std::string& line) {
  line.clear();
  int c;
  while ((c = std::fgetc(in)) != EOF && c != '\n') line += static_cast<char>(c);
  return c != EOF || !line.empty();
}

// True when standard input is a console a person types at. GetConsoleMode answers for
// consoles only: on Windows the NUL device is a character file too, and under Wine a
// Unix terminal is a console (GetConsoleMode succeeds), a pipe or file is not.
bool isConsoleInput() {
  DWORD mode = 0;
  return ::GetConsoleMode(::GetStdHandle(STD_INPUT_HANDLE), &mode) != 0;
}

void printHelp() {
  std::printf("Commands, one a line (words with blanks in double quotes):\n%s"
              "  help   this list;   quit (or exit)   end\n",
              std::strchr(kHostCommands.usage, '\n') + 1);  // all but the "QPHOST host" line
}

int run(int argc, char** argv) {
  if (argc > 1) return usageError("host needs one script file, or - for standard input");
  const bool fromStdin = argc == 0 || std::string(argv[0]) == "-";
  FILE* in = fromStdin ? stdin : std::fopen(argv[0], "rb");
  if (in == nullptr) return failure("cannot open the script %s", argv[0]);
  // A person at a console gets a prompt and no echo; lines from a file or pipe are echoed.
  const bool interactive = fromStdin && isConsoleInput();
  const bool echo = !interactive;
  if (interactive) std::printf("QPHOST host commands; help lists them, quit ends.\n");
  Script script;
  int worst = kExitOk;
  std::string line;
  for (;;) {
    if (interactive) {
      std::printf(script.host.isOpen() ? "qphost %s> " : "qphost> ",
                  script.host.profile().c_str());
      std::fflush(stdout);
    }
    if (!readLine(in, line)) {
      if (interactive) std::printf("\n");
      break;
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (echo) std::printf("> %s\n", echoed(line).c_str());
    std::fflush(stdout);  // before any error line on standard error
    Args words;
    if (splitLine(line, words) && words.size() == 1) {
      if (qp::equalsNoCase(words[0].c_str(), "help")) {
        printHelp();
        continue;
      }
      if (qp::equalsNoCase(words[0].c_str(), "quit") || qp::equalsNoCase(words[0].c_str(), "exit"))
        break;
    }
    const int rc = runLine(script, line);
    if (rc > worst) worst = rc;
    std::fflush(stdout);
  }
  if (!fromStdin) std::fclose(in);
  return worst;
}

}  // namespace

bool numberArg(const Args& args, size_t index, int32_t fallback, int32_t& value, const char* what) {
  long long parsed = fallback;
  if (index < args.size() && !parseNumber(args[index], parsed)) {
    usageError("%s: '%s' is not a number", what, args[index].c_str());
    return false;
  }
  value = static_cast<int32_t>(parsed);
  return true;
}

// A text as one line: quoted, with control characters escaped.
std::string shown(const char* text) {
  std::string out = "\"";
  for (const char* p = text; *p != '\0'; ++p) {
    const unsigned char c = static_cast<unsigned char>(*p);
    if (c == '\r')
      out += "\\r";
    else if (c == '\n')
      out += "\\n";
    else if (c == '\t')
      out += "\\t";
    else if (c == '"' || c == '\\')
      out += std::string("\\") + static_cast<char>(c);
    else if (c < 0x20) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      out += hex;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

const HostCommandTable kSessionCommandTable = {kSessionCommands,
                                               sizeof kSessionCommands / sizeof kSessionCommands[0]};

const CommandGroup kHostCommands = {
    "host",
    "  QPHOST host SCRIPT                           (SCRIPT '-' or none: standard input)\n"
    "    runs host commands on QPXMULTI.DLL, one a line (at a console: a prompt, help, quit):\n"
    "      open PROFILE [PASSWORD [MAILDB]]   close   status   options [WORD]\n"
    "      login [FLAGS]   init   table   poll [FLAGS [VALUE]]   name   address\n"
    "      signature   signature set TEXT   logout\n"
    "    folders: folders [VALUE]   folder NAME   mkfolder NAME   rename OLD NEW\n"
    "      rmfolder NAME   newmail [FOLDER [on|off]]   rules   move ID FOLDER\n"
    "      copy ID FOLDER   add FOLDER TEXT [FILE[=NAME] ...]\n"
    "    messages: index [FOLDER]   changed [FOLDER]   search TEXT [FOLDER [FIELDS]]\n"
    "      read ID [seen]   raw ID   flag ID SET [CLEAR]   delete ID\n"
    "      attachment NAME [COPY]\n"
    "    address books: books   recips BOOK   findaddr TEXT   entry BOOK ADDRESS\n"
    "    sending: send TO CC BCC SUBJECT TEXT [FILES NAMES]   validate TO [CC [BCC]]\n"
    "      compare ADDRESS ADDRESS\n",
    run,
};

}  // namespace qphost
