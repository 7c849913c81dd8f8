#include "setup/Uninstall_win.h"

#include <windows.h>

#include "INCLUDE/QuarvelMisc_win.h"
#include "app/Caption.h"
#include "setup/Uninstall.h"
#include "settings/Win32Registry_win.h"

namespace nimbrel {

namespace {

class WindowsUninstallShell : public UninstallShell {
 public:
  bool ConfirmUninstall() override {
    return MessageBoxA(nullptr, "Are You sure you wish to Uninstall Quarvel Calculator", kCaption,
                       MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
  }
  void ReportCancelled() override { MessageBoxA(nullptr, "Uninstall Canceled", kCaption, MB_OK | MB_ICONINFORMATION); }
  void DeleteLink(int folderId) override { nimbrel::DeleteLink(nullptr, kLinkFileName, folderId); }
  void RemoveFile(const std::string& path) override { DeleteFileA(path.c_str()); }

  void StartSelfDelete(const std::string& exePath, const std::string& folder) override {
    nimbrel::StartSelfDelete(exePath, folder);
  }
};

}  // namespace

unsigned long StartSelfDelete(const std::string& exePath, const std::string& folder) {
  // The script goes to the temporary folder: the root of the drive is
  // closed to ordinary users, and the script must not stand in the folder
  // it removes.
  char temp[MAX_PATH] = {};
  const DWORD length = GetTempPathA(MAX_PATH, temp);
  if (length == 0 || length >= MAX_PATH) return 0;
  std::string directory = temp;
  if (!directory.empty() && directory.back() == '\\') directory.pop_back();
  const std::string scriptPath = directory + "\\DelUS.bat";
  const std::string script = SelfDeleteScript(exePath, folder, scriptPath);

  HANDLE file = CreateFileA(scriptPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 0;  // the executable and its folder stay
  DWORD written = 0;
  const bool complete = WriteFile(file, script.data(), static_cast<DWORD>(script.size()), &written, nullptr) &&
                        written == script.size();
  CloseHandle(file);
  if (!complete) return 0;

  char shell[MAX_PATH] = "cmd.exe";
  GetEnvironmentVariableA("COMSPEC", shell, MAX_PATH);
  std::string command = "\"" + std::string(shell) + "\" /c \"\"" + scriptPath + "\"\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED | IDLE_PRIORITY_CLASS,
                      nullptr, directory.c_str(), &startup, &process)) {
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
