// File paths between the system's UTF-16 and the ANSI functions the
// program calls. A path in the ANSI code page loses the characters that
// page lacks (a folder named in another script), and ANSI calls take no
// more than MAX_PATH characters; either way the path's short 8.3 form,
// which names the same file in plain characters, is handed on instead.
#pragma once

#include <windows.h>

#include <string>

namespace nimbrel::win {

// `path` in code page `codePage`, or "" when a character of it has no
// place there.
inline std::string InCodePage(const std::wstring& path, UINT codePage) {
  if (path.empty()) return "";
  BOOL lossy = FALSE;
  const int n = WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, path.c_str(), static_cast<int>(path.size()),
                                    nullptr, 0, nullptr, &lossy);
  if (n <= 0 || lossy) return "";
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, path.c_str(), static_cast<int>(path.size()), out.data(), n,
                      nullptr, &lossy);
  return lossy ? "" : out;
}

// The short 8.3 form of an existing file or folder; the path itself when
// the system has none for it.
inline std::wstring ShortPath(const std::wstring& path) {
  // A path of MAX_PATH or more is asked for with the \\?\ prefix, which
  // lifts the limit, and the answer is given back without it.
  const std::wstring prefix = L"\\\\?\\";
  const bool drivePath = path.size() > 2 && path[1] == L':';
  const bool prefixed = path.size() >= MAX_PATH && drivePath;
  const std::wstring asked = prefixed ? prefix + path : path;
  DWORD size = GetShortPathNameW(asked.c_str(), nullptr, 0);
  if (size == 0) return path;
  std::wstring out(size, L'\0');
  size = GetShortPathNameW(asked.c_str(), out.data(), size);
  if (size == 0 || size >= out.size()) return path;
  out.resize(size);
  if (prefixed && out.compare(0, prefix.size(), prefix) == 0) out.erase(0, prefix.size());
  return out;
}

// The path as an ANSI (or, with CP_OEMCP, a console) call takes it: as it
// is when every character fits the code page and it is shorter than
// MAX_PATH, otherwise its short form. "" when neither will do.
inline std::string NarrowPath(const std::wstring& path, UINT codePage = CP_ACP) {
  std::string whole = InCodePage(path, codePage);
  if (!whole.empty() && whole.size() < MAX_PATH) return whole;
  std::string shortForm = InCodePage(ShortPath(path), codePage);
  if (!shortForm.empty()) return shortForm;
  return whole;  // no short form: as long as it is, the caller's call may still take it
}

inline std::wstring Widened(const std::string& text, UINT codePage = CP_ACP) {
  if (text.empty()) return L"";
  const int n = MultiByteToWideChar(codePage, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(n > 0 ? n : 0), L'\0');
  if (n > 0) MultiByteToWideChar(codePage, 0, text.c_str(), static_cast<int>(text.size()), out.data(), n);
  return out;
}

// UTF-16 text as UTF-8.
inline std::string Utf8(const std::wstring& text) {
  if (text.empty()) return "";
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
  if (n > 0) WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
  return out;
}

}  // namespace nimbrel::win
