// The WH_CBT dialog driver, control helpers, window capture and the layout check.
#include "testing/dialog_driver.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>

namespace qptest {
namespace {

// One driver at a time: the hook and the timer procedure find it here. With
// Mode::ThisThread they run on the hooked thread, so the pointer is atomic.
std::atomic<DialogDriver*> activeDriver{nullptr};

LRESULT CALLBACK cbtHook(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_ACTIVATE) {
    if (DialogDriver* driver = activeDriver.load()) driver->activated(reinterpret_cast<HWND>(wParam));
  }
  return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

void CALLBACK stepTimer(HWND, UINT, UINT_PTR id, DWORD) {
  ::KillTimer(nullptr, id);
  if (DialogDriver* driver = activeDriver.load()) driver->runNext();
}

// First of two timer hops before a step: a timer message is only taken when nothing was
// posted, so the second hop comes after the dialog loop's first idle moment.
constexpr UINT kSettleMs = 10;
// How many settle periods a step waits for its window to be shown (two seconds).
constexpr unsigned kMaxHiddenWaits = 200;
void CALLBACK settleTimer(HWND, UINT, UINT_PTR id, DWORD) {
  ::KillTimer(nullptr, id);
  ::SetTimer(nullptr, 0, kSettleMs, stepTimer);
}

HWND item(HWND dialog, int id) { return ::GetDlgItem(dialog, id); }

void notify(HWND dialog, int id, WORD code) {
  ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(item(dialog, id)));
}

bool isComboBox(HWND control) {
  std::string name = className(control);
  return _stricmp(name.c_str(), "ComboBox") == 0;
}

}  // namespace

DialogDriver::DialogDriver(std::vector<Step> steps, Mode mode) : steps_(std::move(steps)) {
  activeDriver = this;
  if (mode == Mode::ThisThread) {
    hook_ = ::SetWindowsHookExA(WH_CBT, cbtHook, nullptr, ::GetCurrentThreadId());
  } else {
    watcher_ = std::thread([this] { watch(); });
  }
}

DialogDriver::~DialogDriver() {
  stop_ = true;
  if (watcher_.joinable()) watcher_.join();
  if (hook_) ::UnhookWindowsHookEx(hook_);
  activeDriver = nullptr;
}

void DialogDriver::activated(HWND window) {
  std::lock_guard<std::mutex> guard(lock_);
  if (std::find(seen_.begin(), seen_.end(), window) != seen_.end()) return;
  seen_.push_back(window);
  pending_.push_back(window);
  // The step runs from the thread's message loop, after activation has finished, and
  // only after that loop has once found its queue empty: a modal dialog loop shows its
  // window only then, and under Wine a window captured before that is black or blank.
  ::SetTimer(nullptr, 0, kSettleMs, settleTimer);
}

void DialogDriver::runNext() {
  HWND window = nullptr;
  Step step;
  {
    std::lock_guard<std::mutex> guard(lock_);
    if (pending_.empty()) return;
    window = pending_.front();
    // A modal dialog can activate before its loop shows it; wait (a while) until it is
    // on screen, so that steps see, lay out and capture what a user would.
    if (hook_ != nullptr && ::IsWindow(window) && !::IsWindowVisible(window) &&
        hiddenWaits_ < kMaxHiddenWaits) {
      ++hiddenWaits_;
      ::SetTimer(nullptr, 0, kSettleMs, stepTimer);
      return;
    }
    hiddenWaits_ = 0;
    pending_.erase(pending_.begin());
    if (!::IsWindow(window)) return;
    if (handled_.size() < steps_.size()) {
      step = steps_[handled_.size()];
      handled_.push_back(window);
      titles_.push_back(windowText(window));
    } else {
      unexpected_.push_back(windowText(window) + ": " +
                            (isMessageBox(window) ? messageBoxText(window) : className(window)));
    }
  }
  if (step) {
    step(window);
  } else {
    ::PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
    ::PostMessageA(window, WM_CLOSE, 0, 0);
  }
}

