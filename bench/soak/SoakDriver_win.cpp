// nimbrel-soak: works the running calculator for a long time through its
// window's messages, as weeks of use would, and reports after each phase
// what its process holds: GDI and USER objects (counted inside the process
// by soak_count.dll) and memory.
//
//   nimbrel-soak check       types 2 Enter 3 +, copies it: "copied TEXT",
//                            then "client L T R B" (screen pixels)
//   nimbrel-soak soak SHARE  the phases at SHARE of their full length
//                            (1: 100,000 keys...; 0.1 the short form), one
//                            "phase NAME key=value..." line after each
//
// Each step is sent (not posted) and then painted before the next is sent,
// so that every key press is drawn. The modal windows are opened with a
// posted message; the driver closes them from here while the calculator
// runs their loop.
#include <windows.h>
#include <psapi.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "../../tests/e2e/probe/RemoteWindow_win.h"
#include "SoakCounts.h"

namespace {

using nimbrel::soak::Counts;

// The calculator's own numbers: its popup menu's commands and its tray
// icon's callback message.
enum Command : WPARAM { kSmall = 2, kMedium = 3, kLarge = 4, kCopy = 5, kPaste = 6, kOptions = 7, kAbout = 9 };
constexpr UINT kTrayMessage = WM_APP + 100;

struct Target {
  HWND w = nullptr;
  DWORD tid = 0;
  HANDLE process = nullptr;
  RECT* dpiRect = nullptr;  // WM_DPICHANGED's rectangle, at one address in both processes
  int dpi = 96;
};

void Send(HWND w, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
  DWORD_PTR ignored = 0;
  SendMessageTimeoutA(w, message, wParam, lParam, SMTO_NORMAL, 60000, &ignored);
}

// Whatever the step left to paint is painted now (Windows and Wine send the
// window's thread WM_PAINT and wait for it).
void Painted(const Target& t) { RedrawWindow(t.w, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN); }

LPARAM KeyData(WORD vk, bool up) {
  const LPARAM scan = MapVirtualKeyA(vk, MAPVK_VK_TO_VSC);
  return 1 | (scan << 16) | (up ? 0xC0000000 : 0);
}
void Key(const Target& t, WORD vk) {
  Send(t.w, WM_KEYDOWN, vk, KeyData(vk, false));
  Send(t.w, WM_KEYUP, vk, KeyData(vk, true));
}

// 12.5 Enter 3 × 7 − 4 ÷ +: digits, the point, Enter and the four
// operations, no division by zero and no number that outgrows the display.
constexpr WORD kKeyCycle[] = {VK_NUMPAD1, VK_NUMPAD2, VK_DECIMAL, VK_NUMPAD5, VK_RETURN, VK_NUMPAD3,
                              VK_MULTIPLY, VK_NUMPAD7, VK_SUBTRACT, VK_NUMPAD4, VK_DIVIDE, VK_ADD};

void Keys(const Target& t, long count) {
  for (long i = 0; i < count; ++i) Key(t, kKeyCycle[i % 12]);
  // An operation last, so that the next number typed starts afresh.
  if (count % 12 != 0) Key(t, VK_ADD);
}

void Sizes(const Target& t, long count) {
  static const WPARAM order[] = {kSmall, kMedium, kLarge};
  for (long i = 0; i < count; ++i) {
    Send(t.w, WM_COMMAND, order[i % 3]);
    Painted(t);
  }
  Send(t.w, WM_COMMAND, kLarge);
  Painted(t);
}

// WM_DPICHANGED as a move between monitors of 96 and 192 DPI sends it, with
// the window's rectangle scaled; back at 96 at the end.
void DpiChange(Target& t, int dpi) {
  RECT r{};
  GetWindowRect(t.w, &r);
  const RECT suggested{r.left, r.top, r.left + MulDiv(r.right - r.left, dpi, t.dpi),
                       r.top + MulDiv(r.bottom - r.top, dpi, t.dpi)};
  if (!t.dpiRect) t.dpiRect = nimbrel::remote::SharedRect(t.process, suggested);
  if (!t.dpiRect) {
    std::printf("note: no memory shared with the calculator; no WM_DPICHANGED\n");
    return;
  }
  *t.dpiRect = suggested;
  WriteProcessMemory(t.process, t.dpiRect, &suggested, sizeof suggested, nullptr);
  Send(t.w, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(t.dpiRect));
  Painted(t);
  t.dpi = dpi;
}
void Dpis(Target& t, long count) {
  for (long i = 0; i < count; ++i) DpiChange(t, t.dpi == 96 ? 192 : 96);
  if (t.dpi != 96) DpiChange(t, 96);
}

// About, then a click on its picture, which brings the face back.
void Abouts(const Target& t, long count) {
  for (long i = 0; i < count; ++i) {
    Send(t.w, WM_COMMAND, kAbout);
    Painted(t);
    Send(t.w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 20));
    Send(t.w, WM_LBUTTONUP, 0, MAKELPARAM(20, 20));
    Painted(t);
  }
}

