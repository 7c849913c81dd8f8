#include "forms/MainWindow_win.h"

#include <mmsystem.h>

#include <cstdio>
#include <cstring>
#include <exception>

#include "setup/CommandLine.h"
#include "core/KeyCodes.h"
#include "app/MemoryWindow.h"
#include "INCLUDE/QuarvelMisc_win.h"
#include "forms/MemoryForm_win.h"
#include "forms/OptionsForm_win.h"
#include "display/ClipboardText.h"
#include "display/StackWindow.h"
#include "settings/Win32Registry_win.h"
#include "app/Placement.h"
#include "win/Art_win.h"
#include "win/Dpi_win.h"
#include "win/Menu_win.h"
#include "win/Module_win.h"
#include "win/SystemFunction_win.h"
#include "win/TypedCharacter_win.h"

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
// The start's sound, posted so that it plays after the first frame.
constexpr UINT kStartSound = WM_APP + 101;
// What the first frame doesn't need: the icons at their exact sizes (the
// class's icon stands in until then), the tray icon and the tape's file.
constexpr UINT kAfterFirstFrame = WM_APP + 102;
constexpr UINT_PTR kAboutTimer = 1;

// The popup menus' commands.
enum MenuId : int {
  kOnTop = 1, kSmall, kMedium, kLarge, kCopy, kPaste, kOptions, kHelp, kAbout, kRestore, kExit, kUndo, kRedo,
  kCopyStack, kRollUp, kTape,
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
    {kUndo, "Undo", "Ctrl+Z"},
    {kRedo, "Redo", "Ctrl+Y"},
    {0},
    {kCopy, "Copy", "Ctrl+Ins"},
    {kCopyStack, "Copy Stack", "Ctrl+Shift+Ins"},
    {kPaste, "Paste", "Shift+Ins"},
    {0},
    {kRollUp, "Roll Up", "F11"},
    {kTape, "Tape", "Ctrl+T"},
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
  // Fonts and pictures come with the scale, once the window knows its DPI.
  for (int i = 0; i < kFaceKeyCount; ++i) {
    keys_.push_back(std::make_unique<ModeButtonControl>(
        calc_.face, i, [this, i] { calc_.Guarded([&] { calc_.ClickFaceKey(i); }); }, nullptr));
  }
  display_ = std::make_unique<StackWindowControl>(calc_.display, kFaceColour);
  for (const AboutLine& line : kAboutLines) {
    aboutLabels_.push_back(std::make_unique<win::Label>(line.text, nullptr, RGB(0, 0, 0)));        // the shadow
    aboutLabels_.push_back(std::make_unique<win::Label>(line.text, nullptr, RGB(255, 255, 255)));  // over it
  }
  calc_.tape.onChange = [this](Tape::Change change) { tapeForm_.Changed(change); };
  calc_.face.onChange = [this](int index) {
    if (!hwnd_) return;
    keys_[index]->Invalidate();
    UpdateWindow(hwnd_);  // a key is drawn at once, not at the next idle moment
    access_.Changed();
  };
}

MainWindow::~MainWindow() {
  if (bigIcon_) DestroyIcon(bigIcon_);
  if (smallIcon_) DestroyIcon(smallIcon_);
}

namespace {

// What the program takes on the disk, in KB, for the list of installed
// programs: the exe and its companion files.
uint32_t InstalledSizeKb() {
  const std::string exe = win::ModulePath();
  const std::string folder = ProgramFolder(exe);
  uint64_t bytes = 0;
  for (const std::string& file : {exe, folder + "\\Sound.wav", folder + "\\Nimbrel.htm", folder + "\\readme.txt"}) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (GetFileAttributesExA(file.c_str(), GetFileExInfoStandard, &data)) {
      bytes += (uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
    }
  }
  return static_cast<uint32_t>((bytes + 1023) / 1024);
}

}  // namespace

