// Drives dialogs and message boxes in Windows tests through real window messages.
//
// A DialogDriver hooks a thread with WH_CBT. Each top-level window that activates there
// for the first time is handed to the next step of the test's script, from a thread
// timer, so the step runs inside the dialog's own message loop once WM_INITDIALOG is
// done. A step reads controls, sets them and presses buttons (posted, as a user's click
// would arrive). Windows that turn up after the script has run out are recorded as
// unexpected and cancelled, so a faulty component fails the test instead of hanging it.
//
// For windows opened by threads the test does not know (a component's worker thread),
// Mode::AnyThread watches every top-level window of the process from a thread of its own
// instead of hooking.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace qptest {

using Step = std::function<void(HWND window)>;

class DialogDriver {
 public:
  enum class Mode { ThisThread, AnyThread };

  explicit DialogDriver(std::vector<Step> steps, Mode mode = Mode::ThisThread);
  ~DialogDriver();
  DialogDriver(const DialogDriver&) = delete;
  DialogDriver& operator=(const DialogDriver&) = delete;

  // How many steps have run, and whether all have.
  size_t stepsRun() const;
  bool allStepsRun() const;
  // Caption of every window handed to a step, in order.
  std::vector<std::string> titles() const;
  // Captions of windows that came after the script ended (each was cancelled).
  std::vector<std::string> unexpected() const;
  // The window handed to step `index`, or null when that step has not run.
  HWND window(size_t index) const;

  // Waits (pumping this thread's messages) until every step has run; false on timeout.
  bool waitForAllSteps(DWORD timeoutMs);

  // Used by the hook and the watcher; not for tests.
  void activated(HWND window);
  void runNext();

 private:
  void watch();

  std::vector<Step> steps_;
  mutable std::mutex lock_;
  std::vector<HWND> seen_;
  std::vector<HWND> pending_;
  std::vector<HWND> handled_;
  std::vector<std::string> titles_;
  std::vector<std::string> unexpected_;
  HHOOK hook_ = nullptr;
  std::atomic<bool> stop_{false};
  std::thread watcher_;
  unsigned hiddenWaits_ = 0;  // timer periods the front window has not been visible
};

// --- Reading windows -------------------------------------------------------------------
std::string windowText(HWND window);
std::string className(HWND window);
std::string itemText(HWND dialog, int id);
bool isMessageBox(HWND window);
// The message of a message box ("" for other windows).
std::string messageBoxText(HWND box);
bool itemVisible(HWND dialog, int id);
bool itemEnabled(HWND dialog, int id);
bool itemChecked(HWND dialog, int id);
// Entries of a list box or combo box, and the selected index (-1 for none).
std::vector<std::string> listItems(HWND dialog, int id);
int selectedIndex(HWND dialog, int id);

// --- Acting on windows (posted, so they arrive through the dialog's message loop) ------
void setItemText(HWND dialog, int id, const std::string& text);
void press(HWND dialog, int id);
// Selects an entry of a list box or combo box and notifies the dialog of the change.
void selectItem(HWND dialog, int id, int index);
void doubleClickItem(HWND dialog, int id);
void check(HWND dialog, int id, bool checked);
// A key press on a control (WM_KEYDOWN/WM_KEYUP posted to it).
void pressKey(HWND dialog, int id, UINT virtualKey);
// Types into an edit control as a user would: its text selected and replaced by posted
// characters, so that the control counts as modified (WM_SETTEXT does not).
void typeText(HWND dialog, int id, const std::string& text);
// Runs `action` from this thread's message loop once `window` no longer exists: for
// acting on a dialog again after a nested dialog or a message box over it has closed.
void afterClosing(HWND window, std::function<void()> action);
// Runs `action` from this thread's message loop once the messages posted so far have been
// handled (a timer message comes only when no posted message waits): for looking at a
// dialog after posted clicks have taken effect, and acting again.
void whenIdle(std::function<void()> action);

// --- Look --------------------------------------------------------------------------------
// Writes the window as it is on screen to a 24-bit BMP file; false on failure.
bool captureWindow(HWND window, const char* bmpPath);
// Texts that do not fit their controls and visible controls that overlap (group boxes
// aside), one line each; empty when the layout is sound.
std::vector<std::string> layoutProblems(HWND dialog);

}  // namespace qptest
