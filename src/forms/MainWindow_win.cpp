#include "forms/MainWindow_win.h"

#include <mmsystem.h>

#include <cstdio>
#include <cstring>

#include "core/CommandLine.h"
#include "core/KeyCodes.h"
#include "core/MemoryWindow.h"
#include "INCLUDE/QuarvelMisc_win.h"
#include "forms/MemoryForm_win.h"
#include "forms/OptionsForm_win.h"
#include "display/StackWindow.h"
#include "settings/Win32Registry.h"
#include "win/FirstPaintProbe.h"
#include "win/Menu_win.h"
#include "win/Module_win.h"

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
  int left, top, width, height;
  const char* text;
  bool title;
};
constexpr AboutLine kAboutLines[] = {
    {80, 56, 167, 21, "Calculator 1.1", true},
    {80, 88, 180, 21, "RPN Scientific", false},
    {144, 120, 116, 21, "Nimbrel 2026", false},
};

constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

std::string KeyResource(std::string_view name) {
  std::string id = "KEY_";
  for (char c : name) id += static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
  return id;
}

}  // namespace

MainWindow::MainWindow(HINSTANCE instance) : instance_(instance), typeface_(instance) {
  face_.Reset(LoadBitmapA(instance, "FACE"));
  about_.Reset(LoadBitmapA(instance, "ABOUT"));
  memorySlot_.Reset(LoadBitmapA(instance, "MEMSLOT"));
  options_.Reset(LoadBitmapA(instance, "OPTIONS"));
  aboutTitleFont_.Reset(CreateFontA(-19, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                                    CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, VARIABLE_PITCH, "Copperplate Gothic Bold"));
  aboutTextFont_.Reset(CreateFontA(-19, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                                   CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, VARIABLE_PITCH, "Times New Roman"));
  // The display's font: OCR-A, 12 points.
  displayFont_.Reset(CreateFontA(win::FontHeight(12), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                                 CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN, typeface_.face().c_str()));
  for (int i = 0; i < kFaceKeyCount; ++i) {
    keys_.push_back(std::make_unique<ModeButtonControl>(
        calc_.face, i, [this, i] { calc_.Guarded([&] { calc_.ClickFaceKey(i); }); },
        LoadBitmapA(instance, KeyResource(kFaceKeys[i].name).c_str())));
  }
  display_ = std::make_unique<StackWindowControl>(calc_.display, kFaceColour, displayFont_.get());
  for (const AboutLine& line : kAboutLines) {
    HFONT font = (line.title ? aboutTitleFont_ : aboutTextFont_).get();
    aboutLabels_.push_back(std::make_unique<win::Label>(line.text, font, RGB(0, 0, 0)));        // the shadow
    aboutLabels_.push_back(std::make_unique<win::Label>(line.text, font, RGB(255, 255, 255)));  // over it
  }
  calc_.face.onChange = [this](int index) {
    if (!hwnd_) return;
    keys_[index]->Invalidate();
    UpdateWindow(hwnd_);  // a key is drawn at once, not at the next idle moment
  };
}

MainWindow::~MainWindow() = default;

