// Shared by the programs that drive the calculator's window from another
// process (the end-to-end probe, the soak driver).
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstring>

namespace nimbrel::remote {

// The caller sees real pixels, whatever the calculator declares: without
// this, Wine and Windows would scale the places of a DPI-aware window for it.
inline void BecomeDpiAware() {
  using SetContext = BOOL(WINAPI*)(HANDLE);
  HMODULE user = GetModuleHandleA("user32.dll");
  auto setContext = reinterpret_cast<SetContext>(reinterpret_cast<void*>(GetProcAddress(user, "SetProcessDpiAwarenessContext")));
  if (!setContext || !setContext(reinterpret_cast<HANDLE>(-4))) SetProcessDPIAware();  // -4: per monitor v2
}

// A RECT the receiver can read: WM_DPICHANGED's lParam points into the
// receiver's memory. The same bytes are placed at the same address here too,
// so that a system which copies the rectangle across finds it as well.
inline RECT* SharedRect(HANDLE process, const RECT& rect) {
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

}  // namespace nimbrel::remote