void MainWindow::Create() {
  // The settings before the window: the stored place's monitor decides the
  // scale, and the scale with the stored size the window's size, so that
  // the window is made at its size and laid out once (a resize of the new
  // window costs as much as a tenth of the first frame under Wine).
  Win32Registry registry;
  WriteUninstallEntry(registry, win::ModulePath(), InstalledSizeKb());
  Mark("uninstall-entry");
  // Until the settings are loaded there is nothing to write back: a load
  // that fails on a damaged value must leave the stored settings as they
  // are, also when the session ends under its message box. That message
  // comes once the window is made (never shown), as for any failed start.
  saved_ = true;
  std::exception_ptr damaged;
  try {
    calc_.Load(registry);
  } catch (const std::exception&) {
    damaged = std::current_exception();
  }
  Mark("load-settings");
  const int dpi = win::DpiAt(POINT{settings_.Left, settings_.Top});
  const Layout& l = LayoutOf(calc_.CheckedSize());
  const Scale s(dpi);
  const SIZE size = win::OuterSizeForDpi(kStyle, 0, s(l.clientWidth), s(l.clientHeight), dpi);
  CreateWindowOf(instance_, {kWindowClass, LoadIconA(instance_, "IDI_NIMBREL")}, 0, kStyle, kCaption, 0, 0,
                 size.cx, size.cy);
  AddControls();
  Mark("window");
  Rescale(dpi, false);  // laid out below, with the size
  if (damaged) std::rethrow_exception(damaged);
  saved_ = false;

  if (settings_.OnTop) SetTopmost(true);
  starting_ = true;
  calc_.ChooseSize(calc_.CheckedSize());
  starting_ = false;
  Mark("size-and-sound");
  // Where it was, unless its title bar would be out of reach there.
  RECT outer{};
  GetWindowRect(hwnd_, &outer);
  POINT clientTop{0, 0};
  ClientToScreen(hwnd_, &clientTop);
  std::vector<ScreenRect> areas;
  for (const RECT& r : win::WorkAreas()) areas.push_back({r.left, r.top, r.right, r.bottom});
  const ScreenPoint at = PlaceOnScreen({settings_.Left, settings_.Top}, outer.right - outer.left,
                                       outer.bottom - outer.top, clientTop.y - outer.top, areas);
  SetWindowPos(hwnd_, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  // Where moving to another monitor brings no WM_DPICHANGED, ask.
  if (win::DpiOf(hwnd_) != scale_.dpi()) Rescale(win::DpiOf(hwnd_));
  Mark("place");
  if (!settings_.Hidden) {
    ShowWindow(hwnd_, SW_SHOW);
    UpdateWindow(hwnd_);
  }

  TakeLaunchKeys();
  PostMessageA(hwnd_, kAfterFirstFrame, 0, 0);
}

void MainWindow::AfterFirstFrame() {
  iconsLoaded_ = true;
  LoadIcons();
  tray_.Set(hwnd_, kTrayMessage, smallIcon_, kCaption);
  if (settings_.TrayIcon) tray_.Show();
  calc_.tape.Open(&tapeFile_, settings_.TapeKept != 0);
  if (settings_.TapeShown && IsWindowVisible(hwnd_)) tapeForm_.Open(hwnd_);
}

// Every message goes to one of three handlers: the keyboard's and the
// mouse's, which forward to the application and the face's controls, and
// the window's own life. What none takes goes to the system. Screen
// readers' questions (FaceAccess) are answered before all of them.
LRESULT MainWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (access_.Message(hwnd_, message, wParam, lParam, result) || KeyMessage(message, wParam, lParam) ||
      MouseMessage(message, lParam) || LifeMessage(message, wParam, lParam, result)) {
    return result;
  }
  return Default(message, wParam, lParam);
}

