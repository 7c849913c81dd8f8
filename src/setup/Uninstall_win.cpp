#include "setup/Uninstall_win.h"

#include <windows.h>

#include "INCLUDE/QuarvelMisc_win.h"
#include "forms/TapeFile_win.h"
#include "app/Caption.h"
#include "setup/Uninstall.h"
#include "settings/Win32Registry_win.h"
#include "win/CalculatorKey_win.h"
#include "win/Module_win.h"
#include "win/Paths_win.h"
#include "win/SystemFunction_win.h"

namespace nimbrel {

namespace {

class WindowsUninstallShell : public UninstallShell {
 public:
  bool ConfirmUninstall() override {
    return MessageBoxA(nullptr, "Are You sure you wish to Uninstall Quarvel Calculator", kCaption,
                       MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
  }
  void RemoveCalculatorKey() override { win::SetCalculatorKey(false, win::ModulePathW()); }
  void RemoveTape() override { RemoveTapeFile(); }
  void ReportCancelled() override { MessageBoxA(nullptr, "Uninstall Canceled", kCaption, MB_OK | MB_ICONINFORMATION); }
  void DeleteLink(int folderId) override { nimbrel::DeleteLink(nullptr, kLinkFileName, folderId); }
  void RemoveFile(const std::string& path) override { DeleteFileA(path.c_str()); }

  void StartSelfDelete(const std::string& exePath, const std::string& folder) override {
    nimbrel::StartSelfDelete(exePath, folder);
  }
};

}  // namespace

namespace {

// Writes the script; false when it can't be.
bool WriteScript(const std::wstring& path, const std::string& script) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool complete = WriteFile(file, script.data(), static_cast<DWORD>(script.size()), &written, nullptr) &&
                        written == script.size();
  CloseHandle(file);
  return complete;
}

// The temporary folder, without its final backslash.
std::wstring TempFolder() {
  std::wstring temp(MAX_PATH + 1, L'\0');
  DWORD n = GetTempPathW(static_cast<DWORD>(temp.size()), temp.data());
  if (n >= temp.size()) {
    temp.resize(n + 1);
    n = GetTempPathW(static_cast<DWORD>(temp.size()), temp.data());
  }
  if (n == 0 || n >= temp.size()) return L"";
  temp.resize(n);
  if (!temp.empty() && temp.back() == L'\\') temp.pop_back();
  return temp;
}

}  // namespace

unsigned long StartSelfDelete(const std::string& exePath, const std::string& folder) {
  // The script goes to the temporary folder: the root of the drive is
  // closed to ordinary users, and the script must not stand in the folder
  // it removes.
  const std::wstring directory = TempFolder();
  if (directory.empty()) return 0;
  const std::wstring scriptPath = directory + L"\\DelUS.bat";
  if (!WriteScript(scriptPath, "")) return 0;  // there, so that it has a short form
  // cmd reads a batch file in the OEM code page: each path in that page,
  // or as its short form where the page lacks a character of it.
  const std::string oemExe = win::NarrowPath(win::Widened(exePath), CP_OEMCP);
  const std::string oemFolder = win::NarrowPath(win::Widened(folder), CP_OEMCP);
  const std::string oemScript = win::NarrowPath(scriptPath, CP_OEMCP);
  if (oemExe.empty() || oemFolder.empty() || oemScript.empty()) return 0;
  if (!WriteScript(scriptPath, SelfDeleteScript(oemExe, oemFolder, oemScript))) return 0;

  // cmd by its full path in the system folder: not COMSPEC (anyone's to
  // set) and not a bare name, which CreateProcess looks for in the
  // program's own folder first. No console window: on Windows 11 the
  // default terminal shows one for a hidden console program.
  const std::wstring shell = win::SystemPath(L"cmd.exe");
  if (shell.empty()) return 0;
  std::wstring command = L"\"" + shell + L"\" /c \"\"" + scriptPath + L"\"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(shell.c_str(), command.data(), nullptr, nullptr, FALSE,
                      CREATE_SUSPENDED | IDLE_PRIORITY_CLASS | CREATE_NO_WINDOW, nullptr, directory.c_str(), &startup,
                      &process)) {
    return 0;
  }
  // The script waits at idle priority while this process hurries to end.
  SetThreadPriority(process.hThread, THREAD_PRIORITY_IDLE);
  SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL);
  SetPriorityClass(GetCurrentProcess(), HIGH_PRIORITY_CLASS);
  CloseHandle(process.hProcess);
  ResumeThread(process.hThread);
  CloseHandle(process.hThread);
  return process.dwProcessId;
}

void RunUninstall(const std::string& exePath) {
  Win32Registry registry;
  WindowsUninstallShell shell;
  Uninstall(registry, shell, exePath);
}

}  // namespace nimbrel
