// QPRASCALL.EXE: calls StartDialUpNetworking and TestDialUpNetworking the way the mail
// server does (QPXRAS.DLL loaded by name, the exports found by their undecorated names)
// and prints what happened: the record after each call, and every window of the dial
// thread with its texts. With --answer the windows are answered, so the demo runs
// unattended; without it a person answers them.
//
//   QPRASCALL USER [--answer] [--retry yes|no] [--connect-after MS] [--phone NUMBER]
//
// --answer presses OK in the settings dialog (after typing --phone into its phone box,
// when given), watches the wait window, and answers the retry question with --retry
// (default no) and any other message box with OK. --connect-after sets the record's
// connected flag after MS ms, as a caller that got connected by itself would.
// Exit code: TestDialUpNetworking's result, or 2 (usage), 3 (no DLL or export).
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "dialup/dialup_request.h"
#include "dialup/resource.h"
#include "testing/dialog_driver.h"

namespace {

constexpr int kExitUsage = 2;
constexpr int kExitNoExport = 3;

struct Options {
  const char* user = nullptr;
  bool answer = false;
  int retryAnswer = IDNO;
  long connectAfterMs = -1;
  std::string phone;
};

bool parse(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    const bool hasValue = i + 1 < argc;
    if (std::strcmp(argv[i], "--answer") == 0) {
      options.answer = true;
    } else if (std::strcmp(argv[i], "--retry") == 0 && hasValue) {
      const char* value = argv[++i];
      if (_stricmp(value, "yes") == 0) options.retryAnswer = IDYES;
      else if (_stricmp(value, "no") == 0) options.retryAnswer = IDNO;
      else return false;
    } else if (std::strcmp(argv[i], "--connect-after") == 0 && hasValue) {
      options.connectAfterMs = std::strtol(argv[++i], nullptr, 10);
    } else if (std::strcmp(argv[i], "--phone") == 0 && hasValue) {
      options.phone = argv[++i];
    } else if (argv[i][0] != '-' && options.user == nullptr) {
      options.user = argv[i];
    } else {
      return false;
    }
  }
  return options.user != nullptr;
}

void say(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  std::vprintf(format, arguments);
  va_end(arguments);
  std::fflush(stdout);
}

void printRecord(const DialUpRequest& request) {
  const HANDLE handle = request.threadHandle;
  say("    record: connected=%ld savedAutodial=%lu threadHandle=%s rasConnection=%llu\n",
      static_cast<long>(request.connected), static_cast<unsigned long>(request.savedAutodial),
      handle == nullptr ? "0" : handle == INVALID_HANDLE_VALUE ? "-1" : "(the dial thread)",
      static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(request.rasConnection)));
}

// Answers (or, without --answer, only reports) the dial thread's windows as they come.
class Answerer {
 public:
  explicit Answerer(const Options& options) : options_(options) {
    thread_ = std::thread([this] { run(); });
  }
  ~Answerer() {
    stop_ = true;
    thread_.join();
  }

