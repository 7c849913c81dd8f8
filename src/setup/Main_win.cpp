// Program entry of Nimbrel.exe: the calculator, once per desktop; or, with
// the argument "-u", its own uninstaller.
#include <windows.h>

#include <cstdint>
#include <exception>

#include "setup/CommandLine.h"
#include "app/Caption.h"
#include "forms/MainWindow_win.h"
#include "setup/Uninstall_win.h"
#include "win/Dpi_win.h"
#ifdef NIMBREL_FIRST_PAINT_PROBE
#include "win/FirstPaintProbe.h"  // the start-up benchmark's build only
#endif
#include "win/Module_win.h"
#include "win/SystemFunction_win.h"

extern "C" void* __stack_chk_guard;  // the stack protector's, in libssp

namespace {

constexpr const char* kAlreadyRunning = "Quarvel Calculator is already running.";
constexpr const char* kCurrentlyRunning =
    "Quarvel Calculator is currently running.  Please exit the program before uninstalling.";

// A second start: with "-show" the running calculator comes forward (and
// may take the foreground from us), without a word; otherwise it says so.
void AnswerSecondStart(std::string_view tail, HWND running) {
  using namespace nimbrel;
  if (!IsShowRequest(tail)) {
    MessageBoxA(nullptr, kAlreadyRunning, kCaption, MB_OK);
    return;
  }
  if (!running) return;  // still starting: it shows itself
  DWORD process = 0;
  GetWindowThreadProcessId(running, &process);
  AllowSetForegroundWindow(process);
  PostMessageA(running, ShowRequestMessage(), 0, 0);
}

}  // namespace

// Before any other start-up code (constructors of priority 101 run first):
// DLLs only from the system folder, never from the program's own (a
// Downloads folder holds what it's given); and the stack protector's guard,
// which its own set-up would take from the crypto provider, loading three
// DLLs into the first frame. Mixed as Windows' own compilers make their
// security cookie: no DLL, and not the same in two processes.
// (Not guarded itself: its own check would compare with the guard it changed.)
[[gnu::constructor(101), gnu::no_stack_protector]] static void StartSafely() {
  nimbrel::win::RestrictDllSearchToSystem();
  LARGE_INTEGER counter{};
  QueryPerformanceCounter(&counter);
  FILETIME now{};
  GetSystemTimeAsFileTime(&now);
  uintptr_t guard = static_cast<uintptr_t>(counter.QuadPart) ^ (static_cast<uintptr_t>(now.dwHighDateTime) << 16) ^
                    now.dwLowDateTime ^ (static_cast<uintptr_t>(GetCurrentProcessId()) << 8) ^
                    GetCurrentThreadId() ^ reinterpret_cast<uintptr_t>(&counter);
  if (guard == 0) guard = 0x2B992DDFu;
  __stack_chk_guard = reinterpret_cast<void*>(guard);  // (the protector's set-up keeps one already made)
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  using namespace nimbrel;
#ifdef NIMBREL_FIRST_PAINT_PROBE
  win::Mark("entry");  // the DLLs loaded and the statics made
#endif
  // Before any window: drawn at each monitor's own scale (the manifest says
  // so too; this covers a copy whose manifest was lost).
  win::BecomeDpiAware();
  // Two starts at the same moment both find no window yet; the named mutex
  // tells them apart. Whoever makes it first is the calculator (or the
  // uninstaller); it lives as long as this process, so that an uninstall
  // also refuses while another calculator is still starting, and a start
  // refuses while an uninstall runs.
  const HANDLE startLock = CreateMutexA(nullptr, FALSE, "Local\\Nimbrel.QuarvelCalculator");
  const bool anotherStart = startLock && GetLastError() == ERROR_ALREADY_EXISTS;
  const HWND running = FindWindowA(kWindowClass, kCaption);
  // The tail is taken from the whole command line by our own rule rather
  // than the runtime's, which may differ between runtimes.
  const std::string_view tail = CommandTail(GetCommandLineA());
  if (IsUninstallRequest(tail)) {
    if (running || anotherStart) {
      if (startLock) CloseHandle(startLock);  // a refused start holds nobody else off
      MessageBoxA(nullptr, kCurrentlyRunning, kCaption, MB_OK | MB_ICONERROR);
    } else {
      RunUninstall(win::ModulePath());
    }
    return 0;
  }

  if (running || anotherStart) {
    if (startLock) CloseHandle(startLock);
    AnswerSecondStart(tail, running);
    return 0;
  }
#ifdef NIMBREL_FIRST_PAINT_PROBE
  win::Mark("single-instance");
#endif

  MainWindow window(instance);  // registers the bundled typeface when the system has none
#ifdef NIMBREL_FIRST_PAINT_PROBE
  win::Mark("typeface");
  window.afterPaint = [](HWND hwnd) { win::FirstPaintProbe(hwnd, "nimbrel"); };
  window.startMark = [](const char* step) { win::Mark(step); };
#endif
  try {
    window.Create();
  } catch (const std::exception& e) {
    // A damaged stored value (or anything else that stops the window being
    // made) ends the start before the window shows.
    MessageBoxA(nullptr, e.what(), kCaption, MB_OK | MB_ICONERROR);
    return 0;
  }
  if (IsShowRequest(tail)) PostMessageA(window.handle(), ShowRequestMessage(), 0, 0);  // shown and focused
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return 0;
}
