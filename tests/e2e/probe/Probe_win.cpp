// e2e_probe: looks at the calculator's window from outside, as Windows sees
// it, for the end-to-end scripts: places, states, the work area, the tray's
// buttons, and the messages the system sends at a session's end and at a
// change of DPI.
//
//   e2e_probe [--desktop NAME] COMMAND [ARGS]...
//
// With --desktop the probe first joins the named desktop (a program that was
// not started in Wine's desktop mode lives in another desktop, where
// FindWindow doesn't see the calculator). Several commands may follow each
// other; each prints one line on standard output:
//
//   window | client      window L T R B / client L T R B (screen coordinates)
//   state                iconic 0|1 visible 0|1
//   placement            normal L T R B show N (GetWindowPlacement's normal place;
//                        Wine gives another process's minimised window its
//                        minimised rectangle here, so only a shown one's is
//                        worth a check)
//   workarea             workarea L T R B (the monitor nearest to the window)
//   dpi                  dpi N (the window's, else the system's)
//   hit min|close|caption  hit X Y: the middle of that part of the frame (WM_NCHITTEST)
//   taskbar              taskbar L T R B (Shell_TrayWnd)
//   trayicon [N]         trayicon X Y: the middle of the notification area's
//                        N-th icon from the right (the N-th added; 1 if not given)
//   menu                 menu L T R B, or "menu none": the popup menu shown
//   hold                 brings Wine's taskbar up, then stays until ended (the
//                        taskbar is then there before the calculator starts)
//   until STATE SECONDS  STATE reached within SECONDS (shown, hidden, iconic,
//                        found, gone; menu: a popup menu shows; taskbar: it
//                        shows, outside the work area):
//                        "until STATE ok" or "until STATE timeout"
//   endsession           WM_QUERYENDSESSION, WM_ENDSESSION (TRUE), then the
//                        window's process is ended: "endsession QUERY-RESULT ended|alive"
//   dpichanged DPI [FROM]  WM_DPICHANGED with MAKEWPARAM(DPI, DPI) and the
//                        window's place, its size scaled by DPI/FROM (FROM: the
//                        window's DPI): "dpichanged L T R B" (the suggested rectangle)
//
// A missing calculator prints "none" (the exit status is then 2).
#include <windows.h>
#include <shellapi.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr const char* kClass = "TfrmNimbrel";
constexpr const char* kCaption = "Quarvel Calculator";

HWND Calculator() { return FindWindowA(kClass, kCaption); }

void PrintRect(const char* what, const RECT& r) {
  std::printf("%s %ld %ld %ld %ld\n", what, r.left, r.top, r.right, r.bottom);
}

// The probe sees real pixels, whatever the calculator declares: without
// this, Wine and Windows would scale the places of a DPI-aware window for us.
void BecomeDpiAware() {
  using SetContext = BOOL(WINAPI*)(HANDLE);
  HMODULE user = GetModuleHandleA("user32.dll");
  auto setContext = reinterpret_cast<SetContext>(reinterpret_cast<void*>(GetProcAddress(user, "SetProcessDpiAwarenessContext")));
  if (!setContext || !setContext(reinterpret_cast<HANDLE>(-4))) SetProcessDPIAware();  // -4: per monitor v2
}

int WindowDpi(HWND hwnd) {
  using GetDpi = UINT(WINAPI*)(HWND);
  auto getDpi = reinterpret_cast<GetDpi>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "GetDpiForWindow")));
  if (getDpi) {
    if (UINT dpi = getDpi(hwnd)) return static_cast<int>(dpi);
  }
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  return dpi;
}

// Whether the taskbar shows and is left out of its monitor's work area.
bool TaskbarReady() {
  HWND bar = FindWindowA("Shell_TrayWnd", nullptr);
  RECT barRect{}, shared{};
  MONITORINFO info{};
  info.cbSize = sizeof info;
  return bar && IsWindowVisible(bar) && GetWindowRect(bar, &barRect) && barRect.right > barRect.left &&
         GetMonitorInfoA(MonitorFromWindow(bar, MONITOR_DEFAULTTONEAREST), &info) &&
         !IntersectRect(&shared, &barRect, &info.rcWork);
}