void MainWindow::Create() {
  const HICON icon = LoadIconA(instance_, "IDI_NIMBREL");
  const SIZE outer = win::OuterSize(kStyle, 321, 233);
  CreateWindowOf(instance_, {kWindowClass, icon}, 0, kStyle, kCaption, 0, 0, outer.cx, outer.cy);
  AddControls();

  Win32Registry registry;
  WriteUninstallEntry(registry, win::ModulePath());
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
      controls_.Mouse(message, static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
      if (message == WM_RBUTTONUP) break;  // the system turns it into WM_CONTEXTMENU
      return 0;
    case WM_CAPTURECHANGED:
      controls_.CaptureLost();
      return 0;
    case WM_CONTEXTMENU:
      if (!aboutPicture_.Visible()) PopupMenu(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
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

// ---- the face: pictures, bevels, keys, display and the About lines

void MainWindow::AddControls() {
  // Back to front. The face picture is under everything; the About picture
  // covers it while About shows, with its lines above.
  facePicture_.SetBitmap(face_.get());
  controls_.Add(facePicture_, {0, 0, 321, 233});
  aboutPicture_.SetBitmap(about_.get());
  aboutPicture_.SetVisible(false);
  aboutPicture_.onClick = [this] { EndAbout(); };
  controls_.Add(aboutPicture_, {0, 0, 321, 233});
  controls_.Add(bevel1_, {144, 56, 144 + 169, 56 + 169});
  controls_.Add(bevel2_, {8, 8, 8 + 129, 8 + 217});
  for (int i = 0; i < kFaceKeyCount; ++i) {
    const FaceKey& k = kFaceKeys[i];
    controls_.Add(*keys_[i], {k.left, k.top, k.left + k.width, k.top + k.height});
  }
  controls_.Add(*display_, {144, kDisplayTop, 144 + kDisplayWidth, kDisplayTop + 41});
  for (size_t i = 0; i < aboutLabels_.size(); ++i) {
    const AboutLine& line = kAboutLines[i / 2];
    const int shadow = i % 2 == 0 ? 2 : 0;  // the black copy lies 2 pixels right and down
    win::Label& label = *aboutLabels_[i];
    label.SetVisible(false);
    label.onClick = [this] { EndAbout(); };
    controls_.Add(label, {line.left + shadow, line.top + shadow, line.left + shadow + line.width,
                          line.top + shadow + line.height});
  }
}

void MainWindow::Paint(HDC dc) {
  RECT client{};
  GetClientRect(hwnd_, &client);
  win::MemoryDC buffer(dc);
  win::Bitmap canvas(CreateCompatibleBitmap(dc, client.right, client.bottom));
  win::Selection selected(buffer.get(), canvas.get());
  win::Brush background(CreateSolidBrush(kFaceColour));
  FillRect(buffer.get(), &client, background.get());
  controls_.Paint(buffer.get());
  BitBlt(dc, 0, 0, client.right, client.bottom, buffer.get(), 0, 0, SRCCOPY);
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
  bevel1_.SetVisible(l.faceKeys);
  bevel2_.SetVisible(l.faceKeys);
  display_->Place(hwnd_, {l.displayLeft, kDisplayTop, l.displayLeft + kDisplayWidth, kDisplayTop + l.displayHeight});
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
  const std::string path = win::ModulePath();
  const std::string name = path.substr(path.find_last_of("\\/") + 1);  // npos + 1 is 0
  MessageBoxA(nullptr, text.c_str(), name.c_str(), MB_OK | MB_ICONSTOP | MB_TASKMODAL);
}

void MainWindow::PaintStack() {
  display_->Invalidate();
  UpdateWindow(hwnd_);
}

void MainWindow::OpenHelp(const std::string& topic) {
  // The help is a page beside the program, opened by the shell at the
  // topic's anchor (a file URL keeps the "#Contents" part).
  std::string url = "file:///" + ProgramFolder(win::ModulePath()) + "/Nimbrel.htm#" + topic;
  std::replace(url.begin(), url.end(), '\\', '/');
  ShellExecuteA(hwnd_, "open", url.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

// The dialog itself; Calculator::OptionsClick handles the topmost band and
// the repaint around it.
void MainWindow::ShowOptions() {
  const std::optional<OptionsDraft> draft =
      RunOptionsDialog(instance_, hwnd_, DraftFrom(calc_.display.options, settings_), options_.get());
  if (!draft) return;
  try {
    ApplyOptions(*draft, calc_.display.options, calc_.display.entry, settings_, *this);
  } catch (const ConversionError& e) {
    calc_.AppExceptions(e.what());  // the steps before the bad field stay applied
  }
}

void MainWindow::CreateStartupLink() { CreateLink(win::ModulePath(), kLinkFileName, kStartupFolder); }
void MainWindow::DeleteStartupLink() { DeleteLink(hwnd_, kLinkFileName, kStartupFolder); }
void MainWindow::ShowTrayIcon(bool shown) {
  if (shown) {
    tray_.Show();
  } else {
    tray_.Hide();
  }
}

void MainWindow::ShowMemoryWindow(MemoryMode mode) {
  MemoryWindow logic(mode, calc_.engine, calc_.display.entry);
  MemoryForm form(instance_, logic, calc_.display, memorySlot_.get());
  form.RunModal(hwnd_);
}

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
  const std::string wave = ProgramFolder(win::ModulePath()) + "\\Sound.wav";
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
      case kOptions: calc_.OptionsClick(); break;
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
  bevel1_.SetVisible(false);
  bevel2_.SetVisible(false);
  facePicture_.SetVisible(false);
  display_->SetVisible(false);
  aboutPicture_.SetVisible(true);
  ShowAboutLines();
  SetTimer(hwnd_, kAboutTimer, 1000, nullptr);
  InvalidateRect(hwnd_, nullptr, FALSE);
}

void MainWindow::AboutTick() {
  // The lines appear one, two and three seconds in, each with the sound.
  // Started again when complete, the counter is past 2: the sound goes on
  // every second until the picture is clicked.
  if (aboutTicks_++ == 2) KillTimer(hwnd_, kAboutTimer);
  PlaySoundFile();
  ShowAboutLines();
}

void MainWindow::ShowAboutLines() {
  for (size_t i = 0; i < aboutLabels_.size(); ++i) {
    aboutLabels_[i]->SetVisible(static_cast<int>(i / 2) < aboutTicks_);
  }
  InvalidateRect(hwnd_, nullptr, FALSE);  // a line's text may reach past its label's box
}

void MainWindow::EndAbout() {
  KillTimer(hwnd_, kAboutTimer);
  aboutPicture_.SetVisible(false);
  for (auto& label : aboutLabels_) label->SetVisible(false);
  facePicture_.SetVisible(true);
  display_->SetVisible(true);
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
