#include "forms/TapeForm_win.h"

#include <windows.h>
#include <commdlg.h>

#include <string>
#include <vector>

#include "app/Caption.h"
#include "app/Placement.h"
#include "core/Scale.h"
#include "forms/TapeFile_win.h"
#include "win/Dpi_win.h"
#include "win/Menu_win.h"
#include "win/Paths_win.h"
#include "win/SystemFunction_win.h"

namespace nimbrel {

namespace {

enum MenuId : int { kCopy = 1, kSelectAll, kSaveAs, kClear };

constexpr win::MenuItem kTapeMenu[] = {
    {kCopy, "Copy", "Ctrl+C"},
    {kSelectAll, "Select All", "Ctrl+A"},
    {0},
    {kSaveAs, "Save As...", "Ctrl+S"},
    {0},
    {kClear, "Clear"},
};

constexpr DWORD kStyle = WS_OVERLAPPEDWINDOW & ~WS_MAXIMIZEBOX;
// The first size, in design pixels: room for a typed number, a name and a
// result side by side.
constexpr int kFirstWidth = 360, kFirstHeight = 260;
// Tab stops in dialog units (a quarter of an average character): the
// columns of the typed number, the operation and the result.
constexpr int kTabStops[] = {64, 104};

}  // namespace

TapeForm::~TapeForm() {
  if (hwnd_) KeepPlace();
}

void TapeForm::Open(HWND owner) {
  if (hwnd_) {
    ShowWindow(hwnd_, SW_SHOWNA);
    return;
  }
  RECT calculator{};
  GetWindowRect(owner, &calculator);
  const int dpi = win::DpiAt({calculator.right, calculator.top});
  const Scale s(dpi);
  const SIZE first = win::OuterSizeForDpi(kStyle, 0, s(kFirstWidth), s(kFirstHeight), dpi);
  // Stored, or beside the calculator; either way with its title bar on a screen.
  const bool stored = settings_.TapeWidth > 0 && settings_.TapeHeight > 0;
  const int width = stored ? settings_.TapeWidth : first.cx;
  const int height = stored ? settings_.TapeHeight : first.cy;
  const ScreenPoint want = stored ? ScreenPoint{settings_.TapeLeft, settings_.TapeTop}
                                  : ScreenPoint{calculator.right + s(8), calculator.top};
  std::vector<ScreenRect> areas;
  for (const RECT& r : win::WorkAreas()) areas.push_back({r.left, r.top, r.right, r.bottom});
  const ScreenPoint at = PlaceOnScreen(want, width, height, win::MetricForDpi(SM_CYCAPTION, dpi), areas);
  CreateWindowOf(instance_, {kTapeFormClass, LoadIconA(instance_, "IDI_NIMBREL")}, 0, kStyle, "Tape", at.x, at.y,
                 width, height, owner);
  CreateText();
  Rescale(win::DpiOf(hwnd_));
  ShowAll();
  // Beside the calculator without taking the keyboard from it.
  ShowWindow(hwnd_, SW_SHOWNA);
}

void TapeForm::Close() {
  if (!hwnd_) return;
  KeepPlace();
  DestroyWindow(hwnd_);
}

void TapeForm::FollowOwner(bool ownerShown) {
  if (hwnd_) ShowWindow(hwnd_, ownerShown ? SW_SHOWNA : SW_HIDE);
}

void TapeForm::KeepPlace() {
  WINDOWPLACEMENT place{};
  place.length = sizeof place;
  if (!hwnd_ || !GetWindowPlacement(hwnd_, &place)) return;
  // The normal place is in workspace coordinates; where the taskbar is on
  // top or left they differ from the screen's by its size.
  const RECT& r = place.rcNormalPosition;
  RECT outer{};
  GetWindowRect(hwnd_, &outer);
  const bool normal = !IsIconic(hwnd_);
  settings_.TapeLeft = normal ? outer.left : r.left;
  settings_.TapeTop = normal ? outer.top : r.top;
  settings_.TapeWidth = normal ? outer.right - outer.left : r.right - r.left;
  settings_.TapeHeight = normal ? outer.bottom - outer.top : r.bottom - r.top;
}

void TapeForm::Changed(Tape::Change change) {
  if (!hwnd_) return;
  if (change == Tape::Change::Added && !tape_.Lines().empty()) {
    Append(tape_.Lines().back());
  } else {
    ShowAll();
  }
}

LRESULT TapeForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SIZE:
      LayOut();
      return 0;
    case WM_SETFOCUS:
      if (text_) SetFocus(text_);
      return 0;
    case WM_COMMAND:
      if (lParam == 0) Command(LOWORD(wParam));  // a menu item, not the text's notices
      return 0;
    case WM_DPICHANGED: {
      const RECT& r = *reinterpret_cast<const RECT*>(lParam);
      SetWindowPos(hwnd_, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
      Rescale(HIWORD(wParam));
      return 0;
    }
    case WM_CLOSE:
      Close();
      if (closed_) closed_();
      return 0;
    default:
      return Default(message, wParam, lParam);
  }
}