bool MainWindow::KeyMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  const bool own = static_cast<ULONG_PTR>(GetMessageExtraInfo()) == kOwnKeyPress;
  if (message == WM_KEYDOWN || (message == WM_SYSKEYDOWN && wParam == VK_F10)) {  // Alt combinations stay the system's
    if (own) return true;
    const bool shift = GetKeyState(VK_SHIFT) < 0;
    const bool ctrl = GetKeyState(VK_CONTROL) < 0;
    uint16_t key = static_cast<uint16_t>(wParam);
    const TypedKey typed = win::TypedCharacter(key, (lParam >> 16) & 0xFF);
    calc_.Guarded([&] {
      if (!calc_.MenuShortcut(key, shift, ctrl)) calc_.FormKeyDown(key, typed);
    });
    return true;
  }
  if (message == WM_KEYUP) {
    if (!own) calc_.FormKeyUp(static_cast<uint16_t>(wParam));
    return true;
  }
  return false;
}

bool MainWindow::MouseMessage(UINT message, LPARAM lParam) {
  const int x = static_cast<short>(LOWORD(lParam));
  const int y = static_cast<short>(HIWORD(lParam));
  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
      controls_.Mouse(message, x, y);
      return message != WM_RBUTTONUP;  // the system turns that into WM_CONTEXTMENU
    case WM_CAPTURECHANGED:
      controls_.CaptureLost();
      return true;
    case WM_CONTEXTMENU:
      if (calc_.AboutShown()) return true;  // no menu during About
      if (x == -1 && y == -1) {
        ShowPopupMenu();  // asked for from the keyboard
      } else {
        PopupMenu({x, y}, true);
      }
      return true;
    default:
      return false;
  }
}

bool MainWindow::LifeMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (message) {
    case WM_PAINT: {
      {
        win::PaintScope paint(hwnd_);
        Paint(paint.dc());
      }
      if (afterPaint) afterPaint(hwnd_);
      return true;
    }
    case WM_ERASEBKGND:
      result = 1;  // the whole client is painted in one copy
      return true;
    case WM_COMMAND:
      Command(LOWORD(wParam));
      return true;
    case WM_TIMER:
      if (wParam == kAboutTimer && !calc_.AboutTimerTimer()) KillTimer(hwnd_, kAboutTimer);
      return true;
    case kTrayMessage:
      TrayNotify(static_cast<UINT>(lParam));
      return true;
    case kStartSound:
      PlayWave();
      return true;
    case kAfterFirstFrame:
      AfterFirstFrame();
      return true;
    case WM_SHOWWINDOW:
      // Into the tray and back: the tape window goes and comes with it.
      if (settings_.TapeShown) tapeForm_.FollowOwner(wParam != 0);
      return false;
    case WM_HOTKEY:
      if (wParam == win::GlobalHotKey::kId) Summon(calc_.HotKeyPressed(Facts()));
      return true;
    case WM_DPICHANGED:
      DpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
      return true;
    default:
      return EndMessage(message, wParam, result);
  }
}

bool MainWindow::EndMessage(UINT message, WPARAM wParam, LRESULT& result) {
  switch (message) {
    case WM_CLOSE:
      // With the tray icon on, closing hides the calculator in the tray.
      if (settings_.TrayIcon && !exiting_) {
        ShowWindow(hwnd_, SW_HIDE);
      } else {
        DestroyWindow(hwnd_);
      }
      return true;
    case WM_QUERYENDSESSION:
      exiting_ = true;  // a shutdown ends the program instead of hiding it
      result = TRUE;
      return true;
    case WM_ENDSESSION:
      // The session may end the process without any further message, and
      // nobody is left to read a message box: what can be saved is.
      if (wParam) Save(true);
      return true;
    case WM_DESTROY:
      // Settings first, then the tray icon, while the window still exists.
      // A registry failure is shown, and the program still ends.
      try {
        Save();
      } catch (const RegistryError& e) {
        MessageBoxA(nullptr, e.what(), "Error", MB_OK | MB_ICONERROR);
      }
      tray_.Hide();
      hotKey_.Clear();
      PostQuitMessage(0);
      return true;
    default:
      if (message != ShowRequestMessage()) return false;
      Summon(calc_.ShowRequested(Facts()));  // a second start with "-show"
      return true;
  }
}

