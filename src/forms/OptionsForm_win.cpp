#include "forms/OptionsForm_win.h"

#include <windows.h>
#include <commctrl.h>

#include <array>
#include <string>

#include "win/Art_win.h"
#include "win/Dpi_win.h"
#include "win/Gdi.h"
#include "win/GraphicControl_win.h"
#include "win/Modal_win.h"
#include "win/SystemFunction_win.h"
#include "win/Window_win.h"

namespace nimbrel {

namespace {

// Control ids. A radio group's items follow its own id.
enum ControlId : int {
  Obase = 100, Oangles = 110, OStartUp = 121, OHidden, OTrayIcon, Onotation = 130,
  Ofixed = 141, Odecs, Ocommas, Otrail, Oallexp, Label1, ObsZ, LabelHotKey, OHotKey, OCalcKey, OTapeKept,
  OK = IDOK, Cancel = IDCANCEL,
};

enum class Kind { RadioGroup, Check, Edit, Label, Button, DefaultButton, HotKey, CheckLines };

struct ControlSpec {
  Kind kind;
  int id;
  const char* caption;
  int left, top, width, height;  // in the client area
  std::array<const char*, 4> items{};
};

// In tab order. The two panels' controls stand at their panel's corner plus
// their place in it: Launch at (248, 88), DOPanel at (248, 256).
constexpr ControlSpec kControls[] = {
    {Kind::RadioGroup, Obase, "Base", 8, 8, 97, 73, {"Octal", "Decimal", "Hexidecimal"}},
    {Kind::RadioGroup, Oangles, "Angles", 112, 8, 97, 73, {"Degrees", "Radians", "Gradients"}},
    {Kind::Check, OStartUp, "Launch at Start Up", 248 + 8, 88 + 8, 113, 17},
    {Kind::Check, OHidden, "Launch Hidden", 248 + 8, 88 + 32, 113, 17},
    {Kind::Check, OTrayIcon, "System Tray Icon", 248 + 8, 88 + 56, 113, 17},
    // The key that calls the calculator from any program (its label first:
    // a screen reader names the control by it), and the Calculator key.
    {Kind::Label, LabelHotKey, "Hotkey", 248 + 1, 176 + 3, 40, 17},
    {Kind::HotKey, OHotKey, "", 248 + 40, 176, 105, 21},
    {Kind::CheckLines, OCalcKey, "Calculator key opens Nimbrel", 248 + 1, 202, 144, 30},
    {Kind::Check, OTapeKept, "Keep the tape", 248 + 1, 234, 144, 17},
    {Kind::RadioGroup, Onotation, "Notation", 144, 304, 97, 81, {"Standard", "Scientific", "Engineering", "Custom"}},
    {Kind::Check, Ofixed, "Fixed", 248 + 8, 256 + 8, 65, 17},
    {Kind::Edit, Odecs, "", 248 + 80, 256 + 8, 57, 21},
    {Kind::Check, Ocommas, "Commas", 248 + 8, 256 + 32, 81, 17},
    {Kind::Check, Otrail, "Trailing Zeroes", 248 + 8, 256 + 56, 97, 17},
    {Kind::Check, Oallexp, "Always Show Exponent", 248 + 8, 256 + 80, 129, 17},
    {Kind::Label, Label1, "Nearest Base", 248 + 9, 256 + 104 + 3, 70, 17},  // 64 wide would cut "Base" at 150 %
    {Kind::Edit, ObsZ, "", 248 + 80, 256 + 104, 57, 21},
    {Kind::DefaultButton, OK, "OK", 264, 8, 129, 25},
    {Kind::Button, Cancel, "Cancel", 264, 40, 129, 25},
};

constexpr RECT kLaunchPanel{248, 88, 248 + 145, 88 + 81};
constexpr RECT kDisplayPanel{248, 256, 248 + 145, 256 + 129};
constexpr RECT kPicturePanel{8, 88, 8 + 233, 88 + 209};
constexpr int kClientWidth = 401;
constexpr int kClientHeight = 392;
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;

int ItemCount(const ControlSpec& c) {
  int n = 0;
  while (n < 4 && c.items[n]) ++n;
  return n;
}

class OptionsForm : public win::Window {
 public:
  OptionsForm(HINSTANCE instance, const OptionsDraft& draft, Scale scale)
      : instance_(instance), draft_(draft), scale_(scale) {}
  ~OptionsForm() override {
    if (hwnd_) DestroyWindow(hwnd_);
  }