bool WaitFor(HWND& found, const char* windowClass, bool shown, DWORD ms) {
  for (DWORD waited = 0; waited < ms; waited += 5) {
    found = FindWindowA(windowClass, nullptr);
    if ((found && IsWindowVisible(found)) == shown) return true;
    Sleep(5);
  }
  return false;
}

// One modal window: opened by the posted message, shown, closed from here,
// gone, and the calculator back in its own loop.
bool Modal(const Target& t, UINT message, WPARAM wParam, LPARAM lParam, const char* windowClass) {
  PostMessageA(t.w, message, wParam, lParam);
  HWND modal = nullptr;
  if (!WaitFor(modal, windowClass, true, 20000)) return false;
  PostMessageA(modal, WM_CLOSE, 0, 0);
  if (!WaitFor(modal, windowClass, false, 20000)) return false;
  for (int i = 0; i < 4000 && !IsWindowEnabled(t.w); ++i) Sleep(5);
  Send(t.w, WM_NULL);
  return true;
}

// The memory window by its keys (Store, then Recall), the options dialog by
// its menu command.
bool MemoryWindows(const Target& t, long count) {
  for (long i = 0; i < count; ++i) {
    const WORD vk = i % 2 == 0 ? VK_LEFT : VK_RIGHT;
    if (!Modal(t, WM_KEYDOWN, vk, KeyData(vk, false), "TfrmMemory")) return false;
    Send(t.w, WM_KEYUP, vk, KeyData(vk, true));
    Painted(t);
  }
  return true;
}
bool OptionsDialogs(const Target& t, long count) {
  for (long i = 0; i < count; ++i) {
    if (!Modal(t, WM_COMMAND, kOptions, 0, "TfrmOptions")) return false;
    Painted(t);
  }
  return true;
}

void CopiesAndPastes(const Target& t, long count) {
  for (long i = 0; i < count; ++i) {
    Send(t.w, WM_COMMAND, kCopy);
    Send(t.w, WM_COMMAND, kPaste);
    Painted(t);
  }
  Key(t, VK_ADD);
}

// The pointer resting on the tray icon, each time over another X (a digit
// added), so that the tip really changes.
void TrayTips(const Target& t, long count) {
  for (long i = 0; i < count; ++i) {
    Key(t, static_cast<WORD>(VK_NUMPAD1 + i % 9));
    Key(t, VK_ADD);
    Send(t.w, kTrayMessage, 1, WM_MOUSEMOVE);
  }
}

// ---- the figures

struct Meter {
  HANDLE section = nullptr;
  Counts* counts = nullptr;
  UINT message = 0;
};

bool StartCounting(const Target& t, Meter& m) {
  m.section = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(Counts),
                                 nimbrel::soak::kCountsSection);
  if (m.section) m.counts = static_cast<Counts*>(MapViewOfFile(m.section, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(Counts)));
  m.message = RegisterWindowMessageA(nimbrel::soak::kCountMessage);
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string dll(path);
  dll = dll.substr(0, dll.find_last_of("\\/") + 1) + "soak_count.dll";
  HMODULE module = LoadLibraryA(dll.c_str());
  auto proc = module ? reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(GetProcAddress(module, "SoakCallWndProc")))
                     : nullptr;
  return m.counts && proc && SetWindowsHookExA(WH_CALLWNDPROC, proc, module, t.tid);
}

// One line of figures: objects from the system where it counts them
// (GetGuiResources), else from the counts inside the process.
bool Report(const Target& t, Meter& m, const char* phase, long steps, ULONGLONG ms) {
  const LONG before = m.counts->serial;
  Send(t.w, m.message);
  const Counts c = *m.counts;
  PROCESS_MEMORY_COUNTERS memory{};
  memory.cb = sizeof memory;
  GetProcessMemoryInfo(t.process, &memory, sizeof memory);
  if (c.serial == before) {
    std::printf("phase %s steps=%ld ms=%llu counts=missing\n", phase, steps, ms);
    return false;
  }
  const LONG gdi = c.guiGdi > 0 ? c.guiGdi : c.gdi;
  const LONG user = c.guiUser > 0 ? c.guiUser : c.windows + c.menus + c.icons;
  std::printf("phase %s steps=%ld ms=%llu gdi=%ld user=%ld ws_kb=%lu private_kb=%ld"
              " dcs=%ld bitmaps=%ld brushes=%ld fonts=%ld pens=%ld regions=%ld other=%ld"
              " windows=%ld menus=%ld icons=%ld gui_gdi=%ld gui_user=%ld\n",
              phase, steps, ms, gdi, user, static_cast<unsigned long>(memory.WorkingSetSize / 1024), c.privateKb, c.dcs, c.bitmaps, c.brushes, c.fonts, c.pens,
              c.regions, c.otherGdi, c.windows, c.menus, c.icons, c.guiGdi, c.guiUser);
  return true;
}

