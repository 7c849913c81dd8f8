#include "win/CalculatorKey_win.h"

#include <windows.h>

namespace nimbrel::win {

namespace {

constexpr const wchar_t* kAppKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\AppKey\\18";
constexpr const wchar_t* kValue = L"ShellExecute";

}  // namespace

std::wstring CalculatorKeyCommand(const std::wstring& exePath) { return L"\"" + exePath + L"\" -show"; }

void SetCalculatorKey(bool on, const std::wstring& exePath) {
  const std::wstring command = CalculatorKeyCommand(exePath);
  HKEY key = nullptr;
  if (on) {
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kAppKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS) {
      return;
    }
    RegSetValueExW(key, kValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                   static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
    return;
  }
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kAppKey, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
  wchar_t stored[2 * MAX_PATH + 16] = {};
  DWORD type = 0, size = sizeof stored - sizeof(wchar_t);
  if (RegQueryValueExW(key, kValue, nullptr, &type, reinterpret_cast<BYTE*>(stored), &size) == ERROR_SUCCESS &&
      (type == REG_SZ || type == REG_EXPAND_SZ) && lstrcmpiW(stored, command.c_str()) == 0) {
    RegDeleteValueW(key, kValue);
  }
  RegCloseKey(key);
}

}  // namespace nimbrel::win
