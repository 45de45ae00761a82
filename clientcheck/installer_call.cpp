// TRN32CALL.EXE: calls CheckTrn32Running the way an installer does (TRN32CHK.DLL loaded
// by name, the export found by its undecorated name) and prints what happened: each
// message box with its texts and the answer given, the result and how long the call took.
// The boxes are answered from the command line, so the demo runs unattended:
//
//   TRN32CALL [--wait-client MS] [--answer retry|cancel]... [--hold-box FILE]
//
// --wait-client waits up to MS ms for a client window before the call; --answer gives
// the answers in order (boxes beyond them are cancelled); --hold-box keeps the first box
// up until FILE is deleted (at most 20 s), after writing the box's screen rectangle
// ("left top width height") to FILE, so that a script can take a picture of the screen.
// Exit code: the export's result, or 2 (usage), 3 (no DLL or export), 4 (no client
// window came up).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "clientcheck/fake_client.h"
#include "clientcheck/trn32chk.h"
#include "common/win/unique.h"
#include "testing/dialog_driver.h"

namespace {

constexpr int kExitUsage = 2;
constexpr int kExitNoExport = 3;
constexpr int kExitNoClient = 4;

struct Options {
  DWORD waitClientMs = 0;
  std::vector<int> answers;  // IDRETRY / IDCANCEL
  std::string holdFile;
};

bool parse(int argc, char** argv, Options* options) {
  for (int i = 1; i < argc; ++i) {
    bool hasValue = i + 1 < argc;
    if (std::strcmp(argv[i], "--wait-client") == 0 && hasValue) {
      options->waitClientMs = static_cast<DWORD>(std::strtoul(argv[++i], nullptr, 10));
    } else if (std::strcmp(argv[i], "--answer") == 0 && hasValue) {
      const char* answer = argv[++i];
      if (_stricmp(answer, "retry") == 0) options->answers.push_back(IDRETRY);
      else if (_stricmp(answer, "cancel") == 0) options->answers.push_back(IDCANCEL);
      else return false;
    } else if (std::strcmp(argv[i], "--hold-box") == 0 && hasValue) {
      options->holdFile = argv[++i];
    } else {
      return false;
    }
  }
  return true;
}

bool waitForClient(DWORD timeoutMs) {
  for (ULONGLONG start = ::GetTickCount64();; ::Sleep(50)) {
    if (::FindWindowA(trn32fake::kWindowClass, nullptr)) return true;
    if (::GetTickCount64() - start >= timeoutMs) return false;
  }
}

// Writes the box's rectangle to the file (whole, by renaming) and keeps the box up,
// painting, until the file is gone. Under Wine a message box cannot be read back from its
// own window DC (text and buttons come out blank), so the picture is taken from outside.
bool holdBox(HWND box, const std::string& file) {
  RECT rect;
  if (!::GetWindowRect(box, &rect)) return false;
  std::string partial = file + ".part";
  FILE* out = std::fopen(partial.c_str(), "wb");
  if (!out) return false;
  std::fprintf(out, "%ld %ld %ld %ld\n", rect.left, rect.top, rect.right - rect.left,
               rect.bottom - rect.top);
  if (std::fclose(out) != 0 ||
      !::MoveFileExA(partial.c_str(), file.c_str(), MOVEFILE_REPLACE_EXISTING))
    return false;
  for (ULONGLONG start = ::GetTickCount64(); ::GetTickCount64() - start < 20000;) {
    if (::GetFileAttributesA(file.c_str()) == INVALID_FILE_ATTRIBUTES) return true;
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    MSG message;
    while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&message);
      ::DispatchMessageA(&message);
    }
  }
  return false;
}

void printIndented(const std::string& text) {
  size_t begin = 0;
  for (;;) {
    size_t end = text.find('\n', begin);
    std::printf("    | %s\n", text.substr(begin, end - begin).c_str());
    if (end == std::string::npos) break;
    begin = end + 1;
  }
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!parse(argc, argv, &options)) {
    std::fprintf(stderr,
                 "usage: TRN32CALL [--wait-client MS] [--answer retry|cancel]... "
                 "[--hold-box FILE]\n");
    return kExitUsage;
  }
  qp::UniqueModule module(::LoadLibraryA("TRN32CHK.DLL"));
  auto check = module ? reinterpret_cast<CheckTrn32RunningProc>(reinterpret_cast<void*>(
                            ::GetProcAddress(module.get(), "CheckTrn32Running")))
                      : nullptr;
  if (!check) {
    std::printf("TRN32CALL: TRN32CHK.DLL or its export CheckTrn32Running not found\n");
    return kExitNoExport;
  }
  if (options.waitClientMs > 0 && !waitForClient(options.waitClientMs)) {
    std::printf("TRN32CALL: no window of class %s came up\n", trn32fake::kWindowClass);
    return kExitNoClient;
  }
  std::printf("TRN32CALL: client window %s; calling CheckTrn32Running\n",
              ::FindWindowA(trn32fake::kWindowClass, nullptr) ? "present" : "absent");
  std::fflush(stdout);

  const ULONGLONG start = ::GetTickCount64();
  std::vector<qptest::Step> steps;
  for (size_t i = 0; i < options.answers.size(); ++i) {
    steps.push_back([&, i](HWND box) {
      int answer = options.answers[i];
      std::printf("  message box %u after %.1f s: caption \"%s\"\n", static_cast<unsigned>(i + 1),
                  (::GetTickCount64() - start) / 1000.0, qptest::windowText(box).c_str());
      printIndented(qptest::messageBoxText(box));
      if (i == 0 && !options.holdFile.empty()) {
        std::fflush(stdout);
        if (!holdBox(box, options.holdFile)) std::printf("    (holding the box for a picture failed)\n");
      }
      std::printf("    answered %s\n", answer == IDRETRY ? "Retry" : "Cancel");
      std::fflush(stdout);
      qptest::press(box, answer);
    });
  }
  qptest::DialogDriver driver(std::move(steps));
  int32_t result = check(0);
  for (const std::string& extra : driver.unexpected())
    std::printf("  a message box beyond the answers given was cancelled: %s\n", extra.c_str());
  std::printf("CheckTrn32Running returned %d after %.1f s (%u message box%s)\n",
              static_cast<int>(result), (::GetTickCount64() - start) / 1000.0,
              static_cast<unsigned>(driver.titles().size() + driver.unexpected().size()),
              driver.titles().size() + driver.unexpected().size() == 1 ? "" : "es");
  return result;
}