void DialogDriver::watch() {
  const DWORD process = ::GetCurrentProcessId();
  const DWORD self = ::GetCurrentThreadId();
  while (!stop_) {
    std::vector<HWND> found;
    ::EnumWindows(
        [](HWND window, LPARAM context) -> BOOL {
          reinterpret_cast<std::vector<HWND>*>(context)->push_back(window);
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    // EnumWindows lists the topmost first; a window opened later lies above the one
    // that opened it, so hand them over the other way round, the oldest first.
    for (auto it = found.rbegin(); it != found.rend(); ++it) {
      HWND window = *it;
      DWORD owner = 0;
      DWORD thread = ::GetWindowThreadProcessId(window, &owner);
      if (owner != process || thread == self || !::IsWindowVisible(window)) continue;
      {
        std::lock_guard<std::mutex> guard(lock_);
        if (std::find(seen_.begin(), seen_.end(), window) != seen_.end()) continue;
        seen_.push_back(window);
        pending_.push_back(window);
      }
      runNext();
    }
    ::Sleep(20);
  }
}

size_t DialogDriver::stepsRun() const {
  std::lock_guard<std::mutex> guard(lock_);
  return handled_.size();
}

bool DialogDriver::allStepsRun() const { return stepsRun() == steps_.size(); }

std::vector<std::string> DialogDriver::titles() const {
  std::lock_guard<std::mutex> guard(lock_);
  return titles_;
}

std::vector<std::string> DialogDriver::unexpected() const {
  std::lock_guard<std::mutex> guard(lock_);
  return unexpected_;
}

HWND DialogDriver::window(size_t index) const {
  std::lock_guard<std::mutex> guard(lock_);
  return index < handled_.size() ? handled_[index] : nullptr;
}

bool DialogDriver::waitForAllSteps(DWORD timeoutMs) {
  const ULONGLONG end = ::GetTickCount64() + timeoutMs;
  while (!allStepsRun()) {
    if (::GetTickCount64() >= end) return false;
    MSG message;
    while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&message);
      ::DispatchMessageA(&message);
    }
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
  return true;
}

// --- Reading ----------------------------------------------------------------------------

std::string windowText(HWND window) {
  char text[1024] = "";
  ::GetWindowTextA(window, text, sizeof text);
  return text;
}

std::string className(HWND window) {
  char name[256] = "";
  ::GetClassNameA(window, name, sizeof name);
  return name;
}

std::string itemText(HWND dialog, int id) { return windowText(item(dialog, id)); }

// A message box is a dialog whose message sits in a static control with id 0xFFFF.
bool isMessageBox(HWND window) {
  return className(window) == "#32770" && item(window, 0xFFFF) != nullptr;
}

std::string messageBoxText(HWND box) { return isMessageBox(box) ? itemText(box, 0xFFFF) : ""; }

bool itemVisible(HWND dialog, int id) {
  HWND control = item(dialog, id);
  return control && (::GetWindowLongA(control, GWL_STYLE) & WS_VISIBLE) != 0;
}

bool itemEnabled(HWND dialog, int id) {
  HWND control = item(dialog, id);
  return control && ::IsWindowEnabled(control);
}

bool itemChecked(HWND dialog, int id) {
  return ::SendDlgItemMessageA(dialog, id, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

std::vector<std::string> listItems(HWND dialog, int id) {
  HWND control = item(dialog, id);
  const bool combo = isComboBox(control);
  const LRESULT count = ::SendMessageA(control, combo ? CB_GETCOUNT : LB_GETCOUNT, 0, 0);
  std::vector<std::string> items;
  for (LRESULT i = 0; i < count; ++i) {
    LRESULT length = ::SendMessageA(control, combo ? CB_GETLBTEXTLEN : LB_GETTEXTLEN, i, 0);
    if (length < 0) length = 0;
    std::string text(static_cast<size_t>(length) + 1, '\0');
    ::SendMessageA(control, combo ? CB_GETLBTEXT : LB_GETTEXT, i, reinterpret_cast<LPARAM>(&text[0]));
    text.resize(std::strlen(text.c_str()));
    items.push_back(text);
  }
  return items;
}

int selectedIndex(HWND dialog, int id) {
  HWND control = item(dialog, id);
  return static_cast<int>(::SendMessageA(control, isComboBox(control) ? CB_GETCURSEL : LB_GETCURSEL, 0, 0));
}

// --- Acting -----------------------------------------------------------------------------

void setItemText(HWND dialog, int id, const std::string& text) {
  ::SendMessageA(item(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void press(HWND dialog, int id) { notify(dialog, id, BN_CLICKED); }

void selectItem(HWND dialog, int id, int index) {
  HWND control = item(dialog, id);
  const bool combo = isComboBox(control);
  ::SendMessageA(control, combo ? CB_SETCURSEL : LB_SETCURSEL, index, 0);
  notify(dialog, id, combo ? CBN_SELCHANGE : LBN_SELCHANGE);
}

void doubleClickItem(HWND dialog, int id) { notify(dialog, id, LBN_DBLCLK); }

void check(HWND dialog, int id, bool checked) {
  ::SendDlgItemMessageA(dialog, id, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
  notify(dialog, id, BN_CLICKED);
}

void pressKey(HWND dialog, int id, UINT virtualKey) {
  HWND control = item(dialog, id);
  ::SetFocus(control);
  ::PostMessageA(control, WM_KEYDOWN, virtualKey, 1);
  ::PostMessageA(control, WM_KEYUP, virtualKey, 0xC0000001);
}

void typeText(HWND dialog, int id, const std::string& text) {
  HWND control = item(dialog, id);
  ::SetFocus(control);
  ::PostMessageA(control, EM_SETSEL, 0, -1);
  if (text.empty()) ::PostMessageA(control, WM_CHAR, VK_BACK, 1);
  for (char c : text) ::PostMessageA(control, WM_CHAR, static_cast<unsigned char>(c), 1);
}

namespace {

struct Deferred {
  HWND window;
  std::function<void()> action;
};
// Actions waiting for their window to go, by the id of the thread timer that polls.
std::mutex deferredLock;
std::map<UINT_PTR, Deferred> deferred;

void CALLBACK deferredTimer(HWND, UINT, UINT_PTR id, DWORD) {
  std::function<void()> action;
  {
    std::lock_guard<std::mutex> guard(deferredLock);
    auto it = deferred.find(id);
    if (it != deferred.end() && ::IsWindow(it->second.window)) return;
    if (it != deferred.end()) {
      action = std::move(it->second.action);
      deferred.erase(it);
    }
  }
  ::KillTimer(nullptr, id);
  if (action) action();
}

}  // namespace

void afterClosing(HWND window, std::function<void()> action) {
  const UINT_PTR id = ::SetTimer(nullptr, 0, 10, deferredTimer);
  std::lock_guard<std::mutex> guard(deferredLock);
  deferred[id] = Deferred{window, std::move(action)};
}

void whenIdle(std::function<void()> action) { afterClosing(nullptr, std::move(action)); }

// --- Look --------------------------------------------------------------------------------

namespace {

// Lets the thread handle what is queued for `ms` milliseconds.
void pumpFor(DWORD ms) {
  const ULONGLONG until = ::GetTickCount64() + ms;
  while (::GetTickCount64() < until) {
    MSG message;
    while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&message);
      ::DispatchMessageA(&message);
    }
    ::Sleep(10);
  }
}

// The window's pixels as 32-bit bottom-up rows; empty on failure.
std::vector<unsigned char> windowPixels(HWND window, int width, int height, BITMAPINFOHEADER& info) {
  ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  // Wine draws a window and its children into the window's own surface; the screen DC
  // reads what has reached the X server, which may still be blank. Copy from the window.
  HDC source = ::GetWindowDC(window);
  HDC memory = ::CreateCompatibleDC(source);
  HBITMAP bitmap = ::CreateCompatibleBitmap(source, width, height);
  HGDIOBJ old = ::SelectObject(memory, bitmap);
  ::BitBlt(memory, 0, 0, width, height, source, 0, 0, SRCCOPY);
  ::SelectObject(memory, old);
  info = BITMAPINFOHEADER{};
  info.biSize = sizeof info;
  info.biWidth = width;
  info.biHeight = height;
  info.biPlanes = 1;
  info.biBitCount = 32;
  info.biCompression = BI_RGB;
  std::vector<unsigned char> pixels(static_cast<size_t>(width) * 4 * static_cast<size_t>(height));
  const int lines = ::GetDIBits(memory, bitmap, 0, height, pixels.data(), reinterpret_cast<BITMAPINFO*>(&info),
                                DIB_RGB_COLORS);
  ::DeleteObject(bitmap);
  ::DeleteDC(memory);
  ::ReleaseDC(window, source);
  if (lines != height) pixels.clear();
  return pixels;
}

bool allOneColour(const std::vector<unsigned char>& pixels) {
  for (size_t i = 4; i + 3 < pixels.size(); i += 4)
    if (std::memcmp(&pixels[i], &pixels[0], 3) != 0) return false;
  return true;
}

}  // namespace

bool captureWindow(HWND window, const char* bmpPath) {
  RECT box;
  if (!::GetWindowRect(window, &box)) return false;
  const int width = box.right - box.left, height = box.bottom - box.top;
  if (width <= 0 || height <= 0) return false;
  // A window that has just been shown stays black or white in its surface under Wine
  // until its thread has handled the messages that follow the showing (the first window
  // of a process takes longest): let them through, and look again while it is blank.
  BITMAPINFOHEADER info{};
  std::vector<unsigned char> pixels;
  for (int attempt = 0; attempt < 10; ++attempt) {
    pumpFor(attempt == 0 ? 300 : 200);
    pixels = windowPixels(window, width, height, info);
    if (pixels.empty()) return false;
    if (!allOneColour(pixels)) break;
  }
  // GDI leaves the fourth byte of each pixel 0, which picture tools read as alpha: a
  // fully transparent, blank picture. Make every pixel opaque.
  for (size_t i = 3; i < pixels.size(); i += 4) pixels[i] = 0xFF;

  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof file + sizeof info;
  file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
  FILE* out = std::fopen(bmpPath, "wb");
  if (!out) return false;
  bool written = std::fwrite(&file, sizeof file, 1, out) == 1 && std::fwrite(&info, sizeof info, 1, out) == 1 &&
                 std::fwrite(pixels.data(), pixels.size(), 1, out) == 1;
  return std::fclose(out) == 0 && written;
}

namespace {

struct Control {
  HWND window;
  RECT box;  // in the dialog's client coordinates
  std::string name;
};

std::string describe(const Control& c) {
  return className(c.window) + " " + std::to_string(::GetDlgCtrlID(c.window)) + " \"" + windowText(c.window) + "\"";
}

// Room a text needs in a control, measured with the control's own font.
SIZE textExtent(HWND control, const std::string& text, int wrapWidth) {
  HDC dc = ::GetDC(control);
  HGDIOBJ font = reinterpret_cast<HGDIOBJ>(::SendMessageA(control, WM_GETFONT, 0, 0));
  HGDIOBJ old = font ? ::SelectObject(dc, font) : nullptr;
  RECT r{0, 0, wrapWidth > 0 ? wrapWidth : 10000, 0};
  UINT flags = DT_CALCRECT | (wrapWidth > 0 ? DT_WORDBREAK : DT_SINGLELINE);
  ::DrawTextA(dc, text.c_str(), -1, &r, flags);
  if (old) ::SelectObject(dc, old);
  ::ReleaseDC(control, dc);
  return SIZE{r.right - r.left, r.bottom - r.top};
}

}  // namespace

std::vector<std::string> layoutProblems(HWND dialog) {
  std::vector<Control> controls;
  for (HWND child = ::GetWindow(dialog, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
    if (!(::GetWindowLongA(child, GWL_STYLE) & WS_VISIBLE)) continue;
    RECT box;
    ::GetWindowRect(child, &box);
    ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&box), 2);
    controls.push_back({child, box, className(child)});
  }
  std::vector<std::string> problems;
  RECT client;
  ::GetClientRect(dialog, &client);
  for (const Control& c : controls) {
    const LONG style = ::GetWindowLongA(c.window, GWL_STYLE);
    const int width = c.box.right - c.box.left, height = c.box.bottom - c.box.top;
    RECT inside;
    if (!::IntersectRect(&inside, &c.box, &client) || !::EqualRect(&inside, &c.box))
      problems.push_back(describe(c) + " reaches outside the dialog");
    const std::string text = windowText(c.window);
    if (text.empty()) continue;
    if (_stricmp(c.name.c_str(), "Button") == 0) {
      const LONG kind = style & BS_TYPEMASK;
      int room = width - 6;
      if (kind == BS_CHECKBOX || kind == BS_AUTOCHECKBOX || kind == BS_RADIOBUTTON || kind == BS_AUTORADIOBUTTON ||
          kind == BS_3STATE || kind == BS_AUTO3STATE)
        room = width - 16;
      else if (kind == BS_GROUPBOX)
        room = width - 12;
      SIZE need = textExtent(c.window, text, (style & BS_MULTILINE) ? room : 0);
      if (need.cx > room || (kind != BS_GROUPBOX && need.cy > height))
        problems.push_back(describe(c) + " clips its text (needs " + std::to_string(need.cx) + "x" +
                           std::to_string(need.cy) + ", has " + std::to_string(width) + "x" + std::to_string(height) +
                           ")");
    } else if (_stricmp(c.name.c_str(), "Static") == 0) {
      const LONG kind = style & SS_TYPEMASK;
      if (kind != SS_LEFT && kind != SS_CENTER && kind != SS_RIGHT && kind != SS_LEFTNOWORDWRAP && kind != SS_SIMPLE)
        continue;
      const bool wraps = kind == SS_LEFT || kind == SS_CENTER || kind == SS_RIGHT;
      SIZE need = textExtent(c.window, text, wraps ? width : 0);
      if ((!wraps && need.cx > width) || need.cy > height)
        problems.push_back(describe(c) + " clips its text (needs " + std::to_string(need.cx) + "x" +
                           std::to_string(need.cy) + ", has " + std::to_string(width) + "x" + std::to_string(height) +
                           ")");
    }
  }
  auto isGroup = [](const Control& c) {
    return _stricmp(c.name.c_str(), "Button") == 0 &&
           (::GetWindowLongA(c.window, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX;
  };
  for (size_t i = 0; i < controls.size(); ++i) {
    for (size_t j = i + 1; j < controls.size(); ++j) {
      if (isGroup(controls[i]) || isGroup(controls[j])) continue;
      RECT overlap;
      if (::IntersectRect(&overlap, &controls[i].box, &controls[j].box))
        problems.push_back(describe(controls[i]) + " overlaps " + describe(controls[j]));
    }
  }
  return problems;
}

}  // namespace qptest
