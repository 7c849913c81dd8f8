// The tape window (class TfrmTape): a normal, resizable window beside the
// calculator, owned by it (so it is on top when the calculator is, and goes
// with it into the tray), holding the tape as read-only text in a
// fixed-pitch font, scrolled to the newest line as lines come. Its menu
// (the context menu, and Ctrl+A, Ctrl+C, Ctrl+S) has Copy, Select All,
// Save As... and Clear; Ctrl+T and Escape close it.
#pragma once

#include <windows.h>

#include <functional>

#include "app/Tape.h"
#include "settings/Settings.h"
#include "win/Gdi.h"
#include "win/Window_win.h"

namespace nimbrel {

inline constexpr const char* kTapeFormClass = "TfrmTape";

class TapeForm : public win::Window {
 public:
  // `closed`: the user closed the window itself.
  TapeForm(HINSTANCE instance, Tape& tape, WindowSettings& settings, std::function<void()> closed)
      : instance_(instance), tape_(tape), settings_(settings), closed_(std::move(closed)) {}
  ~TapeForm() override;

  // Opens the window at its stored place, or beside `owner` the first time.
  void Open(HWND owner);
  // Closes it, keeping its place.
  void Close();
  bool IsOpen() const { return hwnd_ != nullptr; }
  // Shown with the calculator, hidden with it.
  void FollowOwner(bool ownerShown);
  // Keeps the window's place and size in the settings.
  void KeepPlace();
  // The tape changed: its text follows.
  void Changed(Tape::Change change);

 private:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void OnException(const char* what) override;
  static LRESULT CALLBACK TextProcedure(HWND text, UINT message, WPARAM wParam, LPARAM lParam);
  // The text control's keys and context menu; true when taken.
  bool TextMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void CreateText();
  void Rescale(int dpi);
  void LayOut();
  void ShowAll();
  void Append(const std::string& line);
  void Menu(POINT at);
  void Command(int id);
  void SaveAs();

  HINSTANCE instance_;
  Tape& tape_;
  WindowSettings& settings_;
  std::function<void()> closed_;
  HWND text_ = nullptr, notice_ = nullptr;
  WNDPROC textProcedure_ = nullptr;
  win::Font font_, noticeFont_;
  int dpi_ = 96;
};

}  // namespace nimbrel