// Whatever escaped a handler gets the whole exception handler.
void MainWindow::OnException(const char* what) { calc_.AppExceptions(what); }

// ---- the face: pictures, bevels, keys, display and the About lines

void MainWindow::AddControls() {
  // Back to front. The face picture is under everything; the About picture
  // covers it while About shows, with its lines above. PlaceControls puts
  // them where they go at the window's scale.
  controls_.Add(facePicture_, {});
  aboutPicture_.SetVisible(false);
  aboutPicture_.onClick = [this] { calc_.Image1Click(); };
  controls_.Add(aboutPicture_, {});
  controls_.Add(bevel1_, {});
  controls_.Add(bevel2_, {});
  for (auto& key : keys_) controls_.Add(*key, {});
  controls_.Add(*display_, {});
  for (auto& label : aboutLabels_) {
    label->SetVisible(false);
    label->onClick = [this] { calc_.Image1Click(); };
    controls_.Add(*label, {});
  }
}

void MainWindow::Rescale(int dpi, bool layOut) {
  scale_ = Scale(dpi);
  const Scale& s = scale_;
  const auto font = [](int height, int weight, const char* face, DWORD quality, DWORD pitch) {
    return CreateFontA(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, quality, pitch, face);
  };
  aboutTitleFont_.Reset(font(s.PixelFontHeight(-19), FW_BOLD, "Copperplate Gothic Bold", ANTIALIASED_QUALITY,
                             VARIABLE_PITCH));
  aboutTextFont_.Reset(font(s.PixelFontHeight(-19), FW_NORMAL, "Times New Roman", ANTIALIASED_QUALITY, VARIABLE_PITCH));
  // The display's font: OCR-A, 12 points at this DPI.
  displayFont_.Reset(font(s.FontHeight(12), FW_NORMAL, typeface_.face().c_str(), DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN));
  for (size_t i = 0; i < aboutLabels_.size(); ++i) {
    aboutLabels_[i]->SetFont((kAboutLines[i / 2].title ? aboutTitleFont_ : aboutTextFont_).get());
  }
  display_->SetScale(s, displayFont_.get());
  Mark("fonts");
  LoadPictures();
  if (iconsLoaded_) LoadIcons();
  Mark("icons");
  PlaceControls();
  if (!layOut) {
    Mark("layout");
    return;
  }
  if (calc_.AboutShown()) {
    LayOutAbout();
  } else {
    LayOut(calc_.CheckedSize());
  }
  Mark("layout");
}

void MainWindow::LoadPictures() {
  const Scale& s = scale_;
  face_.Reset(win::LoadArt(instance_, "FACE", 1, s(321), s(233)));
  facePicture_.SetBitmap(face_.get());
  Mark("picture-face");
  about_.Reset();  // drawn when About first shows at this scale
  aboutPicture_.SetBitmap(nullptr);
  for (int i = 0; i < kFaceKeyCount; ++i) {
    const FaceKey& k = kFaceKeys[i];
    keys_[i]->SetStrip(win::LoadArt(instance_, KeyResource(k.name), k.frames, s(k.width), s(k.height)), s.Line());
  }
  Mark("picture-keys");
}