void TapeForm::OnException(const char* what) { MessageBoxA(hwnd_, what, kCaption, MB_OK | MB_ICONERROR); }

void TapeForm::CreateText() {
  // A Unicode control, for the names' symbols (×, ÷, √, π).
  text_ = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"",
                          WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_READONLY |
                              ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_NOHIDESEL,
                          0, 0, 0, 0, hwnd_, nullptr, instance_, nullptr);
  notice_ = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | SS_LEFT, 0, 0, 0, 0, hwnd_, nullptr, instance_, nullptr);
  SendMessageW(text_, EM_SETLIMITTEXT, 0, 0);  // as much as the tape holds
  SendMessageW(text_, EM_SETTABSTOPS, std::size(kTabStops), reinterpret_cast<LPARAM>(kTabStops));
  SetWindowLongPtrW(text_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  textProcedure_ = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(text_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TapeForm::TextProcedure)));
}

void TapeForm::Rescale(int dpi) {
  dpi_ = dpi;
  const Scale s(dpi);
  // A readable fixed-pitch face at 10 points; Courier New where Consolas is missing.
  font_.Reset(CreateFontW(s.FontHeight(10), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                          OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, FIXED_PITCH | FF_MODERN,
                          L"Consolas"));
  noticeFont_.Reset(CreateFontW(s.FontHeight(9), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, VARIABLE_PITCH | FF_SWISS,
                                L"Segoe UI"));
  SendMessageW(text_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), TRUE);
  SendMessageW(notice_, WM_SETFONT, reinterpret_cast<WPARAM>(noticeFont_.get()), TRUE);
  LayOut();
}

void TapeForm::LayOut() {
  if (!text_) return;
  RECT client{};
  GetClientRect(hwnd_, &client);
  const Scale s(dpi_);
  // The notice, when there is one, in three lines above the text.
  const int noticeHeight = tape_.Notice().empty() ? 0 : s(48);
  ShowWindow(notice_, noticeHeight ? SW_SHOWNA : SW_HIDE);
  MoveWindow(notice_, s(4), s(2), client.right - s(8), noticeHeight - s(4) > 0 ? noticeHeight - s(4) : 0, TRUE);
  MoveWindow(text_, 0, noticeHeight, client.right, client.bottom - noticeHeight, TRUE);
}

void TapeForm::ShowAll() {
  if (!text_) return;
  SetWindowTextW(notice_, win::Widened(tape_.Notice(), CP_UTF8).c_str());
  SetWindowTextW(text_, win::Widened(tape_.Text(), CP_UTF8).c_str());
  LayOut();
  const LRESULT end = SendMessageW(text_, WM_GETTEXTLENGTH, 0, 0);
  SendMessageW(text_, EM_SETSEL, end, end);
  SendMessageW(text_, EM_SCROLLCARET, 0, 0);
}