template <typename Condition>
bool WaitFor(Condition condition, int milliseconds) {
  for (int waited = 0; !condition(); waited += 50) {
    if (waited >= milliseconds) return false;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    Sleep(50);
  }
  return true;
}

bool Reached(const std::string& state) {
  if (state == "menu") {
    HWND menu = FindWindowA("#32768", nullptr);
    return menu && IsWindowVisible(menu);
  }
  if (state == "taskbar") return TaskbarReady();  // shown, and left out of the work area
  HWND w = Calculator();
  if (state == "gone") return !w;
  if (!w) return false;
  if (state == "found") return true;
  if (state == "shown") return IsWindowVisible(w) && !IsIconic(w);
  if (state == "hidden") return !IsWindowVisible(w);
  if (state == "iconic") return IsIconic(w);
  return false;
}

// The middle of the frame's part that answers `code` to WM_NCHITTEST, looked
// for along the title bar's middle row, as the pointer would find it.
bool FindHit(HWND w, LRESULT code, POINT& at) {
  RECT r{};
  GetWindowRect(w, &r);
  POINT origin{0, 0};
  ClientToScreen(w, &origin);
  const int y = (r.top + origin.y) / 2;
  long first = -1, last = -1;
  for (int x = r.left; x < r.right; ++x) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(w, WM_NCHITTEST, 0, MAKELPARAM(x, y), SMTO_ABORTIFHUNG, 2000, &result)) return false;
    if (static_cast<LRESULT>(result) == code) {
      if (first < 0) first = x;
      last = x;
    }
  }
  if (first < 0) return false;
  at = {(first + last) / 2, y};
  return true;
}

