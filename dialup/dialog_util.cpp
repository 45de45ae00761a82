// Helpers shared by the dial-up dialogs (see dialog_util.h).
#include "dialup/dialog_util.h"

#include <memory>
#include <new>

#include "common/text.h"
#include "hostapi/qpxcomm.h"

namespace qpras {

void setMessageText(HWND dialog, int id, unsigned number, int limit) {
  const char* text = ::GetString(number, limit);
  if (id == 0)
    ::SetWindowTextA(dialog, text);
  else
    ::SetDlgItemTextA(dialog, id, text);
}

void boxText(HWND dialog, int id, char* text, size_t size) {
  if (size == 0) return;
  text[0] = '\0';
  ::GetDlgItemTextA(dialog, id, text, static_cast<int>(size));
}

void comboItemText(HWND combo, int index, char* text, size_t size) {
  if (size == 0) return;
  text[0] = '\0';
  LRESULT length = ::SendMessageA(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
  if (length == CB_ERR || length < 0) return;
  if (static_cast<size_t>(length) < size) {
    if (::SendMessageA(combo, CB_GETLBTEXT, static_cast<WPARAM>(index),
                       reinterpret_cast<LPARAM>(text)) == CB_ERR)
      text[0] = '\0';
    return;
  }
  std::unique_ptr<char[]> whole(new (std::nothrow) char[static_cast<size_t>(length) + 1]);
  if (!whole) return;
  whole[0] = '\0';
  if (::SendMessageA(combo, CB_GETLBTEXT, static_cast<WPARAM>(index),
                     reinterpret_cast<LPARAM>(whole.get())) == CB_ERR)
    return;
  fitText(text, size, whole.get(), static_cast<size_t>(length) + 1);
}

void comboSelectedText(HWND dialog, int id, char* text, size_t size) {
  HWND combo = ::GetDlgItem(dialog, id);
  LRESULT selected = ::SendMessageA(combo, CB_GETCURSEL, 0, 0);
  if (selected == CB_ERR) {
    if (size > 0) text[0] = '\0';
    return;
  }
  comboItemText(combo, static_cast<int>(selected), text, size);
}

int findComboItem(HWND combo, const char* wanted, ItemMatch match) {
  LRESULT count = ::SendMessageA(combo, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    char item[kNameSize];
    comboItemText(combo, static_cast<int>(i), item, sizeof item);
    if (itemMatches(item, wanted, match)) return static_cast<int>(i);
  }
  return -1;
}

int showMessage(HWND owner, const char* text, unsigned captionNumber, UINT flags) {
  char caption[150];
  qp::copyText(caption, ::GetString(captionNumber, sizeof caption));
  return ::MessageBoxA(owner, text, caption, flags | MB_SETFOREGROUND | MB_TASKMODAL);
}

}  // namespace qpras