  std::optional<OptionsDraft> Run(HWND owner) {
    const Scale& s = scale_;
    const SIZE outer = win::OuterSizeForDpi(kStyle, WS_EX_DLGMODALFRAME, s(kClientWidth), s(kClientHeight), s.dpi());
    CreateWindowOf(instance_, {kOptionsFormClass}, WS_EX_DLGMODALFRAME, kStyle, "Options", 0, 0, outer.cx,
                   outer.cy, owner);
    font_.Reset(CreateFontA(s.PixelFontHeight(-11), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                            CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, "MS Sans Serif"));
    RegisterHotKeyControl();
    for (const ControlSpec& c : kControls) Make(c);
    for (win::Bevel* bevel : {&launchBevel_, &displayBevel_, &pictureBevel_}) bevel->SetThickness(s.Line());
    graphics_.Add(launchBevel_, Scaled(kLaunchPanel));
    graphics_.Add(displayBevel_, Scaled(kDisplayPanel));
    // The picture fills the panel inside its bevel, drawn for that size.
    RECT inside = Scaled(kPicturePanel);
    InflateRect(&inside, -s.Line(), -s.Line());
    picture_.Reset(win::LoadArt(instance_, "OPTIONS", 1, inside.right - inside.left, inside.bottom - inside.top));
    pictureControl_.SetBitmap(picture_.get());
    graphics_.Add(pictureControl_, inside);
    graphics_.Add(pictureBevel_, Scaled(kPicturePanel));
    Show();
    win::CentreOnScreen(hwnd_);
    win::RunModal(hwnd_, owner, [this] { return closed_; }, true, GetDlgItem(hwnd_, OK));
    if (!accepted_) return std::nullopt;
    return draft_;
  }

 private:
  // The hotkey control's class, from the common controls (loaded here, not
  // at the start: only this dialog has one).
  static void RegisterHotKeyControl() {
    using Init = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    static const auto init = win::SystemFunction<Init>("comctl32.dll", "InitCommonControlsEx");
    const INITCOMMONCONTROLSEX classes{sizeof(INITCOMMONCONTROLSEX), ICC_HOTKEY_CLASS};
    if (init) init(&classes);
  }

  RECT Scaled(const RECT& r) const { return {scale_(r.left), scale_(r.top), scale_(r.right), scale_(r.bottom)}; }

  // One control of the table (a radio group with its items), at the scale.
  void Make(const ControlSpec& design) {
    const Scale& s = scale_;
    ControlSpec c = design;
    c.left = s(design.left);
    c.top = s(design.top);
    c.width = s(design.width);
    c.height = s(design.height);
    const DWORD child = WS_CHILD | WS_VISIBLE;
    switch (c.kind) {
      case Kind::RadioGroup: {
        Control("BUTTON", c.caption, child | BS_GROUPBOX | WS_GROUP, c.left, c.top, c.width, c.height, c.id, 0);
        const int n = ItemCount(c);
        const int step = (c.height - s(20)) / n;
        for (int i = 0; i < n; ++i) {
          const DWORD first = i == 0 ? WS_GROUP | WS_TABSTOP : 0;
          Control("BUTTON", c.items[i], child | BS_AUTORADIOBUTTON | first, c.left + s(8), c.top + s(16) + step * i,
                  c.width - s(16), s(17), c.id + 1 + i, 0);
        }
        break;
      }
      case Kind::Check:
        Control("BUTTON", c.caption, child | BS_AUTOCHECKBOX | WS_GROUP | WS_TABSTOP, c.left, c.top, c.width, c.height,
                c.id, 0);
        break;
      case Kind::CheckLines:  // a caption in two lines
        Control("BUTTON", c.caption, child | BS_AUTOCHECKBOX | BS_MULTILINE | WS_GROUP | WS_TABSTOP, c.left, c.top,
                c.width, c.height, c.id, 0);
        break;
      case Kind::HotKey:
        Control(HOTKEY_CLASSA, "", child | WS_GROUP | WS_TABSTOP, c.left, c.top, c.width, c.height, c.id,
                WS_EX_CLIENTEDGE);
        break;
      case Kind::Edit:
        Control("EDIT", c.caption, child | ES_AUTOHSCROLL | WS_GROUP | WS_TABSTOP, c.left, c.top, c.width, c.height,
                c.id, WS_EX_CLIENTEDGE);
        break;
      case Kind::Label:
        // One line, never wrapped: at some scales the substituted font runs a little wider.
        Control("STATIC", c.caption, child | WS_GROUP | SS_LEFTNOWORDWRAP, c.left, c.top, c.width, c.height, c.id, 0);
        break;
      case Kind::Button:
      case Kind::DefaultButton:
        Control("BUTTON", c.caption,
                child | WS_GROUP | WS_TABSTOP | (c.kind == Kind::DefaultButton ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON),
                c.left, c.top, c.width, c.height, c.id, 0);
        break;
    }
  }

  void Control(const char* cls, const char* text, DWORD style, int x, int y, int w, int h, int id, DWORD exStyle) {
    HWND control = CreateWindowExA(exStyle, cls, text, style, x, y, w, h, hwnd_,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance_, nullptr);
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
  }

