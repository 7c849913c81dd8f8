#include "forms/TapeFile_win.h"

#include <windows.h>

#include "INCLUDE/QuarvelMisc_win.h"
#include "win/Paths_win.h"

namespace nimbrel {

namespace {

constexpr int kLocalAppData = 0x001C;  // CSIDL_LOCAL_APPDATA
// Of a file larger than this only the end is read: the newest steps.
constexpr LONGLONG kReadLimit = 1 << 20;

std::wstring Folder(int levels) {
  std::wstring folder = SpecialFolderPathW(kLocalAppData);
  if (folder.empty()) return L"";
  folder += L"\\Quarvel";
  if (levels > 1) folder += L"\\Nimbrel";
  return folder;
}

// The system's words for an error code, without the full stop and line
// break it ends in.
std::string SystemWords(DWORD code) {
  wchar_t* text = nullptr;
  const DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ALLOCATE_BUFFER |
                                     FORMAT_MESSAGE_IGNORE_INSERTS,
                                 nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring words = n && text ? std::wstring(text, n) : L"error " + std::to_wstring(code);
  if (text) LocalFree(text);
  while (!words.empty() && (words.back() == L'\n' || words.back() == L'\r' || words.back() == L' ' || words.back() == L'.')) {
    words.pop_back();  // set in a sentence of ours
  }
  return win::Utf8(words);
}

std::string Why(const char* what, const std::wstring& path, const std::string& words) {
  return "The tape isn't kept on disk: " + win::Utf8(path) + " can't be " + what + " (" + words +
         "). It goes on here until the calculator ends.";
}

std::string Why(const char* what, const std::wstring& path, DWORD code = GetLastError()) {
  return Why(what, path, SystemWords(code));
}

// Writes all of `text` to an open file; false when the system wrote less.
bool WriteAll(HANDLE file, const std::string& text) {
  DWORD written = 0;
  return WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) && written == text.size();
}

// Makes the Quarvel and Nimbrel folders where they are missing.
void MakeFolders() {
  CreateDirectoryW(Folder(1).c_str(), nullptr);
  CreateDirectoryW(Folder(2).c_str(), nullptr);
}

std::string ReadOpen(HANDLE file, std::string& text) {
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file, &size)) return "read";
  LARGE_INTEGER from{};
  from.QuadPart = size.QuadPart > kReadLimit ? size.QuadPart - kReadLimit : 0;
  if (!SetFilePointerEx(file, from, nullptr, FILE_BEGIN)) return "read";
  text.assign(static_cast<size_t>(size.QuadPart - from.QuadPart), '\0');
  DWORD read = 0;
  if (!text.empty() && !ReadFile(file, text.data(), static_cast<DWORD>(text.size()), &read, nullptr)) return "read";
  text.resize(read);
  // Begun inside a line: that line is not whole.
  if (from.QuadPart > 0) text.erase(0, text.find('\n') == std::string::npos ? text.size() : text.find('\n') + 1);
  return "";
}

}  // namespace

std::wstring TapeFilePath() {
  const std::wstring folder = Folder(2);
  return folder.empty() ? L"" : folder + L"\\Tape.txt";
}

std::string DiskTapeFile::Read(std::string& text) {
  const std::wstring path = TapeFilePath();
  if (path.empty()) return Why("found", L"Tape.txt", ERROR_PATH_NOT_FOUND);
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    const DWORD code = GetLastError();
    if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND) return "";  // nothing kept yet
    return Why("read", path, code);
  }
  const std::string failed = ReadOpen(file, text);
  const DWORD code = GetLastError();
  CloseHandle(file);
  return failed.empty() ? "" : Why("read", path, code);
}

std::string DiskTapeFile::Append(const std::string& text) {
  const std::wstring path = TapeFilePath();
  if (path.empty()) return Why("written", L"Tape.txt", ERROR_PATH_NOT_FOUND);
  MakeFolders();
  HANDLE file = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return Why("written", path);
  const bool complete = WriteAll(file, text);
  const DWORD code = GetLastError();
  CloseHandle(file);
  return complete ? "" : Why("written", path, code);
}

std::string DiskTapeFile::Rewrite(const std::string& text) {
  const std::wstring path = TapeFilePath();
  if (path.empty()) return Why("written", L"Tape.txt", ERROR_PATH_NOT_FOUND);
  MakeFolders();
  // Written beside it, then put in its place: killed halfway, the old file stays.
  const std::wstring fresh = path + L".new";
  if (std::string words = WriteWholeFile(fresh, text); !words.empty()) return Why("written", path, words);
  if (!MoveFileExW(fresh.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    const DWORD code = GetLastError();
    DeleteFileW(fresh.c_str());
    return Why("written", path, code);
  }
  return "";
}

void DiskTapeFile::Remove() { RemoveTapeFile(); }

void RemoveTapeFile() {
  const std::wstring path = TapeFilePath();
  if (path.empty()) return;
  DeleteFileW(path.c_str());
  DeleteFileW((path + L".new").c_str());
  RemoveDirectoryW(Folder(2).c_str());  // only when empty
  RemoveDirectoryW(Folder(1).c_str());
}

std::string WriteWholeFile(const std::wstring& path, const std::string& text) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return SystemWords(GetLastError());
  const bool complete = WriteAll(file, text) && FlushFileBuffers(file);
  const DWORD code = GetLastError();
  CloseHandle(file);
  return complete ? "" : SystemWords(code);
}

}  // namespace nimbrel
