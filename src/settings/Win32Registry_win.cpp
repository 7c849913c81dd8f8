#include "settings/Win32Registry_win.h"

#include <windows.h>

#include <utility>

namespace nimbrel {

static_assert(kRegNone == REG_NONE && kRegSz == REG_SZ && kRegExpandSz == REG_EXPAND_SZ &&
              kRegBinary == REG_BINARY && kRegDword == REG_DWORD && kRegMultiSz == REG_MULTI_SZ && kRegQword == REG_QWORD);

namespace {

// One open registry key, closed when the owner lets go of it.
class KeyHandle {
 public:
  KeyHandle() = default;
  explicit KeyHandle(HKEY key) : key_(key) {}
  ~KeyHandle() { Reset(); }
  KeyHandle(KeyHandle&& other) noexcept : key_(std::exchange(other.key_, nullptr)) {}
  KeyHandle& operator=(KeyHandle&& other) noexcept {
    if (this != &other) Reset(std::exchange(other.key_, nullptr));
    return *this;
  }
  KeyHandle(const KeyHandle&) = delete;
  KeyHandle& operator=(const KeyHandle&) = delete;

  HKEY Get() const { return key_; }
  void Reset(HKEY key = nullptr) {
    if (key_ != nullptr) RegCloseKey(key_);
    key_ = key;
  }

 private:
  HKEY key_ = nullptr;
};

// Opens or creates `path` below `base` with full access; null on failure.
KeyHandle Open(HKEY base, const std::string& path, bool create) {
  HKEY key = nullptr;
  const LONG rc =
      create ? RegCreateKeyExA(base, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                               KEY_ALL_ACCESS, nullptr, &key, nullptr)
             : RegOpenKeyExA(base, path.c_str(), 0, KEY_ALL_ACCESS, &key);
  return KeyHandle(rc == ERROR_SUCCESS ? key : nullptr);
}

}  // namespace

struct Win32Registry::Impl {
  std::string scratch;  // empty: the real roots
  RootKey root = RootKey::CurrentUser;
  KeyHandle standIn;    // the stand-in for `root` below the scratch key, once opened
  KeyHandle current;

  // The handle of the root; null when a stand-in root can't be created.
  HKEY Root() {
    if (scratch.empty()) return root == RootKey::CurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
    if (standIn.Get() == nullptr) {
      const char* name = root == RootKey::CurrentUser ? "CurrentUser" : "LocalMachine";
      standIn = Open(HKEY_CURRENT_USER, scratch + "\\" + name, true);
    }
    return standIn.Get();
  }
};

Win32Registry::Win32Registry() : impl_(std::make_unique<Impl>()) {}

Win32Registry::Win32Registry(const std::string& scratch) : impl_(std::make_unique<Impl>()) {
  impl_->scratch = scratch;
}

Win32Registry::~Win32Registry() = default;

void Win32Registry::SetRootKey(RootKey root) {
  impl_->current.Reset();
  if (root != impl_->root) impl_->standIn.Reset();
  impl_->root = root;
}

RootKey Win32Registry::GetRootKey() const { return impl_->root; }

bool Win32Registry::OpenKey(const std::string& path, bool canCreate) {
  const bool fromRoot = impl_->current.Get() == nullptr || (!path.empty() && path.front() == '\\');
  std::string relative = path;
  while (!relative.empty() && relative.front() == '\\') relative.erase(0, 1);
  while (!relative.empty() && relative.back() == '\\') relative.pop_back();
  const HKEY base = fromRoot ? impl_->Root() : impl_->current.Get();
  if (base == nullptr) return false;
  KeyHandle key = Open(base, relative, canCreate);
  if (key.Get() == nullptr) return false;
  impl_->current = std::move(key);
  return true;
}

namespace {

// RegDeleteKey removes only keys without subkeys: the subkeys go first.
bool DeleteTree(HKEY parent, const std::string& name) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(parent, name.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return false;
  char child[256];
  for (;;) {
    DWORD length = sizeof child;
    if (RegEnumKeyExA(key, 0, child, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    if (!DeleteTree(key, child)) break;
  }
  RegCloseKey(key);
  return RegDeleteKeyA(parent, name.c_str()) == ERROR_SUCCESS;
}

}  // namespace

bool Win32Registry::DeleteKey(const std::string& name) {
  return impl_->current.Get() != nullptr && !name.empty() && DeleteTree(impl_->current.Get(), name);
}

void Win32Registry::CloseKey() { impl_->current.Reset(); }

bool Win32Registry::HasCurrentKey() const { return impl_->current.Get() != nullptr; }

bool Win32Registry::QueryInfo(const std::string& name, DataInfo& info) {
  if (impl_->current.Get() == nullptr) return false;
  DWORD type = 0;
  DWORD size = 0;
  if (RegQueryValueExA(impl_->current.Get(), name.c_str(), nullptr, &type, nullptr, &size) !=
      ERROR_SUCCESS) {
    return false;
  }
  info.type = type;
  info.size = size;
  return true;
}

bool Win32Registry::QueryData(const std::string& name, void* buffer, uint32_t capacity,
                              DataInfo& info) {
  if (impl_->current.Get() == nullptr) return false;
  DWORD type = 0;
  DWORD size = capacity;
  // Data longer than the buffer gives ERROR_MORE_DATA and counts as unreadable.
  if (RegQueryValueExA(impl_->current.Get(), name.c_str(), nullptr, &type,
                       static_cast<BYTE*>(buffer), &size) != ERROR_SUCCESS) {
    return false;
  }
  info.type = type;
  info.size = size;
  return true;
}

bool Win32Registry::SetData(const std::string& name, uint32_t type, const void* data,
                            uint32_t size) {
  if (impl_->current.Get() == nullptr) return false;
  return RegSetValueExA(impl_->current.Get(), name.c_str(), 0, type,
                        static_cast<const BYTE*>(data), size) == ERROR_SUCCESS;
}

}  // namespace nimbrel
