// The self-delete script of the uninstall mode, written and started as the
// program starts it, run by the system's cmd on a scratch program folder
// whose dummy Nimbrel.exe the test holds open without sharing, as a running
// program holds its own executable. The script's folder (the temporary
// folder) is a scratch folder too.
#include <windows.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>

#include "setup/Uninstall_win.h"
#include "win/Paths_win.h"

namespace nimbrel {
namespace {

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool Running(DWORD pid) {
  HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
  if (process == nullptr) return false;
  const bool running = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
  CloseHandle(process);
  return running;
}

// The ping processes the script has started, each one second of waiting
// before it tries the executable again.
std::set<DWORD> RetryWaits(DWORD script) {
  std::set<DWORD> out;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return out;
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
    if (entry.th32ParentProcessID == script && lstrcmpiA(entry.szExeFile, "ping.exe") == 0) {
      out.insert(entry.th32ProcessID);
    }
  }
  CloseHandle(snapshot);
  return out;
}

// Polls `done` every 50 ms; false when it is still not true after `limitMs`.
bool WaitUntil(const std::function<bool()>& done, DWORD limitMs) {
  const ULONGLONG end = GetTickCount64() + limitMs;
  while (!done()) {
    if (GetTickCount64() > end) return false;
    Sleep(50);
  }
  return true;
}

// Removes what a failed run left behind, deepest first, whatever the
// names' script and the paths' length.
void RemoveTreeW(const std::wstring& path) {
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((L"\\\\?\\" + path + L"\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = found.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring child = path + L"\\" + name;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTreeW(child);
      } else {
        DeleteFileW((L"\\\\?\\" + child).c_str());
      }
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
  RemoveDirectoryW((L"\\\\?\\" + path).c_str());
}
void RemoveTree(const std::string& path) { RemoveTreeW(win::Widened(path)); }

// A scratch folder below the real temporary folder, removed at the end.
class SelfDeleteTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char temp[MAX_PATH] = {};
    ASSERT_NE(GetTempPathA(MAX_PATH, temp), 0u);
    base_ = std::string(temp) + "NimbrelSelfDelete-" + std::to_string(GetCurrentProcessId());
    RemoveTree(base_);
    ASSERT_TRUE(CreateDirectoryA(base_.c_str(), nullptr)) << base_;
  }
  void TearDown() override {
    if (lock_ != INVALID_HANDLE_VALUE) CloseHandle(lock_);
    if (script_ != 0 && Running(script_)) {
      // Ends only the script this test started.
      HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, script_);
      if (process != nullptr) {
        TerminateProcess(process, 1);
        CloseHandle(process);
      }
    }
    RemoveTree(base_);
  }

  // Makes the folder `name` below the scratch folder.
  std::string Folder(const std::string& name) {
    const std::string path = base_ + "\\" + name;
    EXPECT_TRUE(CreateDirectoryA(path.c_str(), nullptr)) << path;
    return path;
  }

  // A dummy executable, held open with no sharing until Unlock.
  void LockedFile(const std::string& path) {
    lock_ = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                        nullptr);
    ASSERT_NE(lock_, INVALID_HANDLE_VALUE) << path;
    DWORD written = 0;
    WriteFile(lock_, "MZ", 2, &written, nullptr);
    // Nobody else may open it, so nobody may delete it.
    EXPECT_FALSE(DeleteFileA(path.c_str()));
  }
  void Unlock() {
    CloseHandle(lock_);
    lock_ = INVALID_HANDLE_VALUE;
  }

  // Starts the script as the uninstall mode does, with `temp` as the
  // temporary folder; the test process's priorities are put back after.
  void Start(const std::string& exe, const std::string& folder, const std::string& temp) {
    char oldTmp[MAX_PATH] = {}, oldTemp[MAX_PATH] = {};
    GetEnvironmentVariableA("TMP", oldTmp, MAX_PATH);
    GetEnvironmentVariableA("TEMP", oldTemp, MAX_PATH);
    SetEnvironmentVariableA("TMP", temp.c_str());
    SetEnvironmentVariableA("TEMP", temp.c_str());
    script_ = StartSelfDelete(exe, folder);
    SetEnvironmentVariableA("TMP", oldTmp[0] ? oldTmp : nullptr);
    SetEnvironmentVariableA("TEMP", oldTemp[0] ? oldTemp : nullptr);
    SetPriorityClass(GetCurrentProcess(), NORMAL_PRIORITY_CLASS);
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_NORMAL);
  }

  // While the executable is held open, the script keeps trying: it waits a
  // second twice (two ping processes of its own), and the executable and
  // the script are still there all along.
  void ExpectRetrying(const std::string& exe, const std::string& scriptFile) {
    std::set<DWORD> waits;
    bool steady = true;
    const bool retried = WaitUntil(
        [&] {
          steady = steady && Exists(exe) && Exists(scriptFile) && Running(script_);
          for (DWORD wait : RetryWaits(script_)) waits.insert(wait);
          return !steady || waits.size() >= 2;
        },
        20000);
    EXPECT_TRUE(steady) << "the executable or the script went while the executable was held open";
    EXPECT_TRUE(retried) << "the script waited " << waits.size() << " times in 20 s";
    EXPECT_TRUE(Exists(exe));
    EXPECT_TRUE(Running(script_));
  }

  std::string base_;
  HANDLE lock_ = INVALID_HANDLE_VALUE;
  DWORD script_ = 0;
};

