// The main window called from outside: its hotkey, the keyboard's Calculator
// key (a start with "-show"), and a second start with "-show". What a call
// means is the application's (Calculator::HotKeyPressed); here the keys are
// taken and the window does as told.
#include <windows.h>

#include "app/Caption.h"
#include "forms/MainWindow_win.h"
#include "win/CalculatorKey_win.h"
#include "win/Module_win.h"

namespace nimbrel {

UINT ShowRequestMessage() {
  static const UINT message = RegisterWindowMessageA("Nimbrel.QuarvelCalculator.Show");
  return message;
}

// At the start as at OK: a hotkey that another program (or Windows) holds
// is named in a message; the choice stays stored, and the next start tries
// again.
void MainWindow::TakeLaunchKeys() {
  ChangeHotKey(static_cast<uint16_t>(settings_.HotKey));
  if (settings_.CalcKey) win::SetCalculatorKey(true, win::ModulePathW());
}

void MainWindow::ChangeHotKey(uint16_t hotKey) {
  if (hotKey_.Set(hwnd_, HotKeyModifiers(hotKey), hotKey & 0xFF)) return;
  // Named as the hotkey control names it, in the keyboard layout's words.
  const KeyNames names{win::KeyName(VK_CONTROL, false), win::KeyName(VK_SHIFT, false), win::KeyName(VK_MENU, false),
                       win::KeyName(hotKey & 0xFF, (hotKey & kHotKeyExtended) != 0)};
  MessageBoxA(hwnd_, HotKeyTakenMessage(HotKeyText(hotKey, names)).c_str(), kCaption, MB_OK | MB_ICONWARNING);
}

void MainWindow::SetCalculatorKey(bool on) { win::SetCalculatorKey(on, win::ModulePathW()); }

WindowFacts MainWindow::Facts() const {
  WindowFacts now;
  const HWND popup = GetLastActivePopup(hwnd_);
  now.dialogOpen = popup && popup != hwnd_ && IsWindowVisible(popup);
  now.foreground = GetForegroundWindow() == hwnd_;
  now.shown = IsWindowVisible(hwnd_) != FALSE;
  now.minimised = IsIconic(hwnd_) != FALSE;
  return now;
}

void MainWindow::Summon(SummonAction action) {
  switch (action) {
    case SummonAction::BringForward:
      Restore();  // shown, restored, in front (an open dialog first)
      // In front of a topmost program's window too, when On Top is on.
      if (settings_.OnTop) SetWindowPos(hwnd_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
      BringWindowToTop(hwnd_);
      SetFocus(hwnd_);
      break;
    case SummonAction::PutAway:
      PostMessageA(hwnd_, WM_CLOSE, 0, 0);  // as a close request: into the tray
      break;
    case SummonAction::Minimise:
      ShowWindow(hwnd_, SW_MINIMIZE);
      break;
    case SummonAction::RaiseDialog:
      Restore();
      break;
  }
}

}  // namespace nimbrel
