// Our stand-in RASAPI32.DLL: the four RAS functions the dial-up library calls, served
// from a script (host/rasfake/core/script.h) named by QP_RASFAKE_SCRIPT and re-read at
// every call, with every call appended to the journal named by QP_RASFAKE_JOURNAL.
// A successful dial posts its scripted connection states to the notifier window as
// the "RasDialEvent" message from a thread of its own, as the real service does.
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "common/text.h"
#include "common/win/unique.h"
#include "dialup/core/ras_types.h"
#include "host/rasfake/core/script.h"

namespace {

using qpras::RasDialParamsA;
using qpras::RasEntryNameA;
using Fields = std::vector<std::pair<std::string, std::string>>;

constexpr char kScriptVariable[] = "QP_RASFAKE_SCRIPT";
constexpr char kJournalVariable[] = "QP_RASFAKE_JOURNAL";

std::mutex lock;                   // journal writes, dial counter, connections
size_t dialsTaken = 0;             // scripted outcomes used since the last reset
uintptr_t lastConnection = 0;      // connection handles are 1, 2, 3, ...
std::set<uintptr_t> openConnections;

std::string variable(const char* name) {
  char value[MAX_PATH];
  DWORD length = ::GetEnvironmentVariableA(name, value, sizeof value);
  return length > 0 && length < sizeof value ? std::string(value) : std::string();
}

void journal(const std::string& line) {
  const std::string path = variable(kJournalVariable);
  if (path.empty()) return;
  std::lock_guard<std::mutex> guard(lock);
  std::ofstream out(path, std::ios::app | std::ios::binary);
  out << line << "\n";
}

void journal(const char* call, const Fields& fields, uint32_t result) {
  journal(rasfake::journalLine(call, fields, result));
}

// The script as it is now; false (journaled) when it cannot be read or parsed. No
// variable means an empty phonebook and no dials.
bool loadScript(rasfake::Script& script) {
  script = rasfake::Script{};
  const std::string path = variable(kScriptVariable);
  if (path.empty()) return true;
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    journal("script", {{"path", path}, {"error", "cannot be read"}}, 1);
    return false;
  }
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::string error;
  if (!rasfake::parseScript(text, script, error)) {
    journal("script", {{"path", path}, {"error", error}}, 1);
    return false;
  }
  return true;
}

// A RAS text field that need not be terminated, as a string.
template <size_t N>
std::string field(const char (&text)[N]) {
  return std::string(text, strnlen(text, N));
}

std::string hex(uint64_t value) {
  char text[24];
  wsprintfA(text, "0x%lX", static_cast<unsigned long>(value));
  return text;
}

HANDLE newConnection() {
  std::lock_guard<std::mutex> guard(lock);
  uintptr_t id = ++lastConnection;
  openConnections.insert(id);
  return reinterpret_cast<HANDLE>(id);
}

bool connectionOpen(uintptr_t id) {
  std::lock_guard<std::mutex> guard(lock);
  return openConnections.count(id) != 0;
}

// What one successful dial posts, owned by its posting thread.
struct Posting {
  HWND window;
  UINT message;
  uintptr_t connection;
  DWORD delayMs;
  std::vector<uint32_t> states;
};

// Posts the states in order until the connection is hung up. The thread holds a
// reference to this library so that it is not unloaded under it.
DWORD WINAPI postStates(void* parameter) {
  std::unique_ptr<Posting> posting(static_cast<Posting*>(parameter));
  for (uint32_t state : posting->states) {
    if (posting->delayMs > 0) ::Sleep(posting->delayMs);
    if (!connectionOpen(posting->connection)) break;
    ::PostMessageA(posting->window, posting->message, state, 0);
  }
  posting.reset();
  HMODULE self = nullptr;
  ::GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                           GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&postStates), &self);
  ::FreeLibraryAndExitThread(self, 0);
  return 0;
}

