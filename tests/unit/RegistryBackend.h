// A registry for the registry and settings suites to run on, with the means
// to look at it and to break it from outside the code under test. The
// in-memory registry is here; the real Windows registry, below a scratch
// key, is in tests/win/RegistryWinTest.cpp. Each suite is instantiated once
// per registry: the in-memory one in unit_tests, the real one in
// registry_win_tests.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "RegistryData.h"
#include "settings/MemoryRegistry.h"
#include "settings/Registry.h"

namespace nimbrel {

// A value as stored: its registry type and its bytes.
struct RawValue {
  uint32_t type = kRegNone;
  Bytes data;
  bool operator==(const RawValue&) const = default;
};

inline std::ostream& operator<<(std::ostream& os, const RawValue& v) {
  os << "type " << v.type << ":";
  for (unsigned char b : v.data) os << ' ' << static_cast<int>(b);
  return os;
}

class RegistryBackend {
 public:
  // How a locked root turns a user away. On both registries nothing can be
  // created or written below it; with ReadOnly the registry's own functions
  // still read it. Whether the code under test can open a read-only key
  // differs: the in-memory registry opens it and refuses the writes, the
  // real one refuses the full access Win32Registry asks for.
  enum class Lock { ReadOnly, Denied };

  virtual ~RegistryBackend() = default;

  // The registry handed to the code under test; the same object until Reset.
  virtual Registry& registry() = 0;
  // Both roots empty and unlocked, and a new registry object.
  virtual void Reset() = 0;

  // ---- around the code under test
  // Creates the keys of `path` (levels separated by backslashes; "" is the
  // root itself) as needed.
  virtual void MakeKey(RootKey root, const std::string& path) = 0;
  // Stores a value with exactly these bytes, creating its key as needed.
  virtual void Plant(RootKey root, const std::string& path, const std::string& name, uint32_t type,
                     const Bytes& data) = 0;
  // The stored value, or nothing when its key or the value is missing.
  virtual std::optional<RawValue> Find(RootKey root, const std::string& path, const std::string& name) = 0;
  virtual bool KeyExists(RootKey root, const std::string& path) = 0;
  // Locks the root and everything in it, as a standard user finds
  // HKEY_LOCAL_MACHINE. Before the registry object first uses that root.
  virtual void LockRoot(RootKey root, Lock lock) = 0;
};

// Names one kind of registry for a parameterised suite.
struct BackendMaker {
  const char* name;
  std::function<std::unique_ptr<RegistryBackend>()> make;
};

inline void PrintTo(const BackendMaker& maker, std::ostream* os) { *os << maker.name; }

inline std::string BackendName(const testing::TestParamInfo<BackendMaker>& info) { return info.param.name; }

class MemoryBackend : public RegistryBackend {
 public:
  MemoryBackend() { Reset(); }

  Registry& registry() override { return *registry_; }
  void Reset() override { registry_ = std::make_unique<MemoryRegistry>(); }

  void MakeKey(RootKey root, const std::string& path) override {
    // The in-memory registry plants values only: a key alone is made by
    // opening it, before any lock.
    const RootKey was = registry_->GetRootKey();
    registry_->SetRootKey(root);
    registry_->OpenKey("\\" + path, true);
    registry_->SetRootKey(was);
  }
  void Plant(RootKey root, const std::string& path, const std::string& name, uint32_t type,
             const Bytes& data) override {
    registry_->Plant(root, path, name, type, data);
  }
  std::optional<RawValue> Find(RootKey root, const std::string& path, const std::string& name) override {
    const MemoryRegistry::Value* v = registry_->Find(root, path, name);
    if (v == nullptr) return std::nullopt;
    return RawValue{v->type, v->data};
  }
  bool KeyExists(RootKey root, const std::string& path) override { return registry_->KeyExists(root, path); }
  void LockRoot(RootKey root, Lock lock) override {
    registry_->SetAccess(root, lock == Lock::ReadOnly ? MemoryRegistry::Access::ReadOnly
                                                      : MemoryRegistry::Access::Denied);
  }

 private:
  std::unique_ptr<MemoryRegistry> registry_;
};

inline BackendMaker InMemory() {
  return {"InMemory", [] { return std::unique_ptr<RegistryBackend>(new MemoryBackend); }};
}

}  // namespace nimbrel
