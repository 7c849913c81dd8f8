// The keyboard's Calculator key: Windows runs the command stored under
// HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\AppKey\18 as
// "ShellExecute". Ours is the exe's full path in quotes and " -show".
#pragma once

#include <string>

namespace nimbrel::win {

// The command the key runs for this program.
std::wstring CalculatorKeyCommand(const std::wstring& exePath);

// On: the key opens this program. Off: the value goes, but only while it
// still names this program (another may have taken the key since).
void SetCalculatorKey(bool on, const std::wstring& exePath);

}  // namespace nimbrel::win
