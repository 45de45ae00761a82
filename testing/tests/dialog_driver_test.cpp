// The dialog driver's own tests: scripts run in order inside the modal loops, windows
// beyond the script are cancelled, other threads' windows are seen, and the layout check
// tells a sound dialog from a cramped one.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "testing/dialog_driver.h"

namespace {

using qptest::DialogDriver;

// The "Sound" dialog: fills its list, asks before it ends on OK and ends with the
// length of the name typed (or -1 when the question is answered No).
INT_PTR CALLBACK soundDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      for (const char* entry : {"alpha", "beta", "gamma"})
        SendDlgItemMessageA(dialog, 102, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) {
        char name[64] = "";
        GetDlgItemTextA(dialog, 101, name, sizeof name);
        std::string question = std::string("Keep ") + name + "?";
        int answer = MessageBoxA(dialog, question.c_str(), "Question", MB_YESNO | MB_ICONQUESTION);
        EndDialog(dialog, answer == IDYES ? static_cast<INT_PTR>(strlen(name)) : -1);
      } else if (LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, -2);
      }
      return TRUE;
  }
  return FALSE;
}

INT_PTR CALLBACK plainDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
    EndDialog(dialog, LOWORD(wParam));
    return TRUE;
  }
  return message == WM_INITDIALOG;
}

INT_PTR showDialog(const char* name, DLGPROC procedure) {
  return DialogBoxParamA(GetModuleHandleA(nullptr), name, nullptr, procedure, 0);
}

TEST(DialogDriver, StepsRunInOrderInsideTheModalLoops) {
  std::vector<std::string> items;
  std::string question;
  DialogDriver driver({
      [&](HWND dialog) {
        items = qptest::listItems(dialog, 102);
        qptest::setItemText(dialog, 101, "jane");
        qptest::selectItem(dialog, 102, 1);
        qptest::press(dialog, IDOK);
      },
      [&](HWND box) {
        question = qptest::messageBoxText(box);
        qptest::press(box, IDYES);
      },
  });
  EXPECT_EQ(4, showDialog("SOUND", soundDialog));
  EXPECT_EQ((std::vector<std::string>{"alpha", "beta", "gamma"}), items);
  EXPECT_EQ("Keep jane?", question);
  EXPECT_EQ((std::vector<std::string>{"Sound", "Question"}), driver.titles());
  EXPECT_TRUE(driver.unexpected().empty());
}

TEST(DialogDriver, WindowsBeyondTheScriptAreCancelledAndReported) {
  DialogDriver driver({});
  EXPECT_EQ(IDCANCEL, MessageBoxA(nullptr, "Nobody answers this", "Stray", MB_OKCANCEL));
  ASSERT_EQ(1u, driver.unexpected().size());
  EXPECT_EQ("Stray: Nobody answers this", driver.unexpected()[0]);
  EXPECT_FALSE(DialogDriver({[](HWND) {}}).allStepsRun());
}

TEST(DialogDriver, AnyThreadModeAnswersAWorkerThreadsMessageBox) {
  std::string seen;
  DialogDriver driver({[&](HWND box) {
                        seen = qptest::messageBoxText(box);
                        qptest::press(box, IDNO);
                      }},
                      DialogDriver::Mode::AnyThread);
  int answer = 0;
  HANDLE worker = CreateThread(
      nullptr, 0,
      [](void* result) -> DWORD {
        *static_cast<int*>(result) = MessageBoxA(nullptr, "From a worker", "Worker", MB_YESNO);
        return 0;
      },
      &answer, 0, nullptr);
  ASSERT_NE(nullptr, worker);
  ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(worker, 20000));
  CloseHandle(worker);
  EXPECT_EQ(IDNO, answer);
  EXPECT_EQ("From a worker", seen);
}

TEST(DialogDriver, LayoutCheckTellsSoundFromCrampedAndCaptureWritesABitmap) {
  std::vector<std::string> soundProblems, crampedProblems;
  char path[MAX_PATH];
  GetTempPathA(MAX_PATH, path);
  strcat_s(path, "qp_driver_capture.bmp");
  bool captured = false;
  DialogDriver driver({
      [&](HWND dialog) {
        soundProblems = qptest::layoutProblems(dialog);
        captured = qptest::captureWindow(dialog, path);
        qptest::press(dialog, IDCANCEL);
      },
      [&](HWND dialog) {
        crampedProblems = qptest::layoutProblems(dialog);
        qptest::press(dialog, IDOK);
      },
  });
  EXPECT_EQ(-2, showDialog("SOUND", soundDialog));
  EXPECT_EQ(IDOK, showDialog("CRAMPED", plainDialog));
  EXPECT_TRUE(soundProblems.empty()) << soundProblems.front();
  std::string all;
  for (const std::string& p : crampedProblems) all += p + "\n";
  EXPECT_NE(std::string::npos, all.find("clips its text")) << all;
  EXPECT_NE(std::string::npos, all.find("overlaps")) << all;

  ASSERT_TRUE(captured);
  // A real picture of the dialog has many colours; a blank or black capture has one or two.
  std::vector<unsigned char> bytes;
  if (FILE* in = fopen(path, "rb")) {
    unsigned char chunk[4096];
    for (size_t n; (n = fread(chunk, 1, sizeof chunk, in)) > 0;) bytes.insert(bytes.end(), chunk, chunk + n);
    fclose(in);
  }
  ASSERT_GT(bytes.size(), 54u + 4u * 100u * 50u);
  std::set<uint32_t> colours;
  for (size_t i = 54; i + 4 <= bytes.size(); i += 4)
    colours.insert(bytes[i] | bytes[i + 1] << 8 | bytes[i + 2] << 16);
  EXPECT_GT(colours.size(), 4u);
  DeleteFileA(path);
}

}  // namespace
