// Run-time exports: libraries, threads, dialogs, the help category, the main module,
// the application name and the debug log.
#include <atomic>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>

#include "common/text.h"
#include "common/win/unique.h"
#include "host/comm/comm_shell.h"
#include "hostapi/qpxcomm.h"

namespace {

constexpr char kAppNameVariable[] = "QP_APP_NAME";
constexpr char kDefaultAppName[] = "Quillpost";
constexpr char kDebugLogName[] = "QPDEBUG.LOG";

std::atomic<uint32_t> helpCategory{0};

struct ThreadStart {
  QPTHREADPROC routine;
  void* argument;
};

// Adapts the caller's routine to CreateThread's; the start block is freed before the
// routine runs, so QPEndThread inside it leaks nothing.
DWORD WINAPI threadMain(void* parameter) {
  std::unique_ptr<ThreadStart> start(static_cast<ThreadStart*>(parameter));
  QPTHREADPROC routine = start->routine;
  void* argument = start->argument;
  start.reset();
  return routine(argument);
}

}  // namespace

// The exports that hand modules out and take them back; they are the owners' own close
// calls, so they call LoadLibrary/FreeLibrary directly.
HMODULE QPAPI QPLoadLibrary(const char* name) { return ::LoadLibraryA(name); }

BOOL QPAPI QPFreeLibrary(HMODULE module) { return ::FreeLibrary(module); }

HANDLE QPAPI QPBeginThread(QPTHREADPROC routine, uint32_t stackSize, void* argument) {
  if (routine == nullptr) return nullptr;
  std::unique_ptr<ThreadStart> start(new (std::nothrow) ThreadStart{routine, argument});
  if (!start) return nullptr;
  HANDLE thread = ::CreateThread(nullptr, stackSize, threadMain, start.get(), 0, nullptr);
  if (thread != nullptr) start.release();  // the thread owns it now
  return thread;
}

void QPAPI QPEndThread(uint32_t exitCode) { ::ExitThread(exitCode); }

INT_PTR QPAPI QPDialogBoxParam(HINSTANCE module, const char* templateName, HWND owner,
                               DLGPROC procedure, LPARAM parameter) {
  return ::DialogBoxParamA(module, templateName, owner, procedure, parameter);
}

uint32_t QPAPI QPGetHelpCategory(void) { return helpCategory.load(); }

void QPAPI QPSetHelpCategory(uint32_t category) { helpCategory = category; }

HMODULE QPAPI GetMainModuleHandle(void) { return ::GetModuleHandleA(nullptr); }

// QP_APP_NAME is read on each call (tests set it at run time). Its text is kept in one
// buffer that is rewritten only when the name changes, so a pointer handed out earlier
// keeps showing a name.
const char* QPAPI QPGetAppName(void) {
  static std::mutex lock;
  static char name[QP_TEXT_SMALL];
  char value[QP_TEXT_SMALL];
  DWORD length = ::GetEnvironmentVariableA(kAppNameVariable, value, sizeof value);
  if (length == 0 || length >= sizeof value) return kDefaultAppName;
  std::lock_guard<std::mutex> guard(lock);
  if (std::strcmp(name, value) != 0) qp::copyText(name, value);
  return name;
}

// One line per call: "YYYY-MM-DD hh:mm:ss.mmm [level] text" and CRLF. The file is opened
// for appending and closed each time, shared for reading and writing, so others can read
// it while the server runs; the lock keeps lines of this process whole.
void QPAPI WriteDebugLog(int32_t level, const char* text) {
  static std::mutex lock;
  char path[MAX_PATH];
  if (!qpcomm::serverDirectory(path, sizeof path) || !qp::appendText(path, kDebugLogName))
    return;
  SYSTEMTIME now;
  ::GetLocalTime(&now);
  char stamp[64];
  std::snprintf(stamp, sizeof stamp, "%04u-%02u-%02u %02u:%02u:%02u.%03u [%d] ", now.wYear,
                now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond,
                now.wMilliseconds, static_cast<int>(level));
  try {
    std::string line = stamp;
    line += text ? text : "";
    line += "\r\n";
    std::lock_guard<std::mutex> guard(lock);
    qp::UniqueFile file(::CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return;
    DWORD written = 0;
    ::WriteFile(file.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  } catch (...) {  // out of memory for the line: it is dropped
  }
}