 private:
  void run() {
    std::vector<HWND> seen;
    while (!stop_) {
      // Oldest first: the list comes topmost first.
      std::vector<HWND> windows = topLevelWindows();
      for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
        HWND window = *it;
        bool known = false;
        for (HWND old : seen) known = known || old == window;
        if (known) continue;
        seen.push_back(window);
        handle(window);
      }
      followWaitWindow();
      ::Sleep(20);
    }
    followWaitWindow();
  }

  static std::vector<HWND> topLevelWindows() {
    std::vector<HWND> found;
    ::EnumWindows(
        [](HWND window, LPARAM context) -> BOOL {
          DWORD process = 0;
          ::GetWindowThreadProcessId(window, &process);
          if (process == ::GetCurrentProcessId() && ::IsWindowVisible(window))
            reinterpret_cast<std::vector<HWND>*>(context)->push_back(window);
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
  }

  void handle(HWND window) {
    if (::GetDlgItem(window, IDC_PROFILE_LIST) != nullptr) return settings(window);
    if (::GetDlgItem(window, IDC_WAIT_PROGRESS) != nullptr) return wait(window);
    if (qptest::isMessageBox(window)) return messageBox(window);
  }

  void settings(HWND dialog) {
    say("  [settings dialog] %s\n", qptest::windowText(dialog).c_str());
    const std::vector<std::string> profiles = qptest::listItems(dialog, IDC_PROFILE_LIST);
    const int selected = qptest::selectedIndex(dialog, IDC_PROFILE_LIST);
    std::string list;
    for (size_t i = 0; i < profiles.size(); ++i)
      list += (i ? ", " : "") + profiles[i] + (static_cast<int>(i) == selected ? " (selected)" : "");
    say("    profiles: %s\n", list.c_str());
    const std::vector<std::string> locations = qptest::listItems(dialog, IDC_LOCATION_LIST);
    const int location = qptest::selectedIndex(dialog, IDC_LOCATION_LIST);
    say("    location: %s   phone: %s   user: %s   password: %s\n",
        location >= 0 ? locations[location].c_str() : "-",
        qptest::itemText(dialog, IDC_PHONE).c_str(), qptest::itemText(dialog, IDC_USER).c_str(),
        std::string(qptest::itemText(dialog, IDC_PASSWORD).size(), '*').c_str());
    if (!options_.answer) return;
    if (!options_.phone.empty()) {
      qptest::setItemText(dialog, IDC_PHONE, options_.phone);
      say("    typed phone number %s\n", options_.phone.c_str());
    }
    std::string ok = qptest::itemText(dialog, IDC_OK);
    ok.erase(std::remove(ok.begin(), ok.end(), '&'), ok.end());
    say("    -> %s\n", ok.c_str());
    qptest::press(dialog, IDC_OK);
  }

  // The wait window's progress is followed between the other windows: a refused call
  // shows its message box while the wait window is still up.
  void wait(HWND window) {
    say("  [wait window] %s\n", qptest::windowText(window).c_str());
    wait_ = window;
    shown_.clear();
    followWaitWindow();
  }

  void followWaitWindow() {
    if (wait_ == nullptr) return;
    const std::string text = qptest::itemText(wait_, IDC_WAIT_PROGRESS);
    if (!::IsWindow(wait_)) {
      say("    (wait window closed)\n");
      wait_ = nullptr;
    } else if (!text.empty() && text != shown_) {
      say("    %s\n", text.c_str());
      shown_ = text;
    }
  }

  void messageBox(HWND box) {
    say("  [message box \"%s\"] %s\n", qptest::windowText(box).c_str(),
        qptest::messageBoxText(box).c_str());
    if (!options_.answer) return;
    const bool question = ::GetDlgItem(box, IDYES) != nullptr;
    const int answer = question ? options_.retryAnswer : IDOK;
    say("    -> %s\n", answer == IDYES ? "Yes" : answer == IDNO ? "No" : "OK");
    qptest::press(box, answer);
  }

  const Options& options_;
  HWND wait_ = nullptr;
  std::string shown_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!parse(argc, argv, options)) {
    std::fprintf(stderr,
                 "usage: QPRASCALL USER [--answer] [--retry yes|no] [--connect-after MS] "
                 "[--phone NUMBER]\n");
    return kExitUsage;
  }
  HMODULE library = ::LoadLibraryA("QPXRAS.DLL");
  if (library == nullptr) {
    say("QPXRAS.DLL did not load (error %lu): no RASAPI32.DLL with RasDialA and RasHangUpA?\n",
        ::GetLastError());
    return kExitNoExport;
  }
  using StartProc = int32_t(QPAPI*)(const char*, HWND, DialUpRequest*);
  using TestProc = int32_t(QPAPI*)(DialUpRequest*);
  auto start = reinterpret_cast<StartProc>(
      reinterpret_cast<void*>(::GetProcAddress(library, "StartDialUpNetworking")));
  auto test = reinterpret_cast<TestProc>(
      reinterpret_cast<void*>(::GetProcAddress(library, "TestDialUpNetworking")));
  if (start == nullptr || test == nullptr) {
    say("QPXRAS.DLL lacks StartDialUpNetworking or TestDialUpNetworking\n");
    return kExitNoExport;
  }

  DialUpRequest request;
  std::memset(&request, 0, sizeof request);
  std::unique_ptr<Answerer> answerer(new Answerer(options));
  const ULONGLONG began = ::GetTickCount64();
  const int started = start(options.user, nullptr, &request);
  say("StartDialUpNetworking(\"%s\") = %d%s\n", options.user, started,
      started ? " (the dial thread runs)" : " (this library does not dial)");
  printRecord(request);
  std::thread caller;
  if (options.connectAfterMs >= 0) {
    caller = std::thread([&] {
      ::Sleep(static_cast<DWORD>(options.connectAfterMs));
      ::InterlockedExchange(&request.connected, 1);
      say("  (the caller sets connected after %ld ms)\n", options.connectAfterMs);
    });
  }
  const int connected = test(&request);
  if (caller.joinable()) caller.join();
  answerer.reset();  // reports what is left of the dial thread's windows first
  say("TestDialUpNetworking = %d%s after %.1f s\n", connected,
      connected ? " (connected)" : " (no connection)",
      static_cast<double>(::GetTickCount64() - began) / 1000.0);
  printRecord(request);
  return connected;
}