bool startPosting(std::unique_ptr<Posting> posting) {
  qp::UniqueModule self;
  if (!::GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                            reinterpret_cast<LPCSTR>(&postStates), self.put()))
    return false;
  qp::UniqueHandle thread(::CreateThread(nullptr, 0, postStates, posting.get(), 0, nullptr));
  if (!thread) return false;
  posting.release();  // the thread owns it now, and the reference to this library
  self.release();
  return true;
}

DWORD dial(RasDialParamsA* params, DWORD notifierType, void* notifier, HANDLE* connection,
           Fields& fields) {
  if (connection == nullptr || params == nullptr) return qpras::kRasErrorInvalidParameter;
  *connection = nullptr;
  if (params->dwSize != qpras::kRasDialParamsSize) return qpras::kRasErrorInvalidSize;
  const std::string entryName = field(params->szEntryName);
  const std::string phone = field(params->szPhoneNumber);
  const std::string password = field(params->szPassword);
  fields = {{"entry", entryName},
            {"phone", phone},
            {"user", field(params->szUserName)},
            {"password", rasfake::maskedPassword(password)},
            {"callback", field(params->szCallbackNumber)},
            {"domain", field(params->szDomain)},
            {"notifier", hex(notifierType)},
            {"window", notifier != nullptr ? "yes" : "no"}};
  rasfake::Script script;
  if (!loadScript(script)) return qpras::kRasErrorCannotOpenPhonebook;
  const rasfake::Entry* entry = rasfake::findEntry(script, entryName.c_str());
  if (entry == nullptr) return qpras::kRasErrorCannotFindEntry;
  // An empty phone number dials the entry's own.
  fields.push_back({"dials", phone.empty() ? entry->phone : phone});
  // Whether the dial brings the entry's stored password: what a test needs to know,
  // without the journal holding the text.
  fields.push_back(
      {"stored-password", password == entry->password ? "yes" : "no"});
  if (notifierType != qpras::kRasNotifyWindow || notifier == nullptr)
    return qpras::kRasErrorInvalidParameter;

  rasfake::Dial outcome;
  {
    std::lock_guard<std::mutex> guard(lock);
    if (dialsTaken < script.dials.size()) {
      outcome = script.dials[dialsTaken++];
    } else {
      outcome.refused = true;
      outcome.error = rasfake::kNoOutcomeError;
      outcome.handsOutHandle = false;
    }
  }
  if (outcome.refused) {
    if (outcome.handsOutHandle) *connection = newConnection();
    fields.push_back({"handle", std::to_string(reinterpret_cast<uintptr_t>(*connection))});
    return outcome.error;
  }
  *connection = newConnection();
  fields.push_back({"handle", std::to_string(reinterpret_cast<uintptr_t>(*connection))});
  UINT message = ::RegisterWindowMessageA(qpras::kRasDialEventName);
  std::unique_ptr<Posting> posting(new Posting{
      static_cast<HWND>(notifier), message != 0 ? message : qpras::kRasDialEventFallback,
      reinterpret_cast<uintptr_t>(*connection), script.delayMs, outcome.states});
  startPosting(std::move(posting));
  return 0;
}

}  // namespace

extern "C" DWORD WINAPI RasDialA(void* extensions, const char* phonebook,
                                 RasDialParamsA* params, DWORD notifierType, void* notifier,
                                 HANDLE* connection) {
  try {
    Fields fields;
    DWORD result = dial(params, notifierType, notifier, connection, fields);
    fields.insert(fields.begin(), {"extensions", extensions != nullptr ? "yes" : "no"});
    fields.insert(fields.begin() + 1, {"phonebook", phonebook != nullptr ? phonebook : ""});
    journal("RasDialA", fields, result);
    return result;
  } catch (...) {
    return ERROR_NOT_ENOUGH_MEMORY;
  }
}

