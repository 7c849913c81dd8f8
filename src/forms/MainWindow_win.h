// The calculator's main window (class TfrmNimbrel): the painted face, the
// display, the keyboard and the mouse, all driven through the portable
// Calculator. It is also the calculator's Platform: beeps, message boxes,
// the clipboard and the window actions.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "components/ModeButton.h"
#include "core/Calculator.h"
#include "settings/Settings.h"
#include "win/DisplayTypeface_win.h"
#include "win/Gdi.h"
#include "win/TrayIcon_win.h"
#include "win/Window_win.h"

namespace nimbrel {

inline constexpr const char* kWindowClass = "TfrmNimbrel";

class MainWindow : public win::Window, public Platform {
 public:
  explicit MainWindow(HINSTANCE instance);
  ~MainWindow() override;
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  // Creates the window, loads the settings and shows it. Throws
  // RegistryError when a stored value is damaged.
  void Create();

  // ---- Platform
  void Beep() override;
  void BeepExclamation() override;
  void ShowMessage(const std::string& caption, const std::string& text) override;
  void ReportMathError(const std::string& text) override;
  void PaintStack() override;
  void OpenHelp(const std::string& topic) override;
  void ShowAbout() override;
  void ShowOptions() override;
  void ToggleOnTop() override;
  bool OnTopChecked() override { return settings_.OnTop; }
  void SetTopmost(bool topmost) override;
  bool SizeChecked(WindowSize size) override;
  void ChooseSize(WindowSize size) override;
  void ShowMemoryWindow(MemoryMode mode) override;
  bool KeyToggled(uint16_t key) override;
  void SendKeyPress(uint16_t key, uint8_t scanCode) override;
  void ShowError(const std::string& text) override;
  void SetClipboardText(const std::string& text) override;
  std::string GetClipboardText() override;

 private:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void OnException(const char* what) override;

  void Paint(HDC dc);
  void PaintKey(HDC dc, int index);
  void PaintDisplay(HDC dc);
  RECT KeyRect(int index) const;
  RECT DisplayRect() const;
  int KeyAt(int x, int y) const;
  void Mouse(UINT message, int x, int y);
  std::string ProgramFolder() const;
  void PlaySoundFile();
  void PopupMenu(int x, int y);
  void Command(int id);
  void AboutTick();
  void EndAbout();
  void PaintAbout(HDC dc);
  void TrayNotify(UINT mouseMessage);
  void Restore();
  void Save();

  HINSTANCE instance_;
  Calculator calc_{*this};
  WindowSettings settings_;
  std::vector<ModeButton> buttons_;
  int captured_ = -1;  // the face key that holds the mouse capture
  win::Bitmap face_;
  std::array<win::Bitmap, kFaceKeyCount> strips_;
  win::DisplayTypeface typeface_;
  win::Font displayFont_;  // made from typeface_, so released before it
  int displayLeft_ = 144;
  int displayHeight_ = 41;

  win::Bitmap about_;
  bool aboutShown_ = false;  // the About screen is up
  int aboutTicks_ = 0;       // seconds of About so far; lines 1..3 show at 0..2
  win::Font aboutTitleFont_, aboutTextFont_;
  bool exiting_ = false;     // the next close request ends the program
  bool saved_ = false;       // the settings are written once, at the end
  win::TrayIcon tray_;
};

}  // namespace nimbrel