  HWND Item(int id) const { return GetDlgItem(hwnd_, id); }
  bool Ticked(int id) const { return SendMessageA(Item(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }
  void Tick(int id, bool ticked) const { SendMessageA(Item(id), BM_SETCHECK, ticked ? BST_CHECKED : BST_UNCHECKED, 0); }
  int Chosen(int group, int count) const {
    for (int i = 0; i < count; ++i) {
      if (Ticked(group + 1 + i)) return i;
    }
    return -1;
  }
  std::string Text(int id) const {
    char text[256] = {};
    GetWindowTextA(Item(id), text, sizeof text);
    return text;
  }

  // The draft onto the controls, and back.
  void Show() const {
    for (int i = 0; i < 3; ++i) Tick(Obase + 1 + i, draft_.baseItem == i);
    for (int i = 0; i < 3; ++i) Tick(Oangles + 1 + i, draft_.angles == i);
    for (int i = 0; i < 4; ++i) Tick(Onotation + 1 + i, draft_.notation == i);
    Tick(Ofixed, draft_.fixed);
    SetWindowTextA(Item(Odecs), draft_.decs.c_str());
    Tick(Ocommas, draft_.commas);
    Tick(Otrail, draft_.trail);
    Tick(Oallexp, draft_.allExp);
    SetWindowTextA(Item(ObsZ), draft_.bsZ.c_str());
    Tick(OStartUp, draft_.startUp);
    Tick(OHidden, draft_.hidden);
    Tick(OTrayIcon, draft_.trayIcon);
    SendMessageA(Item(OHotKey), HKM_SETHOTKEY, draft_.hotKey, 0);
    Tick(OCalcKey, draft_.calcKey);
    Tick(OTapeKept, draft_.tapeKept);
    EnableWindow(Item(OHidden), draft_.hiddenEnabled);
    for (int id : {Otrail, Oallexp, ObsZ}) EnableWindow(Item(id), draft_.customEnabled);
  }
  void Read() {
    const int base = Chosen(Obase, 3);
    if (base >= 0) draft_.baseItem = base;
    const int angles = Chosen(Oangles, 3);
    if (angles >= 0) draft_.angles = angles;
    const int notation = Chosen(Onotation, 4);
    if (notation >= 0) draft_.notation = notation;
    draft_.fixed = Ticked(Ofixed);
    draft_.decs = Text(Odecs);
    draft_.commas = Ticked(Ocommas);
    draft_.trail = Ticked(Otrail);
    draft_.allExp = Ticked(Oallexp);
    draft_.bsZ = Text(ObsZ);
    draft_.startUp = Ticked(OStartUp);
    draft_.hidden = Ticked(OHidden);
    draft_.trayIcon = Ticked(OTrayIcon);
    // (the control's WORD: the key, and its HOTKEYF_ modifiers above it)
    draft_.hotKey = static_cast<uint16_t>(SendMessageA(Item(OHotKey), HKM_GETHOTKEY, 0, 0));
    draft_.calcKey = Ticked(OCalcKey);
    draft_.tapeKept = Ticked(OTapeKept);
  }

  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    switch (message) {
      case WM_COMMAND:
        Command(LOWORD(wParam), HIWORD(wParam));
        return 0;
      case WM_CLOSE:
        closed_ = true;  // as Cancel
        return 0;
      case WM_PAINT: {
        win::PaintScope paint(hwnd_);
        RECT client{};
        GetClientRect(hwnd_, &client);
        win::MemoryDC buffer(paint.dc());
        win::Bitmap canvas(CreateCompatibleBitmap(paint.dc(), client.right, client.bottom));
        win::Selection selected(buffer.get(), canvas.get());
        FillRect(buffer.get(), &client, GetSysColorBrush(COLOR_BTNFACE));
        graphics_.Paint(buffer.get());
        BitBlt(paint.dc(), 0, 0, client.right, client.bottom, buffer.get(), 0, 0, SRCCOPY);
        return 0;
      }
      case WM_ERASEBKGND:
        return 1;
      case WM_CTLCOLORSTATIC:
      case WM_CTLCOLORBTN:
        // Captions, check boxes and radio buttons on the dialog's own colour.
        SetBkColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
      default:
        return Default(message, wParam, lParam);
    }
  }

  void Command(int id, int code) {
    if (id == OK) {
      Read();
      accepted_ = true;
      closed_ = true;
    } else if (id == Cancel) {
      closed_ = true;
    } else if (code == BN_CLICKED && id > Onotation && id <= Onotation + 4) {
      Read();
      ChooseNotation(draft_, id - Onotation - 1);
      Show();
    } else if (code == BN_CLICKED && id == OTrayIcon) {
      Read();
      TickTrayIcon(draft_, Ticked(OTrayIcon));
      Show();
    }
  }

  void OnException(const char* what) override { MessageBoxA(hwnd_, what, "Error", MB_OK | MB_ICONERROR); }

  HINSTANCE instance_;
  OptionsDraft draft_;
  Scale scale_;
  win::Font font_;
  win::GraphicControls graphics_{hwnd_};
  win::Bevel launchBevel_{BDR_RAISEDINNER | BDR_SUNKENOUTER};
  win::Bevel displayBevel_{BDR_RAISEDINNER | BDR_SUNKENOUTER};
  win::Bevel pictureBevel_{BDR_SUNKENINNER};
  win::Bitmap picture_;
  win::Picture pictureControl_;
  bool closed_ = false;
  bool accepted_ = false;
};

}  // namespace

std::optional<OptionsDraft> RunOptionsDialog(HINSTANCE instance, HWND owner, const OptionsDraft& start,
                                             Scale scale) {
  OptionsForm form(instance, start, scale);
  return form.Run(owner);
}

}  // namespace nimbrel
