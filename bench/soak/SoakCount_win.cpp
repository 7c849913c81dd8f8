// soak_count.dll: counts the calculator's GDI and USER objects from inside
// its process. The soak driver sets this DLL's window-procedure hook on the
// calculator's thread; the system loads the DLL into the calculator, and
// each time the driver sends the count message the hook counts there and
// writes the figures into the shared section the driver reads.
//
// Inside the process because that is where the handles are: Wine answers 0
// to GetGuiResources, keeps each process's GDI handle table in the process
// itself, and hands out menus and icons only to their own process.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "SoakCounts.h"

namespace {

using nimbrel::soak::Counts;

// Every slot of the GDI handle table. A handle is the slot's index in its
// low 16 bits (the high bits, a generation, may be left out), so asking for
// the object type of each index finds every live object, also those no
// variable holds any more.
void CountGdi(Counts& c) {
  for (UINT_PTR index = 1; index <= 0xFFFF; ++index) {
    switch (GetObjectType(reinterpret_cast<HGDIOBJ>(index))) {
      case 0: continue;
      case OBJ_DC: case OBJ_MEMDC: case OBJ_METADC: case OBJ_ENHMETADC: ++c.dcs; break;
      case OBJ_BITMAP: ++c.bitmaps; break;
      case OBJ_BRUSH: ++c.brushes; break;
      case OBJ_FONT: ++c.fonts; break;
      case OBJ_PEN: case OBJ_EXTPEN: ++c.pens; break;
      case OBJ_REGION: ++c.regions; break;
      default: ++c.otherGdi; break;
    }
    ++c.gdi;
  }
}

BOOL CALLBACK CountChild(HWND, LPARAM counts) {
  ++reinterpret_cast<Counts*>(counts)->windows;
  return TRUE;
}
BOOL CALLBACK CountTopLevel(HWND w, LPARAM counts) {
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);
  if (pid != GetCurrentProcessId()) return TRUE;
  ++reinterpret_cast<Counts*>(counts)->windows;
  EnumChildWindows(w, CountChild, counts);  // all descendants
  return TRUE;
}

// USER handles are 0x20 plus twice the slot's index in their low 16 bits;
// a menu or an icon answers only in its own process, which this is.
void CountUser(Counts& c) {
  EnumWindows(CountTopLevel, reinterpret_cast<LPARAM>(&c));
  for (HWND w = nullptr; (w = FindWindowExA(HWND_MESSAGE, w, nullptr, nullptr)) != nullptr;) {
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    if (pid == GetCurrentProcessId()) ++c.windows;
  }
  for (UINT_PTR h = 0x20; h <= 0xFFEF; h += 2) {
    if (IsMenu(reinterpret_cast<HMENU>(h))) ++c.menus;
    ICONINFO info{};
    if (GetIconInfo(reinterpret_cast<HICON>(h), &info)) {  // its copies of the icon's bitmaps are ours
      if (info.hbmColor) DeleteObject(info.hbmColor);
      if (info.hbmMask) DeleteObject(info.hbmMask);
      ++c.icons;
    }
  }
}

// Private_Dirty of this Linux process (Wine maps Z: to the root), or -1.
LONG PrivateDirtyKb() {
  FILE* file = std::fopen("Z:\\proc\\self\\smaps_rollup", "r");
  if (!file) return -1;
  char line[256];
  long kb = -1;
  while (std::fgets(line, sizeof line, file)) {
    if (std::sscanf(line, "Private_Dirty: %ld kB", &kb) == 1) break;
  }
  std::fclose(file);
  return kb;
}

void CountNow() {
  HANDLE section = OpenFileMappingA(FILE_MAP_WRITE, FALSE, nimbrel::soak::kCountsSection);
  if (!section) return;
  if (auto* shared = static_cast<Counts*>(MapViewOfFile(section, FILE_MAP_WRITE, 0, 0, sizeof(Counts)))) {
    Counts c{};
    c.guiGdi = static_cast<LONG>(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS));
    c.guiUser = static_cast<LONG>(GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS));
    CountGdi(c);  // before the icons' look, which makes (and frees) bitmaps
    CountUser(c);
    c.privateKb = PrivateDirtyKb();
    c.serial = shared->serial + 1;
    std::memcpy(shared, &c, sizeof c);
    UnmapViewOfFile(shared);
  }
  CloseHandle(section);
}

}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK SoakCallWndProc(int code, WPARAM wParam, LPARAM lParam) {
  static const UINT countMessage = RegisterWindowMessageA(nimbrel::soak::kCountMessage);
  if (code == HC_ACTION && reinterpret_cast<const CWPSTRUCT*>(lParam)->message == countMessage) CountNow();
  return CallNextHookEx(nullptr, code, wParam, lParam);
}