extern "C" DWORD WINAPI RasHangUpA(HANDLE connection) {
  try {
    const uintptr_t id = reinterpret_cast<uintptr_t>(connection);
    bool known = false;
    {
      std::lock_guard<std::mutex> guard(lock);
      known = openConnections.erase(id) != 0;
    }
    const DWORD result = known ? 0 : qpras::kRasErrorInvalidHandle;
    journal("RasHangUpA", {{"handle", std::to_string(id)}}, result);
    return result;
  } catch (...) {
    return ERROR_NOT_ENOUGH_MEMORY;
  }
}

extern "C" DWORD WINAPI RasEnumEntriesA(const char* reserved, const char* phonebook,
                                        RasEntryNameA* entries, DWORD* size, DWORD* count) {
  try {
    Fields fields{{"reserved", reserved != nullptr ? "yes" : "no"},
                  {"phonebook", phonebook != nullptr ? phonebook : ""}};
    DWORD result = 0;
    rasfake::Script script;
    if (size == nullptr || count == nullptr) {
      result = qpras::kRasErrorInvalidParameter;
    } else {
      fields.push_back({"size", std::to_string(*size)});
      if (entries == nullptr || entries[0].dwSize != qpras::kRasEntryNameSizeOf) {
        result = qpras::kRasErrorInvalidSize;
      } else if (!loadScript(script)) {
        result = qpras::kRasErrorCannotOpenPhonebook;
      } else if (script.enumError != 0) {
        result = script.enumError;
      } else {
        const DWORD needed =
            static_cast<DWORD>(script.entries.size()) * qpras::kRasEntryNameSizeOf;
        *count = static_cast<DWORD>(script.entries.size());
        if (*size < needed) {
          *size = needed;
          result = qpras::kRasErrorBufferTooSmall;
        } else {
          for (size_t i = 0; i < script.entries.size(); ++i) {
            entries[i].dwSize = qpras::kRasEntryNameSizeOf;
            qp::copyText(entries[i].szEntryName, script.entries[i].name.c_str());
          }
        }
        fields.push_back({"count", std::to_string(*count)});
      }
    }
    journal("RasEnumEntriesA", fields, result);
    return result;
  } catch (...) {
    return ERROR_NOT_ENOUGH_MEMORY;
  }
}

extern "C" DWORD WINAPI RasGetEntryDialParamsA(const char* phonebook, RasDialParamsA* params,
                                               BOOL* passwordStored) {
  try {
    Fields fields{{"phonebook", phonebook != nullptr ? phonebook : ""}};
    DWORD result = 0;
    rasfake::Script script;
    if (params == nullptr || passwordStored == nullptr) {
      result = qpras::kRasErrorInvalidParameter;
    } else if (params->dwSize != qpras::kRasDialParamsSize) {
      result = qpras::kRasErrorInvalidSize;
    } else {
      const std::string name = field(params->szEntryName);
      fields.push_back({"entry", name});
      const rasfake::Entry* entry = nullptr;
      if (!loadScript(script)) {
        result = qpras::kRasErrorCannotOpenPhonebook;
      } else if (script.paramsError != 0) {
        result = script.paramsError;
      } else if ((entry = rasfake::findEntry(script, name.c_str())) == nullptr) {
        result = qpras::kRasErrorCannotFindEntry;
      } else {
        qp::copyText(params->szPhoneNumber, entry->phone.c_str());
        qp::copyText(params->szUserName, entry->user.c_str());
        qp::copyText(params->szPassword, entry->password.c_str());
        *passwordStored = entry->password.empty() ? FALSE : TRUE;
      }
    }
    journal("RasGetEntryDialParamsA", fields, result);
    return result;
  } catch (...) {
    return ERROR_NOT_ENOUGH_MEMORY;
  }
}

// Only ours has it: starts the scripted dials from the first again, forgets the
// connections and hands out handles from 1 again. Tests call it to start clean and to tell ours from Wine's built-in one.
extern "C" void WINAPI RasFakeReset(void) {
  std::lock_guard<std::mutex> guard(lock);
  dialsTaken = 0;
  lastConnection = 0;
  openConnections.clear();
}
