#include "win/TrayIcon_win.h"

#include "win/SystemFunction_win.h"

namespace nimbrel::win {

namespace {

// shell32 is loaded with the first icon shown, not with the program.
bool Notify(DWORD message, NOTIFYICONDATAA& data) {
  static const auto notify = SystemFunction<decltype(&::Shell_NotifyIconA)>("shell32.dll", "Shell_NotifyIconA");
  return notify && notify(message, &data) != FALSE;
}

}  // namespace

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
  if (!shown_ && data_.hWnd) shown_ = Notify(NIM_ADD, data_);
}

void TrayIcon::Hide() {
  if (shown_) Notify(NIM_DELETE, data_);
  shown_ = false;
}

void TrayIcon::SetIcon(HICON icon) {
  data_.hIcon = icon;
  if (shown_) Notify(NIM_MODIFY, data_);
}

void TrayIcon::SetTip(const std::string& tip) {
  if (tip == data_.szTip) return;
  lstrcpynA(data_.szTip, tip.c_str(), sizeof data_.szTip);
  if (shown_) Notify(NIM_MODIFY, data_);
}

}  // namespace nimbrel::win
