// Program entry of Nimbrel.exe: the calculator, once per desktop; or, with
// the argument "-u", its own uninstaller.
#include <windows.h>

#include <cstring>

#include "core/Engine.h"
#include "forms/MainWindow_win.h"
#include "settings/Registry.h"

namespace {

constexpr const char* kAlreadyRunning = "Quarvel Calculator is already running.";
constexpr const char* kCurrentlyRunning =
    "Quarvel Calculator is currently running.  Please exit the program before uninstalling.";

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR tail, int) {
  using namespace nimbrel;
  const HWND running = FindWindowA(kWindowClass, kCaption);

  // The tail must be exactly "-u": "-u " or "-U" start the calculator.
  if (tail && std::strcmp(tail, "-u") == 0) {
    if (running) {
      MessageBoxA(nullptr, kCurrentlyRunning, kCaption, MB_OK | MB_ICONERROR);
    } else {
      MessageBoxA(nullptr, "The uninstall mode is not available in this version yet.", kCaption, MB_OK);
    }
    return 0;
  }

  // Two starts at the same moment both find no window yet; the named mutex
  // tells them apart. It lives as long as this process.
  const HANDLE startLock = CreateMutexA(nullptr, FALSE, "Local\\Nimbrel.QuarvelCalculator");
  const bool anotherStart = startLock && GetLastError() == ERROR_ALREADY_EXISTS;
  if (running || anotherStart) {
    MessageBoxA(nullptr, kAlreadyRunning, kCaption, MB_OK);
    return 0;
  }

  MainWindow window(instance);
  try {
    window.Create();
  } catch (const RegistryError& e) {
    // A damaged stored value ends the start before the window shows.
    MessageBoxA(nullptr, e.what(), kCaption, MB_OK | MB_ICONERROR);
    return 0;
  }
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return 0;
}
