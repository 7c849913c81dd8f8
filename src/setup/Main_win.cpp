// Program entry of Nimbrel.exe: create the calculator window and run the
// message loop until it closes.
#include <windows.h>

#include "forms/MainWindow_win.h"
#include "settings/Registry.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  nimbrel::MainWindow window(instance);
  try {
    window.Create();
  } catch (const nimbrel::RegistryError& e) {
    // A damaged stored value ends the start before the window shows.
    MessageBoxA(nullptr, e.what(), "Error", MB_OK | MB_ICONERROR);
    return 1;
  }
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return 0;
}