void TapeForm::Append(const std::string& line) {
  // At the end, and scrolled there; a selection the user made stays.
  DWORD from = 0, to = 0;
  SendMessageW(text_, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
  const LRESULT end = SendMessageW(text_, WM_GETTEXTLENGTH, 0, 0);
  SendMessageW(text_, EM_SETSEL, end, end);
  const std::wstring text = win::Widened(line + "\r\n", CP_UTF8);
  SendMessageW(text_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
  SendMessageW(text_, EM_SCROLLCARET, 0, 0);
  if (from != to) SendMessageW(text_, EM_SETSEL, from, to);
}

LRESULT CALLBACK TapeForm::TextProcedure(HWND text, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<TapeForm*>(GetWindowLongPtrW(text, GWLP_USERDATA));
  if (!self) return DefWindowProcW(text, message, wParam, lParam);
  try {
    if (self->TextMessage(message, wParam, lParam)) return 0;
  } catch (const std::exception& e) {
    self->OnException(e.what());
    return 0;
  }
  return CallWindowProcW(self->textProcedure_, text, message, wParam, lParam);
}

bool TapeForm::TextMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CONTEXTMENU) {
    POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    if (at.x == -1 && at.y == -1) {  // from the keyboard: at the text's corner
      at = {0, 0};
      ClientToScreen(text_, &at);
    }
    Menu(at);
    return true;
  }
  if (message == WM_CHAR && wParam < 0x20 && wParam != '\r' && wParam != '\n') return true;  // the keys below
  if (message != WM_KEYDOWN) return false;
  const bool ctrl = GetKeyState(VK_CONTROL) < 0;
  if (wParam == VK_ESCAPE || (ctrl && wParam == 'T')) {
    PostMessageA(hwnd_, WM_CLOSE, 0, 0);
  } else if (ctrl && (wParam == 'C' || wParam == VK_INSERT)) {
    Command(kCopy);
  } else if (ctrl && wParam == 'A') {
    Command(kSelectAll);
  } else if (ctrl && wParam == 'S') {
    Command(kSaveAs);
  } else {
    return false;
  }
  return true;
}

void TapeForm::Menu(POINT at) {
  win::PopupMenu menu(kTapeMenu);
  DWORD from = 0, to = 0;
  SendMessageW(text_, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
  menu.Enable(kCopy, from != to);
  menu.Track(hwnd_, at, false);
}

void TapeForm::Command(int id) {
  switch (id) {
    case kCopy: SendMessageW(text_, WM_COPY, 0, 0); break;
    case kSelectAll: SendMessageW(text_, EM_SETSEL, 0, -1); break;
    case kSaveAs: SaveAs(); break;
    case kClear: tape_.Clear(); break;
    default: break;
  }
}

void TapeForm::SaveAs() {
  static const auto ask = win::SystemFunction<decltype(&::GetSaveFileNameW)>("comdlg32.dll", "GetSaveFileNameW");
  if (!ask) return;
  wchar_t name[MAX_PATH * 4] = L"Tape.txt";
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = hwnd_;
  ofn.lpstrFilter = L"Text files (*.txt)\0*.txt\0All files (*.*)\0*.*\0";
  ofn.lpstrFile = name;
  ofn.nMaxFile = static_cast<DWORD>(std::size(name));
  ofn.lpstrDefExt = L"txt";
  ofn.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_EXPLORER;
  if (!ask(&ofn)) return;
  if (const std::string why = WriteWholeFile(name, tape_.Text()); !why.empty()) {
    const std::wstring text = L"The tape can't be saved in " + std::wstring(name) + L": " + win::Widened(why, CP_UTF8);
    MessageBoxW(hwnd_, text.c_str(), L"Quarvel Calculator", MB_OK | MB_ICONWARNING);
  }
}

}  // namespace nimbrel