// A RECT the receiver can read: WM_DPICHANGED's lParam points into the
// receiver's memory. The same bytes are placed at the same address here too,
// so that a system which copies the rectangle across finds it as well.
RECT* SharedRect(HANDLE process, const RECT& rect) {
  for (uintptr_t base = 0x10000000; base < 0x70000000; base += 0x01000000) {
    void* remote = VirtualAllocEx(process, reinterpret_cast<void*>(base), 4096, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    if (!remote) continue;
    void* local = VirtualAlloc(remote, 4096, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    if (local != remote) {
      if (local) VirtualFree(local, 0, MEM_RELEASE);
      VirtualFreeEx(process, remote, 0, MEM_RELEASE);
      continue;
    }
    SIZE_T written = 0;
    std::memcpy(local, &rect, sizeof rect);
    if (WriteProcessMemory(process, remote, &rect, sizeof rect, &written) && written == sizeof rect) {
      return static_cast<RECT*>(local);
    }
    VirtualFree(local, 0, MEM_RELEASE);
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  }
  return nullptr;
}

HANDLE ProcessOf(HWND w, DWORD access) {
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);
  return pid ? OpenProcess(access, FALSE, pid) : nullptr;
}

int EndSession(HWND w) {
  DWORD_PTR query = 0;
  // As Windows does: ask, then tell (wParam TRUE: the session does end).
  SendMessageTimeoutA(w, WM_QUERYENDSESSION, 0, 0, SMTO_ABORTIFHUNG, 5000, &query);
  DWORD_PTR ignored = 0;
  SendMessageTimeoutA(w, WM_ENDSESSION, TRUE, 0, SMTO_ABORTIFHUNG, 5000, &ignored);
  HANDLE process = ProcessOf(w, PROCESS_TERMINATE | SYNCHRONIZE);
  bool ended = false;
  if (process) {
    TerminateProcess(process, 0);
    ended = WaitForSingleObject(process, 10000) == WAIT_OBJECT_0;
    CloseHandle(process);
  }
  std::printf("endsession %lu %s\n", static_cast<unsigned long>(query), ended ? "ended" : "alive");
  return ended ? 0 : 1;
}

int DpiChanged(HWND w, int dpi, int from) {
  if (from <= 0) from = WindowDpi(w);
  RECT r{};
  GetWindowRect(w, &r);
  const RECT suggested{r.left, r.top, r.left + MulDiv(r.right - r.left, dpi, from),
                       r.top + MulDiv(r.bottom - r.top, dpi, from)};
  HANDLE process = ProcessOf(w, PROCESS_VM_OPERATION | PROCESS_VM_WRITE | PROCESS_QUERY_INFORMATION);
  RECT* shared = process ? SharedRect(process, suggested) : nullptr;
  if (!shared) {
    std::printf("dpichanged failed\n");
    return 1;
  }
  DWORD_PTR ignored = 0;
  SendMessageTimeoutA(w, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(shared), SMTO_ABORTIFHUNG,
                      5000, &ignored);
  // The calculator's copy stays: it may still look at it after the message.
  CloseHandle(process);
  PrintRect("dpichanged", suggested);
  return 0;
}

// Wine's notification area draws its icons at the taskbar's right end, one
// small icon and a border of 2 on each side apart, the first one added
// rightmost and each newer one to the left of it. The middle of the n-th
// from the right.
bool TrayIcon(int n, POINT& at) {
  HWND bar = FindWindowA("Shell_TrayWnd", nullptr);
  RECT r{};
  if (!bar || !IsWindowVisible(bar) || !GetWindowRect(bar, &r) || r.right <= r.left) return false;
  const int pitch = GetSystemMetrics(SM_CXSMICON) + 4;
  at = {r.right - pitch * (n - 1) - pitch / 2, (r.top + r.bottom) / 2};
  return true;
}

// Wine's desktop shows its taskbar only while a notification icon is
// there, and takes it out of the work area once a window has a button in
// it; Windows has both from the start. The probe brings them about with an
// icon and a (then minimised) window of its own, and keeps both until it is
// ended, so that the calculator starts as it would on Windows.
int Hold() {
  WNDCLASSA wc{};
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "NimbrelProbeTaskbarKeeper";
  RegisterClassA(&wc);
  HWND w = CreateWindowExA(0, wc.lpszClassName, "taskbar keeper", WS_OVERLAPPEDWINDOW, 0, 0, 120, 60, nullptr,
                           nullptr, wc.hInstance, nullptr);
  if (!w) return 1;
  NOTIFYICONDATAA icon{};
  icon.cbSize = sizeof icon;
  icon.hWnd = w;
  icon.uID = 1;
  icon.uFlags = NIF_ICON;
  icon.hIcon = LoadIcon(nullptr, IDI_APPLICATION);
  Shell_NotifyIconA(NIM_ADD, &icon);
  WaitFor([] { HWND bar = FindWindowA("Shell_TrayWnd", nullptr); return bar && IsWindowVisible(bar); }, 10000);
  ShowWindow(w, SW_SHOWNOACTIVATE);
  WaitFor(TaskbarReady, 10000);
  // The window goes out of the way, its button and the icon stay: without
  // an icon Wine hides the taskbar again.
  ShowWindow(w, SW_SHOWMINNOACTIVE);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
  return 0;
}

int Run(int argc, char** argv) {
  int i = 1;
  if (i + 1 < argc && std::strcmp(argv[i], "--desktop") == 0) {
    // The desktop may still be on its way: Wine's explorer makes it.
    HDESK desktop = nullptr;
    for (int tries = 0; !desktop && tries < 200; ++tries) {
      desktop = OpenDesktopA(argv[i + 1], 0, FALSE, GENERIC_ALL);
      if (!desktop) Sleep(100);
    }
    if (!desktop || !SetThreadDesktop(desktop)) {
      std::printf("no desktop %s\n", argv[i + 1]);
      return 3;
    }
    i += 2;
  }
  int status = 0;
  for (; i < argc; ++i) {
    const std::string command = argv[i];
    if (command == "until" && i + 2 < argc) {
      const std::string state = argv[i + 1];
      const DWORD end = GetTickCount() + static_cast<DWORD>(std::atof(argv[i + 2]) * 1000);
      bool ok = Reached(state);
      while (!ok && static_cast<LONG>(end - GetTickCount()) > 0) {
        Sleep(50);
        ok = Reached(state);
      }
      std::printf("until %s %s\n", state.c_str(), ok ? "ok" : "timeout");
      if (!ok) status = 1;
      i += 2;
      continue;
    }
    if (command == "hold") return Hold();
    if (command == "taskbar") {
      HWND bar = FindWindowA("Shell_TrayWnd", nullptr);
      RECT r{};
      if (bar && GetWindowRect(bar, &r)) PrintRect("taskbar", r); else std::printf("taskbar none\n");
      continue;
    }
    if (command == "trayicon") {
      int n = 1;
      if (i + 1 < argc && std::atoi(argv[i + 1]) > 0) n = std::atoi(argv[++i]);
      POINT at{};
      if (TrayIcon(n, at)) std::printf("trayicon %ld %ld\n", at.x, at.y); else std::printf("trayicon none\n");
      continue;
    }
    if (command == "menu") {
      HWND menu = FindWindowA("#32768", nullptr);
      RECT r{};
      if (menu && IsWindowVisible(menu) && GetWindowRect(menu, &r)) PrintRect("menu", r); else std::printf("menu none\n");
      continue;
    }
    HWND w = Calculator();
    if (!w) {
      std::printf("none\n");
      return 2;
    }
    if (command == "window" || command == "client") {
      RECT r{};
      if (command == "window") {
        GetWindowRect(w, &r);
      } else {
        GetClientRect(w, &r);
        MapWindowPoints(w, nullptr, reinterpret_cast<POINT*>(&r), 2);
      }
      PrintRect(command.c_str(), r);
    } else if (command == "state") {
      std::printf("iconic %d visible %d\n", IsIconic(w) ? 1 : 0, IsWindowVisible(w) ? 1 : 0);
    } else if (command == "placement") {
      WINDOWPLACEMENT p{};
      p.length = sizeof p;
      GetWindowPlacement(w, &p);
      std::printf("normal %ld %ld %ld %ld show %u\n", p.rcNormalPosition.left, p.rcNormalPosition.top,
                  p.rcNormalPosition.right, p.rcNormalPosition.bottom, p.showCmd);
    } else if (command == "workarea") {
      MONITORINFO info{};
      info.cbSize = sizeof info;
      GetMonitorInfoA(MonitorFromWindow(w, MONITOR_DEFAULTTONEAREST), &info);
      PrintRect("workarea", info.rcWork);
    } else if (command == "dpi") {
      std::printf("dpi %d\n", WindowDpi(w));
    } else if (command == "hit" && i + 1 < argc) {
      const std::string part = argv[++i];
      const LRESULT code = part == "min" ? HTMINBUTTON : part == "close" ? HTCLOSE : HTCAPTION;
      POINT at{};
      if (FindHit(w, code, at)) std::printf("hit %ld %ld\n", at.x, at.y); else std::printf("hit none\n");
    } else if (command == "endsession") {
      status = EndSession(w);
    } else if (command == "dpichanged" && i + 1 < argc) {
      const int dpi = std::atoi(argv[++i]);
      int from = 0;
      if (i + 1 < argc && std::atoi(argv[i + 1]) > 0) from = std::atoi(argv[++i]);
      status = DpiChanged(w, dpi, from);
    } else {
      std::printf("unknown command %s\n", command.c_str());
      return 4;
    }
  }
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  // One line per answer, "\n" only, and written at once: the script reads it.
  _setmode(_fileno(stdout), _O_BINARY);
  setvbuf(stdout, nullptr, _IONBF, 0);
  BecomeDpiAware();
  return Run(argc, argv);
}
