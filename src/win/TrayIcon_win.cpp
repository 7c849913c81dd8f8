#include "win/TrayIcon_win.h"

namespace nimbrel::win {

void TrayIcon::Set(HWND owner, UINT callbackMessage, HICON icon, const char* tip) {
  data_.cbSize = sizeof data_;
  data_.hWnd = owner;
  data_.uID = 1;
  data_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  data_.uCallbackMessage = callbackMessage;
  data_.hIcon = icon;
  lstrcpynA(data_.szTip, tip, sizeof data_.szTip);
}

void TrayIcon::Show() {
  if (!shown_ && data_.hWnd) shown_ = Shell_NotifyIconA(NIM_ADD, &data_) != FALSE;
}

void TrayIcon::Hide() {
  if (shown_) Shell_NotifyIconA(NIM_DELETE, &data_);
  shown_ = false;
}

void TrayIcon::SetIcon(HICON icon) {
  data_.hIcon = icon;
  if (shown_) Shell_NotifyIconA(NIM_MODIFY, &data_);
}

void TrayIcon::SetTip(const std::string& tip) {
  if (tip == data_.szTip) return;
  lstrcpynA(data_.szTip, tip.c_str(), sizeof data_.szTip);
  if (shown_) Shell_NotifyIconA(NIM_MODIFY, &data_);
}

}  // namespace nimbrel::win
