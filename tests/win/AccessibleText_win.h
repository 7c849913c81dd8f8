// What a screen reader's questions give back, as the tests and the probe
// read it: a child's id as the VARIANT Active Accessibility takes, and a
// returned BSTR as UTF-8 text (the string freed).
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <string>

namespace nimbrel::testing_win {

inline VARIANT ChildId(long id) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_I4;
  v.lVal = id;
  return v;
}

// The text, then freed; `ifNull` for no string at all.
inline std::string TakeUtf8(BSTR text, const char* ifNull = "") {
  if (!text) return ifNull;
  const int length = static_cast<int>(SysStringLen(text));
  const int n = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
  if (n > 0) WideCharToMultiByte(CP_UTF8, 0, text, length, out.data(), n, nullptr, nullptr);
  SysFreeString(text);
  return out;
}

}  // namespace nimbrel::testing_win
