#include "forms/MainWindow_win.h"

#include <mmsystem.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "core/KeyCodes.h"
#include "display/StackWindow.h"
#include "settings/Win32Registry.h"
#include "win/FirstPaintProbe.h"
#include "win/Menu_win.h"

namespace nimbrel {

namespace {

constexpr COLORREF kFaceColour = RGB(123, 154, 191);
constexpr int kDisplayTop = 8;
constexpr int kDisplayWidth = 169;

struct Layout {
  Platform::WindowSize size;
  bool faceKeys;
  int displayLeft, displayHeight, clientWidth, clientHeight;
};
constexpr Layout kLayouts[] = {
    {Platform::WindowSize::Small, false, 8, 41, 185, 57},
    {Platform::WindowSize::Medium, false, 8, 185, 185, 201},
    {Platform::WindowSize::Large, true, 144, 41, 321, 233},
};

const Layout& LayoutOf(Platform::WindowSize size) {
  for (const Layout& l : kLayouts) {
    if (l.size == size) return l;
  }
  return kLayouts[2];
}

// Marks the lock-key presses the calculator makes itself, so that they are
// not taken for the user's: forcing Num Lock back on must not toggle the
// shift a second time.
constexpr ULONG_PTR kOwnKeyPress = 0x4E696D62;

// The tray icon's callback message.
constexpr UINT kTrayMessage = WM_APP + 100;
constexpr UINT_PTR kAboutTimer = 1;

// The popup menus' commands.
enum MenuId : int {
  kOnTop = 1, kSmall, kMedium, kLarge, kCopy, kPaste, kOptions, kHelp, kAbout, kRestore, kExit,
};

// The window's right-click menu. The shortcuts are the calculator's own
// keys (Calculator::MenuShortcut); the menu only shows them.
constexpr win::MenuItem kMainMenu[] = {
    {kOnTop, "On Top"},
    {0},
    {kSmall, "Small", nullptr, 1},
    {kMedium, "Medium", nullptr, 1},
    {kLarge, "Large", nullptr, 1},
    {0},
    {kCopy, "Copy", "Ctrl+Ins"},
    {kPaste, "Paste", "Shift+Ins"},
    {0},
    {kOptions, "Options..."},
    {0},
    {kHelp, "Help..."},
    {kAbout, "About..."},
};

// The tray icon's menu.
constexpr win::MenuItem kTrayMenu[] = {
    {kRestore, "&Restore"},
    {0},
    {kExit, "E&xit"},
};

// The About screen's three lines, each over its shadow.
struct AboutLine {
  int left, top;
  const char* text;
  bool title;
};
constexpr AboutLine kAboutLines[] = {
    {80, 56, "Calculator 1.1", true},
    {80, 88, "RPN Scientific", false},
    {144, 120, "Nimbrel 2026", false},
};

constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

// The running program's full path.
std::string ModulePath() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  return path;
}

std::string KeyResource(std::string_view name) {
  std::string id = "KEY_";
  for (char c : name) id += static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
  return id;
}

}  // namespace

MainWindow::MainWindow(HINSTANCE instance) : instance_(instance), typeface_(instance) {
  for (int i = 0; i < kFaceKeyCount; ++i) {
    buttons_.emplace_back(calc_.face, i, [this, i] { calc_.Guarded([&] { calc_.ClickFaceKey(i); }); });
    strips_[i].Reset(LoadBitmapA(instance, KeyResource(kFaceKeys[i].name).c_str()));
  }
  face_.Reset(LoadBitmapA(instance, "FACE"));
  about_.Reset(LoadBitmapA(instance, "ABOUT"));
  aboutTitleFont_.Reset(CreateFontA(-19, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                                    CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, VARIABLE_PITCH, "Copperplate Gothic Bold"));
  aboutTextFont_.Reset(CreateFontA(-19, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                                   CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, VARIABLE_PITCH, "Times New Roman"));
  // The display's font: OCR-A, 12 points.
  HDC screen = GetDC(nullptr);
  const int height = -MulDiv(12, GetDeviceCaps(screen, LOGPIXELSY), 72);
  ReleaseDC(nullptr, screen);
  displayFont_.Reset(CreateFontA(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                                 CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN, typeface_.face().c_str()));
  calc_.face.onChange = [this](int index) {
    if (!hwnd_) return;
    const RECT r = KeyRect(index);
    InvalidateRect(hwnd_, &r, FALSE);
    UpdateWindow(hwnd_);  // a key is drawn at once, not at the next idle moment
  };
}

