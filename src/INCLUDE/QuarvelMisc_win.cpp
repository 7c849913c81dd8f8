#include "INCLUDE/QuarvelMisc_win.h"

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cstdio>

#include "win/Paths_win.h"
#include "win/SystemFunction_win.h"

namespace nimbrel {

namespace {

// COM and the shell's folders, loaded with the first link made or deleted
// rather than with the program.
template <class F>
F Ole32(const char* name) {
  return win::SystemFunction<F>("ole32.dll", name);
}
template <class F>
F Shell32(const char* name) {
  return win::SystemFunction<F>("shell32.dll", name);
}

constexpr const char* kSourceFile = "src\\INCLUDE\\QuarvelMisc_win.cpp";

// The Win32 error code inside an HRESULT, where it carries one.
DWORD ErrorCodeOf(HRESULT result) {
  return HRESULT_FACILITY(result) == FACILITY_WIN32 ? HRESULT_CODE(result) : static_cast<DWORD>(result);
}

// COM for the calling thread, for as long as this lives.
class ComScope {
 public:
  ComScope() {
    static const auto initialize = Ole32<decltype(&::CoInitialize)>("CoInitialize");
    ok_ = initialize && SUCCEEDED(initialize(nullptr));
  }
  ~ComScope() {
    static const auto uninitialize = Ole32<decltype(&::CoUninitialize)>("CoUninitialize");
    if (ok_ && uninitialize) uninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;

 private:
  bool ok_ = false;
};

template <class I>
class ComPtr {
 public:
  ComPtr() = default;
  ~ComPtr() {
    if (p_) p_->Release();
  }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  I** put() { return &p_; }
  I* operator->() const { return p_; }

 private:
  I* p_ = nullptr;
};

}  // namespace

std::wstring SpecialFolderPathW(int folderId, bool create, HRESULT* failure) {
  static const auto folderPath = Shell32<decltype(&::SHGetFolderPathW)>("SHGetFolderPathW");
  // The desktop as a folder of files, not the shell's namespace root.
  const int csidl = folderId == kDesktopFolder ? CSIDL_DESKTOPDIRECTORY : folderId;
  wchar_t path[MAX_PATH] = {};
  const HRESULT result = folderPath ? folderPath(nullptr, csidl | (create ? CSIDL_FLAG_CREATE : 0), nullptr,
                                                 SHGFP_TYPE_CURRENT, path)
                                    : HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);
  if (failure) *failure = result;
  if (FAILED(result) || result == S_FALSE) return L"";
  return path;
}

std::string SpecialFolderPath(int folderId) { return win::NarrowPath(SpecialFolderPathW(folderId, false)); }

namespace {

// Writes the link file; false, with the system's error shown, when it can't.
bool SaveLink(const std::wstring& target, const std::wstring& linkName, const std::wstring& path) {
  ComPtr<IShellLinkW> link;
  static const auto create = Ole32<decltype(&::CoCreateInstance)>("CoCreateInstance");
  HRESULT result = create ? create(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   reinterpret_cast<void**>(link.put()))
                          : HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);
  if (FAILED(result)) {
    ErrorReport(__LINE__, kSourceFile, ErrorCodeOf(result));
    return false;
  }
  link->SetPath(target.c_str());
  link->SetDescription(linkName.c_str());
  ComPtr<IPersistFile> file;
  result = link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(file.put()));
  if (FAILED(result)) {
    ErrorReport(__LINE__, kSourceFile, ErrorCodeOf(result));
    return false;
  }
  result = file->Save(path.c_str(), TRUE);
  if (FAILED(result)) {
    ErrorReport(__LINE__, kSourceFile, ErrorCodeOf(result));
    return false;
  }
  return true;
}

}  // namespace

bool CreateLink(const std::wstring& target, const std::string& linkName, int folderId) {
  ComScope com;
  // A Startup folder that doesn't exist yet is made; one that can't be
  // (a file stands in its place, no rights) is reported with the system's
  // text.
  HRESULT failure = S_OK;
  const std::wstring folder = SpecialFolderPathW(folderId, true, &failure);
  if (folder.empty()) {
    ErrorReport(__LINE__, kSourceFile, FAILED(failure) ? ErrorCodeOf(failure) : ERROR_PATH_NOT_FOUND);
    return false;
  }
  const std::wstring name = win::Widened(linkName);
  return SaveLink(target, name, folder + L"\\" + name);
}

bool CreateLink(const std::string& target, const std::string& linkName, int folderId) {
  return CreateLink(win::Widened(target), linkName, folderId);
}

bool DeleteLink(HWND, const std::string& linkName, int folderId) {
  const std::wstring folder = SpecialFolderPathW(folderId, false);
  if (folder.empty()) return false;
  return DeleteFileW((folder + L"\\" + win::Widened(linkName)).c_str()) != FALSE;
}

namespace {
ReportShower reportShower = nullptr;
void ShowReport(const char* text, const char* caption) {
  if (reportShower) {
    reportShower(text, caption);
  } else {
    MessageBoxA(nullptr, text, caption, MB_OK | MB_ICONWARNING);
  }
}
}  // namespace

void SetReportShower(ReportShower shower) { reportShower = shower; }

void ErrorReport(int line, const char* file, DWORD code) {
  if (code == 0) code = GetLastError();
  char* text = nullptr;
  const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ALLOCATE_BUFFER, nullptr, code,
                                      0x0409, reinterpret_cast<char*>(&text), 0, nullptr);
  if (length != 0 && text) {
    char caption[256];
    std::snprintf(caption, sizeof caption, "Generic, Line=%u, File=%s", static_cast<unsigned>(line & 0xFFFF), file);
    ShowReport(text, caption);
    LocalFree(text);
    return;
  }
  char message[128];
  std::snprintf(message, sizeof message, "An error occured calling FormatMessage().Error Code %lu",
                static_cast<unsigned long>(GetLastError()));
  ShowReport(message, "Generic");
}

}  // namespace nimbrel
