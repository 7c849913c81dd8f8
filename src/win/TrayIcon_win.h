// The program's icon in the notification area: shown and hidden on demand
// (the options can turn it off and on while the program runs), its tip
// changed only when the text changes, and removed with its owner.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <string>

namespace nimbrel::win {

class TrayIcon {
 public:
  TrayIcon() = default;
  ~TrayIcon() { Hide(); }
  TrayIcon(const TrayIcon&) = delete;
  TrayIcon& operator=(const TrayIcon&) = delete;

  // The record: owner window, callback message, icon and first tip.
  void Set(HWND owner, UINT callbackMessage, HICON icon, const char* tip);
  void Show();
  void Hide();
  bool shown() const { return shown_; }
  void SetTip(const std::string& tip);
  // A new picture (the same icon at another size, for another scale).
  void SetIcon(HICON icon);

 private:
  NOTIFYICONDATAA data_{};
  bool shown_ = false;
};

}  // namespace nimbrel::win
