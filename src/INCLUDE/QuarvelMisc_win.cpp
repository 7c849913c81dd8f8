#include "INCLUDE/QuarvelMisc_win.h"

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cstdio>

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

std::string SpecialFolderPath(int folderId) {
  static const auto location = Shell32<decltype(&::SHGetSpecialFolderLocation)>("SHGetSpecialFolderLocation");
  static const auto pathOf = Shell32<decltype(&::SHGetPathFromIDListA)>("SHGetPathFromIDListA");
  static const auto freeItems = Ole32<decltype(&::CoTaskMemFree)>("CoTaskMemFree");
  LPITEMIDLIST items = nullptr;
  if (!location || !pathOf || !freeItems || FAILED(location(nullptr, folderId, &items)) || !items) return "";
  char path[MAX_PATH] = {};
  const bool found = pathOf(items, path) != FALSE;
  freeItems(items);
  return found ? path : "";
}

void CreateLink(const std::string& target, const std::string& linkName, int folderId) {
  ComScope com;
  const std::string folder = SpecialFolderPath(folderId);
  if (folder.empty()) {
    ErrorReport(__LINE__, kSourceFile, ERROR_PATH_NOT_FOUND);
    return;
  }
  const std::string path = folder + "\\" + linkName;
  ComPtr<IShellLinkA> link;
  static const auto create = Ole32<decltype(&::CoCreateInstance)>("CoCreateInstance");
  HRESULT result = create ? create(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   reinterpret_cast<void**>(link.put()))
                          : HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);
  if (FAILED(result)) {
    ErrorReport(__LINE__, kSourceFile, ErrorCodeOf(result));
    return;
  }
  link->SetPath(target.c_str());
  link->SetDescription(linkName.c_str());
  ComPtr<IPersistFile> file;
  result = link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(file.put()));
  if (FAILED(result)) {
    ErrorReport(__LINE__, kSourceFile, ErrorCodeOf(result));
    return;
  }
  wchar_t widePath[MAX_PATH] = {};
  if (MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, widePath, MAX_PATH) == 0) {
    ErrorReport(__LINE__, kSourceFile);
    return;
  }
  result = file->Save(widePath, TRUE);
  if (FAILED(result)) ErrorReport(__LINE__, kSourceFile, ErrorCodeOf(result));
}

bool DeleteLink(HWND, const std::string& linkName, int folderId) {
  const std::string folder = SpecialFolderPath(folderId);
  if (folder.empty()) return false;
  return DeleteFileA((folder + "\\" + linkName).c_str()) != FALSE;
}

void ErrorReport(int line, const char* file, DWORD code) {
  if (code == 0) code = GetLastError();
  char* text = nullptr;
  const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ALLOCATE_BUFFER, nullptr, code,
                                      0x0409, reinterpret_cast<char*>(&text), 0, nullptr);
  if (length != 0 && text) {
    char caption[256];
    std::snprintf(caption, sizeof caption, "Generic, Line=%u, File=%s", static_cast<unsigned>(line & 0xFFFF), file);
    MessageBoxA(nullptr, text, caption, MB_OK | MB_ICONWARNING);
    LocalFree(text);
    return;
  }
  char message[128];
  std::snprintf(message, sizeof message, "An error occured calling FormatMessage().Error Code %lu",
                static_cast<unsigned long>(GetLastError()));
  MessageBoxA(nullptr, message, "Generic", MB_OK | MB_ICONWARNING);
}

}  // namespace nimbrel
