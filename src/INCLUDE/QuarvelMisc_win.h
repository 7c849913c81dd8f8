// Shell links in the user's special folders (the start-up shortcut, the
// desktop), and the system's error report for a failed shell call.
#pragma once

#include <windows.h>

#include <string>

namespace nimbrel {

inline constexpr const char* kLinkFileName = "Quarvel Calculator.lnk";
inline constexpr int kStartupFolder = 7;  // CSIDL_STARTUP
inline constexpr int kDesktopFolder = 0;  // CSIDL_DESKTOP

// The file-system path of a special folder, or "" when it has none. With
// `create`, a missing folder is made. `failure`, when given, gets the
// system's answer.
std::wstring SpecialFolderPathW(int folderId, bool create = false, HRESULT* failure = nullptr);
// The same as the ANSI calls take it (its short form where needed).
std::string SpecialFolderPath(int folderId);

// Writes (or overwrites) folder\linkName pointing at `target`, with the
// link file name as its description, making the folder when it is missing.
// A failure is shown with ErrorReport. True when the link was written.
bool CreateLink(const std::wstring& target, const std::string& linkName, int folderId);
bool CreateLink(const std::string& target, const std::string& linkName, int folderId);

// Deletes folder\linkName; a missing file is no error. Returns whether a
// file was deleted.
bool DeleteLink(HWND owner, const std::string& linkName, int folderId);

// Where ErrorReport shows its message: a message box with no owner and
// the warning icon, unless a function of the caller's is set (nullptr puts
// the message box back).
using ReportShower = void (*)(const char* text, const char* caption);
void SetReportShower(ReportShower shower);

// A message box with the system's text for `code` (the thread's last error
// when 0), captioned with where the failure was found.
void ErrorReport(int line, const char* file, DWORD code = 0);

}  // namespace nimbrel
