// The running program's own file.
#pragma once

#include <windows.h>

#include <string>

#include "win/Paths_win.h"

namespace nimbrel::win {

// The executable's full path, whole however long it is.
inline std::wstring ModulePathW() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return L"";
    if (n < path.size()) {
      path.resize(n);
      return path;
    }
    path.resize(path.size() * 2);  // cut short: the buffer was too small
  }
}

// The executable's full path as the ANSI calls take it: its short form when
// the ANSI code page lacks a character of it or it reaches MAX_PATH.
inline std::string ModulePath() { return NarrowPath(ModulePathW()); }

}  // namespace nimbrel::win