MainWindow::~MainWindow() = default;

void MainWindow::Create() {
  const HICON icon = LoadIconA(instance_, "IDI_NIMBREL");
  const SIZE outer = win::OuterSize(kStyle, 321, 233);
  CreateWindowOf(instance_, {kWindowClass, icon}, 0, kStyle, kCaption, 0, 0, outer.cx, outer.cy);

  Win32Registry registry;
  WriteUninstallEntry(registry, ModulePath());
  LoadSettings(registry, calc_.engine, calc_.display.options, settings_);

  SetWindowPos(hwnd_, nullptr, settings_.Left, settings_.Top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  if (settings_.OnTop) SetTopmost(true);
  // With no size checked, Large.
  ChooseSize(settings_.Small ? WindowSize::Small : settings_.Medium ? WindowSize::Medium : WindowSize::Large);
  if (!settings_.Hidden) {
    ShowWindow(hwnd_, SW_SHOW);
    UpdateWindow(hwnd_);
  }

  tray_.Set(hwnd_, kTrayMessage, icon, kCaption);
  if (settings_.TrayIcon) tray_.Show();
}

LRESULT MainWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: {
      {
        win::PaintScope paint(hwnd_);
        Paint(paint.dc());
      }
      win::FirstPaintProbe(hwnd_, "nimbrel");
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;  // the whole client is painted in one copy
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
      if (static_cast<ULONG_PTR>(GetMessageExtraInfo()) == kOwnKeyPress) return 0;
      if (message == WM_SYSKEYDOWN && wParam != VK_F10) break;  // Alt combinations stay the system's
      const bool shift = GetKeyState(VK_SHIFT) < 0;
      const bool ctrl = GetKeyState(VK_CONTROL) < 0;
      uint16_t key = static_cast<uint16_t>(wParam);
      calc_.Guarded([&] {
        if (!calc_.MenuShortcut(key, shift, ctrl)) calc_.FormKeyDown(key, shift);
      });
      return 0;
    }
    case WM_KEYUP:
      if (static_cast<ULONG_PTR>(GetMessageExtraInfo()) == kOwnKeyPress) return 0;
      calc_.FormKeyUp(static_cast<uint16_t>(wParam));
      return 0;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
      Mouse(message, static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
      if (message == WM_RBUTTONUP) break;  // the system turns it into WM_CONTEXTMENU
      return 0;
    case WM_CAPTURECHANGED:
      captured_ = -1;
      return 0;
    case WM_CONTEXTMENU:
      if (!aboutShown_) PopupMenu(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
      return 0;
    case WM_COMMAND:
      Command(LOWORD(wParam));
      return 0;
    case WM_TIMER:
      if (wParam == kAboutTimer) AboutTick();
      return 0;
    case kTrayMessage:
      TrayNotify(static_cast<UINT>(lParam));
      return 0;
    case WM_CLOSE:
      // With the tray icon on, closing hides the calculator in the tray.
      if (settings_.TrayIcon && !exiting_) {
        ShowWindow(hwnd_, SW_HIDE);
        return 0;
      }
      DestroyWindow(hwnd_);
      return 0;
    case WM_QUERYENDSESSION:
      exiting_ = true;  // a shutdown ends the program instead of hiding it
      return TRUE;
    case WM_ENDSESSION:
      // The session may end the process without any further message.
      if (wParam) Save();
      return 0;
    case WM_DESTROY:
      // Settings first, then the tray icon, while the window still exists.
      // A registry failure is shown, and the program still ends.
      try {
        Save();
      } catch (const RegistryError& e) {
        MessageBoxA(nullptr, e.what(), "Error", MB_OK | MB_ICONERROR);
      }
      tray_.Hide();
      PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return Default(message, wParam, lParam);
}

void MainWindow::OnException(const char* what) { ShowError(what); }

// ---- painting

RECT MainWindow::KeyRect(int index) const {
  const FaceKey& k = kFaceKeys[index];
  return {k.left, k.top, k.left + k.width, k.top + k.height};
}

RECT MainWindow::DisplayRect() const {
  return {displayLeft_, kDisplayTop, displayLeft_ + kDisplayWidth, kDisplayTop + displayHeight_};
}

void MainWindow::Paint(HDC dc) {
  RECT client{};
  GetClientRect(hwnd_, &client);
  win::MemoryDC buffer(dc);
  win::Bitmap canvas(CreateCompatibleBitmap(dc, client.right, client.bottom));
  win::Selection selected(buffer.get(), canvas.get());
  HDC out = buffer.get();

  win::Brush background(CreateSolidBrush(kFaceColour));
  FillRect(out, &client, background.get());
  if (aboutShown_) {
    PaintAbout(out);
  } else if (face_) {
    win::MemoryDC picture(dc);
    win::Selection pictureSelected(picture.get(), face_.get());
    BitBlt(out, 0, 0, 321, 233, picture.get(), 0, 0, SRCCOPY);
  }
  if (calc_.face.Key(0).Visible) {
    RECT bevel1{144, 56, 144 + 169, 56 + 169};
    RECT bevel2{8, 8, 8 + 129, 8 + 217};
    DrawEdge(out, &bevel1, BDR_SUNKENOUTER, BF_RECT);
    DrawEdge(out, &bevel2, BDR_SUNKENOUTER, BF_RECT);
    for (int i = 0; i < kFaceKeyCount; ++i) PaintKey(out, i);
  }
  if (!aboutShown_) PaintDisplay(out);
  BitBlt(dc, 0, 0, client.right, client.bottom, out, 0, 0, SRCCOPY);
}

void MainWindow::PaintKey(HDC dc, int index) {
  const FaceKey& key = kFaceKeys[index];
  const FaceState::KeyState& state = calc_.face.Key(index);
  if (!state.Visible || !strips_[index]) return;
  BITMAP info{};
  GetObjectA(strips_[index].get(), sizeof info, &info);
  const FrameCopy copy = FrameRects(info.bmWidth, info.bmHeight, key.frames, state.CurrentGlyph, state.Down);
  if (state.Down) {
    // The pressed key's dark left and top edge.
    win::Pen black(CreatePen(PS_SOLID, 1, RGB(0, 0, 0)));
    win::Selection pen(dc, black.get());
    MoveToEx(dc, key.left, key.top + key.height, nullptr);
    LineTo(dc, key.left, key.top);
    LineTo(dc, key.left + key.width, key.top);
  }
  win::MemoryDC strip(dc);
  win::Selection selected(strip.get(), strips_[index].get());
  BitBlt(dc, key.left + copy.dest.left, key.top + copy.dest.top, copy.dest.right - copy.dest.left,
         copy.dest.bottom - copy.dest.top, strip.get(), copy.source.left, copy.source.top, SRCCOPY);
}

void MainWindow::PaintDisplay(HDC dc) {
  const RECT r = DisplayRect();
  const int w = r.right - r.left;
  const int h = r.bottom - r.top;
  // The sunken frame, then the blue-grey field.
  win::Pen dark(CreatePen(PS_SOLID, 1, GetSysColor(COLOR_3DDKSHADOW)));
  win::Pen light(CreatePen(PS_SOLID, 1, GetSysColor(COLOR_3DLIGHT)));
  {
    win::Selection pen(dc, dark.get());
    MoveToEx(dc, r.left, r.top + h - 1, nullptr);
    LineTo(dc, r.left, r.top);
    LineTo(dc, r.left + w - 1, r.top);
  }
  {
    win::Selection pen(dc, light.get());
    LineTo(dc, r.left + w - 1, r.top + h - 1);
    LineTo(dc, r.left, r.top + h - 1);
  }
  win::Brush field(CreateSolidBrush(kFaceColour));
  const RECT inside{r.left + 1, r.top + 1, r.left + w - 1, r.top + h - 1};
  FillRect(dc, &inside, field.get());

  win::Selection font(dc, displayFont_.get());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(255, 255, 255));
  const std::vector<std::string> lines = calc_.display.Lines(StackWindow::LinesForHeight(h));
  const int count = static_cast<int>(lines.size());
  for (int j = 0; j < count; ++j) {  // lines come top first; X is the last
    const std::string& text = lines[count - 1 - j];
    TextOutA(dc, r.left + 5, r.top + h - kXLineRise - kLinePitch * j, text.c_str(), static_cast<int>(text.size()));
  }
}

void MainWindow::PaintAbout(HDC dc) {
  if (about_) {
    win::MemoryDC picture(dc);
    win::Selection selected(picture.get(), about_.get());
    BitBlt(dc, 0, 0, 321, 233, picture.get(), 0, 0, SRCCOPY);
  }
  SetBkMode(dc, TRANSPARENT);
  for (int i = 0; i < 3 && i < aboutTicks_; ++i) {
    const AboutLine& line = kAboutLines[i];
    win::Selection font(dc, (line.title ? aboutTitleFont_ : aboutTextFont_).get());
    const int n = static_cast<int>(std::strlen(line.text));
    SetTextColor(dc, RGB(0, 0, 0));
    TextOutA(dc, line.left + 2, line.top + 2, line.text, n);
    SetTextColor(dc, RGB(255, 255, 255));
    TextOutA(dc, line.left, line.top, line.text, n);
  }
}

// ---- the mouse on the face keys

int MainWindow::KeyAt(int x, int y) const {
  for (int i = 0; i < kFaceKeyCount; ++i) {
    const RECT r = KeyRect(i);
    if (calc_.face.Key(i).Visible && x >= r.left && x < r.right && y >= r.top && y < r.bottom) return i;
  }
  return -1;
}

void MainWindow::Mouse(UINT message, int x, int y) {
  if (aboutShown_) {
    if (message == WM_LBUTTONDOWN) EndAbout();  // a click on the About picture
    return;
  }
  const int index = captured_ >= 0 ? captured_ : KeyAt(x, y);
  if (index < 0) return;
  const FaceKey& k = kFaceKeys[index];
  const int kx = x - k.left;
  const int ky = y - k.top;
  switch (message) {
    case WM_LBUTTONDOWN:
      buttons_[index].MouseDown(MouseButton::Left, kx, ky);
      captured_ = index;
      SetCapture(hwnd_);
      break;
    case WM_RBUTTONDOWN:
      buttons_[index].MouseDown(MouseButton::Right, kx, ky);
      break;
    case WM_MOUSEMOVE:
      if (captured_ >= 0) buttons_[index].MouseMove(kx, ky);
      break;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP: {
      const bool wasCaptured = captured_ >= 0 && message == WM_LBUTTONUP;
      if (wasCaptured) {
        captured_ = -1;
        ReleaseCapture();
      }
      buttons_[index].MouseUp(message == WM_LBUTTONUP ? MouseButton::Left : MouseButton::Right, kx, ky);
      break;
    }
    default:
      break;
  }
}

// ---- sizes

bool MainWindow::SizeChecked(WindowSize size) {
  return size == WindowSize::Small ? settings_.Small : size == WindowSize::Medium ? settings_.Medium : settings_.Large;
}

void MainWindow::ChooseSize(WindowSize size) {
  PlaySoundFile();
  settings_.Small = size == WindowSize::Small;
  settings_.Medium = size == WindowSize::Medium;
  settings_.Large = size == WindowSize::Large;
  const Layout& l = LayoutOf(size);
  calc_.face.ShowFaceKeys(l.faceKeys);
  displayLeft_ = l.displayLeft;
  displayHeight_ = l.displayHeight;
  win::SetClientSize(hwnd_, l.clientWidth, l.clientHeight);
  InvalidateRect(hwnd_, nullptr, FALSE);
}

// ---- the rest of the Platform

void MainWindow::Beep() { MessageBeep(0); }
void MainWindow::BeepExclamation() { MessageBeep(MB_ICONEXCLAMATION); }

void MainWindow::ShowMessage(const std::string& caption, const std::string& text) {
  MessageBoxA(nullptr, text.c_str(), caption.c_str(), MB_OK);
}

void MainWindow::ReportMathError(const std::string& text) {
  const std::string path = ModulePath();
  const std::string name = path.substr(path.find_last_of("\\/") + 1);  // npos + 1 is 0
  MessageBoxA(nullptr, text.c_str(), name.c_str(), MB_OK | MB_ICONSTOP | MB_TASKMODAL);
}

void MainWindow::PaintStack() {
  const RECT r = DisplayRect();
  InvalidateRect(hwnd_, &r, FALSE);
  UpdateWindow(hwnd_);
}

std::string MainWindow::ProgramFolder() const {
  const std::string path = ModulePath();
  return path.substr(0, path.find_last_of('\\'));
}

void MainWindow::OpenHelp(const std::string& topic) {
  // The help is a page beside the program, opened by the shell at the
  // topic's anchor (a file URL keeps the "#Contents" part).
  std::string url = "file:///" + ProgramFolder() + "/Nimbrel.htm#" + topic;
  std::replace(url.begin(), url.end(), '\\', '/');
  ShellExecuteA(hwnd_, "open", url.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

// The options dialog and the memory window are not built yet: their
// commands do nothing for now.
void MainWindow::ShowOptions() {}
void MainWindow::ShowMemoryWindow(MemoryMode) {}

void MainWindow::ToggleOnTop() {
  settings_.OnTop = !settings_.OnTop;
  SetTopmost(settings_.OnTop);
}

void MainWindow::SetTopmost(bool topmost) {
  SetWindowPos(hwnd_, topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

bool MainWindow::KeyToggled(uint16_t key) {
  BYTE state[256] = {};
  GetKeyboardState(state);
  return (state[key] & 1) != 0;
}

void MainWindow::SendKeyPress(uint16_t key, uint8_t scanCode) {
  keybd_event(static_cast<BYTE>(key), scanCode, KEYEVENTF_EXTENDEDKEY, kOwnKeyPress);
  keybd_event(static_cast<BYTE>(key), scanCode, KEYEVENTF_EXTENDEDKEY | KEYEVENTF_KEYUP, kOwnKeyPress);
}

void MainWindow::ShowError(const std::string& text) {
  MessageBoxA(hwnd_, text.c_str(), "Error", MB_OK | MB_ICONERROR);
}

void MainWindow::SetClipboardText(const std::string& text) {
  if (!OpenClipboard(hwnd_)) return;
  EmptyClipboard();
  if (HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1)) {
    std::memcpy(GlobalLock(memory), text.c_str(), text.size() + 1);
    GlobalUnlock(memory);
    if (!SetClipboardData(CF_TEXT, memory)) GlobalFree(memory);
  }
  CloseClipboard();
}

std::string MainWindow::GetClipboardText() {
  std::string text;
  if (!OpenClipboard(hwnd_)) return text;
  if (HANDLE data = GetClipboardData(CF_TEXT)) {
    if (const char* chars = static_cast<const char*>(GlobalLock(data))) {
      text = chars;
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return text;
}

// ---- sound, menus, About, tray, the end

void MainWindow::PlaySoundFile() {
  // A missing file stays silent.
  const std::string wave = ProgramFolder() + "\\Sound.wav";
  sndPlaySoundA(wave.c_str(), SND_ASYNC | SND_NODEFAULT);
}

void MainWindow::PopupMenu(int x, int y) {
  if (x == -1 && y == -1) {  // from the keyboard: at the pointer
    POINT p{};
    GetCursorPos(&p);
    x = p.x;
    y = p.y;
  }
  win::PopupMenu menu(kMainMenu);
  menu.Check(kOnTop, settings_.OnTop);
  const int checked = settings_.Small ? kSmall : settings_.Medium ? kMedium : settings_.Large ? kLarge : 0;
  if (checked) menu.CheckRadio(checked);
  menu.Track(hwnd_, {x, y});
}

void MainWindow::Command(int id) {
  calc_.Guarded([&] {
    switch (id) {
      case kOnTop: ToggleOnTop(); break;
      case kSmall: ChooseSize(WindowSize::Small); break;
      case kMedium: ChooseSize(WindowSize::Medium); break;
      case kLarge: ChooseSize(WindowSize::Large); break;
      case kCopy: calc_.CutClick(); break;
      case kPaste: calc_.PasteClick(); break;
      case kOptions: ShowOptions(); break;
      case kHelp: OpenHelp("Contents"); break;
      case kAbout: ShowAbout(); break;
      case kRestore: Restore(); break;
      case kExit:
        exiting_ = true;
        PostMessageA(hwnd_, WM_CLOSE, 0, 0);
        break;
      default: break;
    }
  });
}

void MainWindow::ShowAbout() {
  win::SetClientSize(hwnd_, 321, 233);
  calc_.face.ShowFaceKeys(false);
  aboutShown_ = true;
  SetTimer(hwnd_, kAboutTimer, 1000, nullptr);
  InvalidateRect(hwnd_, nullptr, FALSE);
}

void MainWindow::AboutTick() {
  // The lines appear one, two and three seconds in, each with the sound.
  // Started again when complete, the counter is past 2: the sound goes on
  // every second until the picture is clicked.
  if (aboutTicks_++ == 2) KillTimer(hwnd_, kAboutTimer);
  PlaySoundFile();
  InvalidateRect(hwnd_, nullptr, FALSE);
}

void MainWindow::EndAbout() {
  KillTimer(hwnd_, kAboutTimer);
  aboutShown_ = false;
  if (settings_.Small) ChooseSize(WindowSize::Small);
  if (settings_.Medium) ChooseSize(WindowSize::Medium);
  if (settings_.Large) ChooseSize(WindowSize::Large);
  aboutTicks_ = 0;
  InvalidateRect(hwnd_, nullptr, FALSE);
}

void MainWindow::TrayNotify(UINT mouseMessage) {
  switch (mouseMessage) {
    case WM_MOUSEMOVE: {
      // The tip shows X whenever the pointer rests on the icon.
      tray_.SetTip("Nimbrel [" + calc_.display.FormatNumber(calc_.engine.X(), 'X') + "]");
      break;
    }
    case WM_LBUTTONDBLCLK:
      Restore();
      break;
    case WM_RBUTTONUP: {
      POINT p{};
      GetCursorPos(&p);
      SetForegroundWindow(hwnd_);
      win::PopupMenu menu(kTrayMenu);
      menu.SetDefault(kRestore);
      menu.Track(hwnd_, p);
      break;
    }
    default:
      break;
  }
}

void MainWindow::Restore() {
  if (IsIconic(hwnd_)) ShowWindow(hwnd_, SW_RESTORE);
  if (!IsWindowVisible(hwnd_)) ShowWindow(hwnd_, SW_SHOW);
  SetForegroundWindow(hwnd_);
}

void MainWindow::Save() {
  if (saved_) return;  // the stack is popped while saving: once only
  saved_ = true;
  RECT r{};
  GetWindowRect(hwnd_, &r);
  settings_.Left = r.left;
  settings_.Top = r.top;
  Win32Registry registry;
  SaveSettings(registry, calc_.engine, calc_.display.options, settings_);
}

}  // namespace nimbrel