void MainWindow::LoadIcons() {
  // The icon at the sizes the system asks for at this DPI (16 and 32 at
  // 100 %, 24 and 48 at 150 %, ...): the window's two and the tray's.
  const auto icon = [this](int metric) {
    const int size = win::MetricForDpi(metric, scale_.dpi());
    return static_cast<HICON>(LoadImageA(instance_, "IDI_NIMBREL", IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
  };
  HICON big = icon(SM_CXICON);
  HICON small = icon(SM_CXSMICON);
  SendMessageA(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
  SendMessageA(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
  tray_.SetIcon(small);
  if (bigIcon_) DestroyIcon(bigIcon_);
  if (smallIcon_) DestroyIcon(smallIcon_);
  bigIcon_ = big;
  smallIcon_ = small;
}

void MainWindow::PlaceControls() {
  const Scale& s = scale_;
  const auto at = [&](int left, int top, int width, int height) {
    return RECT{s(left), s(top), s(left) + s(width), s(top) + s(height)};
  };
  facePicture_.Place(hwnd_, at(0, 0, 321, 233));
  aboutPicture_.Place(hwnd_, at(0, 0, 321, 233));
  bevel1_.Place(hwnd_, at(144, 56, 169, 169));
  bevel2_.Place(hwnd_, at(8, 8, 129, 217));
  bevel1_.SetThickness(s.Line());
  bevel2_.SetThickness(s.Line());
  for (int i = 0; i < kFaceKeyCount; ++i) {
    const FaceKey& k = kFaceKeys[i];
    keys_[i]->PlaceKey(hwnd_, at(k.left, k.top, k.width, k.height));
  }
  for (size_t i = 0; i < aboutLabels_.size(); ++i) {
    const AboutLine& line = kAboutLines[i / 2];
    const int shadow = i % 2 == 0 ? 2 : 0;  // the black copy lies 2 pixels right and down
    aboutLabels_[i]->Place(hwnd_, at(line.left + shadow, line.top + shadow, line.width, line.height));
  }
}

void MainWindow::DpiChanged(int dpi, const RECT& suggested) {
  // Moved to a monitor of another scale: the rectangle Windows suggests,
  // then everything drawn anew at the new DPI (the layout keeps the client
  // size exact).
  SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
               suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
  Rescale(dpi);
  InvalidateRect(hwnd_, nullptr, FALSE);
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

// The application has checked the size's item (and ended About, if it was up).
void MainWindow::ApplySize(WindowSize size) { LayOut(size); }

void MainWindow::LayOut(WindowSize size) {
  const Scale& s = scale_;
  const Layout& l = LayoutOf(size);
  calc_.face.ShowFaceKeys(l.faceKeys);
  bevel1_.SetVisible(l.faceKeys);
  bevel2_.SetVisible(l.faceKeys);
  facePicture_.SetVisible(true);
  aboutPicture_.SetVisible(false);
  display_->Place(hwnd_, {s(l.displayLeft), s(kDisplayTop), s(l.displayLeft) + s(kDisplayWidth),
                          s(kDisplayTop) + s(l.displayHeight)});
  SetClientSizeAtScale(s(l.clientWidth), s(l.clientHeight));
  InvalidateRect(hwnd_, nullptr, FALSE);
}

void MainWindow::SetClientSizeAtScale(int width, int height) {
  // The frame as the system draws it now (its caption and borders follow
  // the DPI on Windows 10, not on older systems or Wine); computed only
  // while there is no client area to measure.
  RECT outer{}, client{};
  GetWindowRect(hwnd_, &outer);
  GetClientRect(hwnd_, &client);
  SIZE frame{(outer.right - outer.left) - client.right, (outer.bottom - outer.top) - client.bottom};
  if (IsIconic(hwnd_) || client.right <= 0 || client.bottom <= 0) {
    const SIZE computed = win::OuterSizeForDpi(kStyle, 0, width, height, scale_.dpi());
    frame = {computed.cx - width, computed.cy - height};
  }
  const SIZE wanted{width + frame.cx, height + frame.cy};
  if (wanted.cx == outer.right - outer.left && wanted.cy == outer.bottom - outer.top && !IsIconic(hwnd_)) return;
  SetWindowPos(hwnd_, nullptr, 0, 0, wanted.cx, wanted.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
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
  access_.Changed();
}

void MainWindow::OpenHelp(const std::string& topic) {
  // The help is a page beside the program, opened by the shell at the
  // topic's anchor (a file URL keeps the "#Contents" part).
  std::string url = "file:///" + ProgramFolder(win::ModulePath()) + "/Nimbrel.htm#" + topic;
  std::replace(url.begin(), url.end(), '\\', '/');
  static const auto execute = win::SystemFunction<decltype(&::ShellExecuteA)>("shell32.dll", "ShellExecuteA");
  if (execute) execute(hwnd_, "open", url.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

// The dialog itself; Calculator::OptionsClick handles the topmost band and
// the repaint around it.
void MainWindow::ShowOptions() {
  const std::optional<OptionsDraft> draft =
      RunOptionsDialog(instance_, hwnd_, calc_.OptionsDraftNow(), scale_);
  if (draft) calc_.ApplyOptionsDraft(*draft, *this);
}

bool MainWindow::CreateStartupLink() { return CreateLink(win::ModulePathW(), kLinkFileName, kStartupFolder); }
void MainWindow::DeleteStartupLink() { DeleteLink(hwnd_, kLinkFileName, kStartupFolder); }
void MainWindow::ShowTrayIcon(bool shown) {
  if (shown) {
    tray_.Show();
  } else {
    tray_.Hide();
  }
}

void MainWindow::ShowTape(bool shown) {
  if (shown) {
    tapeForm_.Open(hwnd_);
  } else {
    tapeForm_.Close();
  }
}

void MainWindow::ShowMemoryWindow(MemoryMode mode) {
  MemoryWindow logic = calc_.MemoryWindowFor(mode);
  MemoryForm form(instance_, logic, calc_.display, scale_);
  form.RunModal(hwnd_);
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
      // No further than the block, whose text may lack its terminating
      // zero, and no further than Paste reads (one more: a longer text is
      // read as one number).
      text = BoundedText(chars, GlobalSize(data), kPasteTextLimit + 1);
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return text;
}

// ---- sound, menus, About, tray, the end

void MainWindow::PlayWave() {
  // The start's sound waits for the first frame, and winmm with it.
  if (starting_) {
    PostMessageA(hwnd_, kStartSound, 0, 0);
    return;
  }
  static const auto play = win::SystemFunction<decltype(&::sndPlaySoundA)>("winmm.dll", "sndPlaySoundA");
  // A missing file stays silent.
  const std::string wave = ProgramFolder(win::ModulePath()) + "\\Sound.wav";
  if (play) play(wave.c_str(), SND_ASYNC | SND_NODEFAULT);
}

void MainWindow::PopupMenu(POINT at, bool centred) {
  win::PopupMenu menu(kMainMenu);
  menu.Check(kOnTop, settings_.OnTop);
  const int checked = settings_.Small ? kSmall : settings_.Medium ? kMedium : settings_.Large ? kLarge : 0;
  if (checked) menu.CheckRadio(checked);
  menu.Enable(kUndo, calc_.CanUndo());
  menu.Enable(kRedo, calc_.CanRedo());
  menu.Check(kTape, settings_.TapeShown != 0);
  menu.Track(hwnd_, at, centred);
}

// From the keyboard there is no pointer to open at: the menu hangs from the
// display's lower-left corner.
void MainWindow::ShowPopupMenu() {
  const Scale& s = scale_;
  const Layout& l = LayoutOf(calc_.CheckedSize());
  POINT corner{s(l.displayLeft), s(kDisplayTop) + s(l.displayHeight)};
  ClientToScreen(hwnd_, &corner);
  PopupMenu(corner, false);
}

void MainWindow::Command(int id) {
  calc_.Guarded([&] {
    switch (id) {
      case kOnTop: calc_.OnTopClick(); break;
      case kSmall: calc_.ChooseSize(WindowSize::Small); break;
      case kMedium: calc_.ChooseSize(WindowSize::Medium); break;
      case kLarge: calc_.ChooseSize(WindowSize::Large); break;
      case kCopy: calc_.CutClick(); break;
      case kCopyStack: calc_.CopyStackClick(); break;
      case kPaste: calc_.PasteClick(); break;
      case kRollUp: {
        uint16_t key = vk::F11;  // the key's own road
        calc_.DispatchKey(key);
        break;
      }
      case kTape: calc_.TapeClick(); break;
      case kUndo: calc_.Undo(); break;
      case kRedo: calc_.Redo(); break;
      case kOptions: calc_.OptionsClick(); break;
      case kHelp: OpenHelp("Contents"); break;
      case kAbout: calc_.AboutClick(); break;
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
  LayOutAbout();
  SetTimer(hwnd_, kAboutTimer, 1000, nullptr);
}

void MainWindow::LayOutAbout() {
  const Scale& s = scale_;
  if (!about_) {
    about_.Reset(win::LoadArt(instance_, "ABOUT", 1, s(321), s(233)));
    aboutPicture_.SetBitmap(about_.get());
  }
  SetClientSizeAtScale(s(321), s(233));
  calc_.face.ShowFaceKeys(false);
  bevel1_.SetVisible(false);
  bevel2_.SetVisible(false);
  facePicture_.SetVisible(false);
  display_->SetVisible(false);
  aboutPicture_.SetVisible(true);
  ShowAboutLines(calc_.AboutLines());
}

void MainWindow::ShowAboutLines(int count) {
  for (size_t i = 0; i < aboutLabels_.size(); ++i) aboutLabels_[i]->SetVisible(static_cast<int>(i / 2) < count);
  InvalidateRect(hwnd_, nullptr, FALSE);  // a line's text may reach past its label's box
}

void MainWindow::HideAbout() {
  KillTimer(hwnd_, kAboutTimer);
  aboutPicture_.SetVisible(false);
  for (auto& label : aboutLabels_) label->SetVisible(false);
  facePicture_.SetVisible(true);
  display_->SetVisible(true);
  InvalidateRect(hwnd_, nullptr, FALSE);
}

void MainWindow::TrayNotify(UINT mouseMessage) {
  switch (mouseMessage) {
    case WM_MOUSEMOVE: {
      // The tip shows X whenever the pointer rests on the icon.
      tray_.SetTip(calc_.TrayTip());
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
  // With a modal window open (the calculator itself takes no input then),
  // that window comes forward.
  HWND active = GetLastActivePopup(hwnd_);
  SetForegroundWindow(active ? active : hwnd_);
}

POINT MainWindow::NormalPlace() const {
  RECT r{};
  GetWindowRect(hwnd_, &r);
  if (!IsIconic(hwnd_)) return {r.left, r.top};
  // Minimised, the window sits at -32000; its place to come back to is the
  // placement's, given in workspace coordinates: relative to the work area
  // of its monitor rather than to the screen.
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  if (!GetWindowPlacement(hwnd_, &placement)) return {r.left, r.top};
  const RECT& normal = placement.rcNormalPosition;
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  if (!GetMonitorInfoA(MonitorFromRect(&normal, MONITOR_DEFAULTTOPRIMARY), &monitor)) return {normal.left, normal.top};
  return {normal.left + monitor.rcWork.left - monitor.rcMonitor.left,
          normal.top + monitor.rcWork.top - monitor.rcMonitor.top};
}

void MainWindow::Save(bool sessionEnding) {
  if (saved_) return;  // the stack is popped while saving: once only
  saved_ = true;
  const POINT place = NormalPlace();
  settings_.Left = place.x;
  settings_.Top = place.y;
  tapeForm_.KeepPlace();
  Win32Registry registry;
  calc_.Save(registry, sessionEnding);
}

}  // namespace nimbrel
