// A function of a system DLL looked up at run time, its DLL loaded on the
// first look-up: for functions that older Windows lack, and for DLLs that
// the first frame doesn't need (shell32, ole32 and winmm cost the start
// time and memory when the exe imports them). Give the type as
// decltype(&::Function): that names the function without importing it.
#pragma once

#include <windows.h>

namespace nimbrel::win {

// nullptr when the DLL or the function is missing.
template <class F>
F SystemFunction(const char* dll, const char* name) {
  HMODULE module = GetModuleHandleA(dll);
  if (!module) module = LoadLibraryA(dll);
  return module ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

}  // namespace nimbrel::win