TEST_F(SelfDeleteTest, RemovesTheExecutableOnceLetGoThenTheFolderAndItself) {
  // Blanks, and everything cmd would take for an operator or a variable
  // outside quotes (the percent signs also inside them), in the program's
  // folder; the same in the temporary folder, but for the percent sign,
  // which the command line that starts the script can't carry.
  const struct {
    const char* folder;
    const char* temp;
  } cases[] = {
      {"Quarvel Calculator", "Temp"},
      {"R&D ^ 100% (x%PATH%y) %1!", "Local & ^ (Temp)!"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.folder);
    const std::string folder = Folder(c.folder);
    const std::string temp = Folder(c.temp);
    const std::string exe = folder + "\\Nimbrel.exe";
    const std::string scriptFile = temp + "\\DelUS.bat";
    LockedFile(exe);
    Start(exe, folder, temp);
    ASSERT_NE(script_, 0u) << "the script was not started";
    EXPECT_TRUE(Exists(scriptFile)) << "the script is not in the temporary folder";
    ExpectRetrying(exe, scriptFile);

    Unlock();
    EXPECT_TRUE(WaitUntil([&] { return !Running(script_); }, 30000)) << "the script did not end";
    EXPECT_FALSE(Exists(exe)) << "executable";
    EXPECT_FALSE(Exists(folder)) << "program folder";
    EXPECT_FALSE(Exists(scriptFile)) << "script";
    EXPECT_TRUE(Exists(temp)) << "the temporary folder stays";
    script_ = 0;
  }
}

bool ExistsW(const std::wstring& path) {
  return GetFileAttributesW((L"\\\\?\\" + path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Folders named in scripts the ANSI and OEM code pages lack, and nested
// beyond MAX_PATH: the program hands on its path as the ANSI calls take it
// (win::NarrowPath, as win::ModulePath does), and the script must still
// find the executable, the folder and itself.
TEST_F(SelfDeleteTest, FoldersInOtherScriptsAndBeyondMaxPath) {
  const std::wstring base = win::Widened(base_);
  const std::wstring script = L"\\\x0416\x043e\x0440\x0430 \x65e5\x672c";  // "Жора 日本"
  const struct {
    const char* what;
    std::wstring folder;  // below the scratch folder
    std::wstring temp;
  } cases[] = {
      {"non-ASCII", script + L"\\Quarvel", script + L"\\Temp \x0401"},
      {"beyond MAX_PATH", script + std::wstring(12, L'x') + L"\\" + std::wstring(120, L'd') + L"\\" +
                              std::wstring(120, L'e'), L"\\Temp"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::wstring folder = base + c.folder, temp = base + c.temp;
    for (const std::wstring& dir : {folder, temp}) {
      for (size_t cut = base.size() + 1; cut != std::wstring::npos; cut = dir.find(L'\\', cut + 1)) {
        CreateDirectoryW((L"\\\\?\\" + dir.substr(0, cut)).c_str(), nullptr);
      }
      CreateDirectoryW((L"\\\\?\\" + dir).c_str(), nullptr);
      ASSERT_TRUE(ExistsW(dir));
    }
    const std::wstring exeW = folder + L"\\Nimbrel.exe";
    HANDLE file = CreateFileW((L"\\\\?\\" + exeW).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
    const std::string exe = win::NarrowPath(exeW);
    const std::string programFolder = win::NarrowPath(folder);
    ASSERT_FALSE(exe.empty());
    EXPECT_LT(exe.size(), static_cast<size_t>(MAX_PATH)) << exe;
    EXPECT_TRUE(Exists(exe)) << "the ANSI calls find the executable by " << exe;

    wchar_t oldTemp[MAX_PATH] = {};
    GetEnvironmentVariableW(L"TEMP", oldTemp, MAX_PATH);
    SetEnvironmentVariableW(L"TMP", temp.c_str());
    SetEnvironmentVariableW(L"TEMP", temp.c_str());
    script_ = StartSelfDelete(exe, programFolder);
    SetEnvironmentVariableW(L"TMP", oldTemp);
    SetEnvironmentVariableW(L"TEMP", oldTemp);
    SetPriorityClass(GetCurrentProcess(), NORMAL_PRIORITY_CLASS);
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_NORMAL);
    ASSERT_NE(script_, 0u) << "the script was not started";
    EXPECT_TRUE(WaitUntil([&] { return !Running(script_); }, 30000)) << "the script did not end";
    EXPECT_FALSE(ExistsW(exeW)) << "executable";
    EXPECT_FALSE(ExistsW(folder)) << "program folder";
    EXPECT_FALSE(ExistsW(temp + L"\\DelUS.bat")) << "script";
    script_ = 0;
  }
}

TEST_F(SelfDeleteTest, AFolderWithTheUsersOwnFilesStays) {
  const std::string folder = Folder("Quarvel");
  const std::string temp = Folder("Temp");
  const std::string exe = folder + "\\Nimbrel.exe";
  const std::string mine = folder + "\\my notes.txt";
  HANDLE notes = CreateFileA(mine.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(notes, INVALID_HANDLE_VALUE);
  CloseHandle(notes);
  LockedFile(exe);
  Start(exe, folder, temp);
  ASSERT_NE(script_, 0u);
  ExpectRetrying(exe, temp + "\\DelUS.bat");

  Unlock();
  EXPECT_TRUE(WaitUntil([&] { return !Running(script_); }, 30000)) << "the script did not end";
  EXPECT_FALSE(Exists(exe));
  EXPECT_TRUE(Exists(mine));
  EXPECT_TRUE(Exists(folder));
  EXPECT_FALSE(Exists(temp + "\\DelUS.bat"));
}

}  // namespace
}  // namespace nimbrel