struct Phase {
  const char* name;
  long full;  // steps in the full soak
  bool (*run)(Target&, long);
};

const Phase kPhases[] = {
    {"keys", 100000, [](Target& t, long n) { return Keys(t, n), true; }},
    {"sizes", 2000, [](Target& t, long n) { return Sizes(t, n), true; }},
    {"dpi", 1000, [](Target& t, long n) { return Dpis(t, n), t.dpiRect != nullptr; }},
    {"about", 1000, [](Target& t, long n) { return Abouts(t, n), true; }},
    {"memory-window", 500, [](Target& t, long n) { return MemoryWindows(t, n); }},
    {"options", 500, [](Target& t, long n) { return OptionsDialogs(t, n); }},
    {"copy-paste", 1000, [](Target& t, long n) { return CopiesAndPastes(t, n), true; }},
    {"tray-tips", 1000, [](Target& t, long n) { return TrayTips(t, n), true; }},
    {"keys-again", 10000, [](Target& t, long n) { return Keys(t, n), true; }},
};

// A few of everything first: the undo history fills (500 steps), the
// pictures of both scales, the windows and the clipboard come once.
bool WarmUp(Target& t) {
  Keys(t, 2400);
  Sizes(t, 6);
  Dpis(t, 2);
  Abouts(t, 2);
  CopiesAndPastes(t, 10);
  TrayTips(t, 10);
  return MemoryWindows(t, 2) && OptionsDialogs(t, 2) && t.dpiRect != nullptr;
}

int Soak(Target& t, double share) {
  Meter meter;
  if (!StartCounting(t, meter)) {
    std::printf("no count: soak_count.dll's hook could not be set in the calculator\n");
    return 1;
  }
  ULONGLONG began = GetTickCount64();
  if (!Report(t, meter, "start", 0, 0)) return 1;
  const bool warm = WarmUp(t);
  if (!Report(t, meter, "warm-up", 1, GetTickCount64() - began) || !warm) return 1;
  for (const Phase& p : kPhases) {
    const long steps = static_cast<long>(p.full * share + 0.5);
    began = GetTickCount64();
    const bool done = p.run(t, steps);
    if (!Report(t, meter, p.name, steps, GetTickCount64() - began)) return 1;
    if (!done) {
      std::printf("phase %s did not finish (a window did not open or close)\n", p.name);
      return 1;
    }
  }
  return 0;
}

// 2 Enter 3 + copied, and read back from the clipboard.
int Check(const Target& t) {
  if (OpenClipboard(nullptr)) {
    EmptyClipboard();
    CloseClipboard();
  }
  for (WORD vk : {VK_NUMPAD2, VK_RETURN, VK_NUMPAD3, VK_ADD}) Key(t, vk);
  Send(t.w, WM_COMMAND, kCopy);
  std::string text = "(nothing)";
  for (int i = 0; i < 100 && text == "(nothing)"; ++i) {
    if (!OpenClipboard(nullptr)) {
      Sleep(50);
      continue;
    }
    if (HANDLE data = GetClipboardData(CF_TEXT)) {
      if (const char* chars = static_cast<const char*>(GlobalLock(data))) text = chars;
      GlobalUnlock(data);
    }
    CloseClipboard();
    if (text == "(nothing)") Sleep(50);
  }
  Painted(t);
  RECT r{};
  GetClientRect(t.w, &r);
  MapWindowPoints(t.w, nullptr, reinterpret_cast<POINT*>(&r), 2);
  std::printf("copied %s\nclient %ld %ld %ld %ld\n", text.c_str(), r.left, r.top, r.right, r.bottom);
  return 0;
}

bool FindCalculator(Target& t) {
  for (int i = 0; i < 600 && !t.w; ++i) {
    t.w = FindWindowA("TfrmNimbrel", "Quarvel Calculator");
    if (!t.w) Sleep(50);
  }
  if (!t.w) return false;
  DWORD pid = 0;
  t.tid = GetWindowThreadProcessId(t.w, &pid);
  t.process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ | PROCESS_VM_OPERATION | PROCESS_VM_WRITE,
                          FALSE, pid);
  return t.process != nullptr;
}

}  // namespace

int main(int argc, char** argv) {
  _setmode(_fileno(stdout), _O_BINARY);
  setvbuf(stdout, nullptr, _IONBF, 0);
  nimbrel::remote::BecomeDpiAware();
  Target t;
  if (argc < 2 || !FindCalculator(t)) {
    std::printf("none\n");
    return 2;
  }
  const std::string command = argv[1];
  if (command == "check") return Check(t);
  if (command == "soak" && argc > 2) return Soak(t, std::atof(argv[2]));
  std::printf("unknown command %s\n", command.c_str());
  return 4;
}
