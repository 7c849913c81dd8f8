// DLLs of Windows' own, only ever from the system folder. Windows looks for a
// DLL that is not on its short list of known DLLs in the program's own folder
// first: a program started from a Downloads folder would otherwise load a
// winmm.dll or version.dll that a web page left beside it, and run its code.
//
// SystemFunction: a function of a system DLL looked up at run time, its DLL
// loaded on the first look-up, for functions that older Windows lack and for
// DLLs that the first frame doesn't need (shell32, ole32 and winmm cost the
// start time and memory when the exe imports them). Give the type as
// decltype(&::Function): that names the function without importing it.
#pragma once

#include <windows.h>

#include <string>

namespace nimbrel::win {

// The program entry's first act: every DLL loaded after it, also those that
// system DLLs load in turn, comes from the system folder. Where Windows
// lacks the call (Windows 7 without its 2011 update), the current folder at
// least leaves the search.
inline void RestrictDllSearchToSystem() {
  using SetDirectories = BOOL(WINAPI*)(DWORD);
  const auto set = reinterpret_cast<SetDirectories>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
  if (!set || !set(LOAD_LIBRARY_SEARCH_SYSTEM32)) SetDllDirectoryW(L"");
}

// The system folder's own path of a file, or "" when it can't be had.
inline std::wstring SystemPath(const wchar_t* file) {
  wchar_t folder[MAX_PATH];
  const UINT n = GetSystemDirectoryW(folder, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return L"";
  return std::wstring(folder, n) + L"\\" + file;
}

// The DLL of that name from the system folder (nullptr when it isn't there).
inline HMODULE LoadSystemDll(const char* dll) {
  const std::wstring name(dll, dll + lstrlenA(dll));  // (our names are ASCII)
  if (HMODULE loaded = GetModuleHandleW(name.c_str())) return loaded;
  if (HMODULE module = LoadLibraryExW(name.c_str(), nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)) return module;
  if (GetLastError() != ERROR_INVALID_PARAMETER) return nullptr;
  // A system that doesn't know the flag: the full path, so the search
  // never starts.
  const std::wstring path = SystemPath(name.c_str());
  return path.empty() ? nullptr : LoadLibraryW(path.c_str());
}

// nullptr when the DLL or the function is missing.
template <class F>
F SystemFunction(const char* dll, const char* name) {
  HMODULE module = LoadSystemDll(dll);
  return module ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

}  // namespace nimbrel::win
