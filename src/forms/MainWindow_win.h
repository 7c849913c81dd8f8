// The calculator's main window (class TfrmNimbrel): the painted face, the
// display, the keyboard and the mouse, all driven through the portable
// Calculator. It is also the calculator's Platform: beeps, message boxes,
// the clipboard and the window actions.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "components/ModeButton_win.h"
#include "app/Calculator.h"
#include "display/StackWindow_win.h"
#include "forms/FaceAccess_win.h"
#include "forms/TapeFile_win.h"
#include "forms/TapeForm_win.h"
#include "app/OptionsDialog.h"
#include "core/Scale.h"
#include "settings/Settings.h"
#include "win/DisplayTypeface_win.h"
#include "win/Gdi.h"
#include "win/GraphicControl_win.h"
#include "win/HotKey_win.h"
#include "win/TrayIcon_win.h"
#include "win/Window_win.h"

namespace nimbrel {

inline constexpr const char* kWindowClass = "TfrmNimbrel";

// The message a second start with "-show" posts to the running calculator.
UINT ShowRequestMessage();

class MainWindow : public win::Window, public Platform, public OptionsEffects {
 public:
  explicit MainWindow(HINSTANCE instance);
  ~MainWindow() override;
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  // Creates the window, loads the settings and shows it. Throws
  // RegistryError when a stored value is damaged.
  void Create();

  // Runs after every paint: set only by the start-up benchmark's build of
  // the program, which measures its first frame; the shipped exe has none.
  std::function<void(HWND)> afterPaint;
  // Called at the end of each step of the start with the step's name (a
  // string literal): set by the same build only.
  std::function<void(const char*)> startMark;

  // ---- Platform
  void Beep() override;
  void BeepExclamation() override;
  void ShowMessage(const std::string& caption, const std::string& text) override;
  void ReportMathError(const std::string& text) override;
  void PaintStack() override;
  void OpenHelp(const std::string& topic) override;
  void ShowAbout() override;
  void ShowAboutLines(int count) override;
  void HideAbout() override;
  void PlayWave() override;
  void ShowOptions() override;
  void ShowPopupMenu() override;
  void OnTopChanged(bool onTop) override { SetTopmost(onTop); }
  void SetTopmost(bool topmost) override;
  void ApplySize(WindowSize size) override;
  void ShowMemoryWindow(MemoryMode mode) override;
  void ShowTape(bool shown) override;
  bool KeyToggled(uint16_t key) override;
  void SendKeyPress(uint16_t key, uint8_t scanCode) override;
  void ShowError(const std::string& text) override;
  void SetClipboardText(const std::string& text) override;
  std::string GetClipboardText() override;

  // ---- what the options dialog's OK does at once
  bool CreateStartupLink() override;
  void DeleteStartupLink() override;
  void ShowTrayIcon(bool shown) override;
  void ChangeHotKey(uint16_t hotKey) override;
  void SetCalculatorKey(bool on) override;

 private:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  // Each true when it took the message (`result` what to return for it).
  bool KeyMessage(UINT message, WPARAM wParam, LPARAM lParam);
  bool MouseMessage(UINT message, LPARAM lParam);
  bool LifeMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
  bool EndMessage(UINT message, WPARAM wParam, LRESULT& result);
  void OnException(const char* what) override;
  void Mark(const char* step) {
    if (startMark) startMark(step);
  }

  void AddControls();
  // Fonts, pictures, icons and every control's place for this DPI; then,
  // with `layOut`, the layout shown now (a size or About) again, without
  // its sound.
  void Rescale(int dpi, bool layOut = true);
  // After the first frame: the icons, the tray icon, the tape.
  void AfterFirstFrame();
  void LoadPictures();
  void LoadIcons();
  void PlaceControls();
  void LayOut(WindowSize size);
  void LayOutAbout();
  void DpiChanged(int dpi, const RECT& suggested);
  void Paint(HDC dc);
  void PopupMenu(POINT at, bool centred);
  void Command(int id);

  void SetClientSizeAtScale(int width, int height);
  void TrayNotify(UINT mouseMessage);
  void Restore();
  // The hotkey and "-show" (Summon_win.cpp): the keys taken at the start,
  // how the window stands, and what it does when called.
  void TakeLaunchKeys();
  WindowFacts Facts() const;
  void Summon(SummonAction action);
  // Where the window sits when not minimised, in screen coordinates.
  POINT NormalPlace() const;
  // Writes the settings, once. At the session's end nothing is shown:
  // whatever can be written is, and failures are passed over.
  void Save(bool sessionEnding = false);

  HINSTANCE instance_;
  Calculator calc_{*this};
  WindowSettings& settings_ = calc_.window;  // the application's; the window reads them
  Scale scale_;  // the DPI the window is drawn at now
  win::DisplayTypeface typeface_;
  win::Font displayFont_;  // made from typeface_, so released before it
  win::Font aboutTitleFont_, aboutTextFont_;
  win::Bitmap face_, about_;
  HICON bigIcon_ = nullptr, smallIcon_ = nullptr;  // the window's and the tray's, at the scale

  // The face's controls, back to front (they use the fonts and bitmaps above).
  win::GraphicControls controls_{hwnd_};
  win::Picture facePicture_, aboutPicture_;
  win::Bevel bevel1_, bevel2_;
  std::vector<std::unique_ptr<ModeButtonControl>> keys_;
  std::unique_ptr<StackWindowControl> display_;
  std::vector<std::unique_ptr<win::Label>> aboutLabels_;  // each line's shadow, then the line

  bool exiting_ = false;     // the next close request ends the program
  bool saved_ = false;       // the settings are written once, at the end
  bool starting_ = false;    // Create is choosing the first size
  bool iconsLoaded_ = false;  // the first frame is up: the icons follow the scale
  win::TrayIcon tray_;
  win::GlobalHotKey hotKey_;
  DiskTapeFile tapeFile_;
  TapeForm tapeForm_{instance_, calc_.tape, settings_, [this] { calc_.TapeClosed(); }};
  FaceAccess access_{calc_, display_, keys_, scale_};  // screen readers; destroyed first, cutting them off
};

}  // namespace nimbrel
