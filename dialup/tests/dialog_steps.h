// Helpers for the dial-up dialog tests: acting on a dialog synchronously from a driver
// step (the step runs on the dialog's thread, so the effect can be read at once), the
// string table's texts, and a fresh request.
#pragma once

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "dialup/dialup_request.h"
#include "hostapi/qpxcomm.h"
#include "testing/dialog_driver.h"

namespace dialtest {

// Selects a list item and lets the dialog handle the change before returning.
inline void choose(HWND dialog, int id, int index) {
  SendDlgItemMessageA(dialog, id, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

// Presses a button and lets the dialog handle it before returning.
inline void click(HWND dialog, int id) {
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

inline std::string message(unsigned number, int limit = 150) { return GetString(number, limit); }

inline std::string lines(const std::vector<std::string>& texts) {
  std::string all;
  for (const std::string& text : texts) all += text + "\n";
  return all;
}

inline std::string selectedText(HWND dialog, int id) {
  int index = qptest::selectedIndex(dialog, id);
  std::vector<std::string> items = qptest::listItems(dialog, id);
  return index >= 0 && index < static_cast<int>(items.size()) ? items[index] : "<none>";
}

// A zero-filled request for a user, as a caller makes it.
inline DialUpRequest newRequest(const char* user = "jane") {
  DialUpRequest request;
  std::memset(&request, 0, sizeof request);
  std::strcpy(request.userName, user);
  return request;
}

}  // namespace dialtest
