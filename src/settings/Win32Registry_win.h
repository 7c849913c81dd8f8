// The Windows registry behind the Registry interface (Windows builds only).
// Keys are opened with full access (KEY_ALL_ACCESS); every open key handle
// is closed by its owner.
#pragma once

#include <memory>
#include <string>

#include "settings/Registry.h"

namespace nimbrel {

class Win32Registry : public Registry {
 public:
  // The real roots HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE.
  Win32Registry();

  // Stand-in roots: both roots become keys below HKEY_CURRENT_USER\<scratch>
  // ("CurrentUser" and "LocalMachine", created when first used), so that the
  // settings routines can be run against the real registry without touching
  // the real keys. Used by the Windows tests.
  explicit Win32Registry(const std::string& scratch);

  ~Win32Registry() override;
  Win32Registry(const Win32Registry&) = delete;
  Win32Registry& operator=(const Win32Registry&) = delete;

  void SetRootKey(RootKey root) override;
  RootKey GetRootKey() const override;
  bool OpenKey(const std::string& path, bool canCreate) override;
  bool DeleteKey(const std::string& name) override;
  void CloseKey() override;
  bool HasCurrentKey() const override;
  bool QueryInfo(const std::string& name, DataInfo& info) override;
  bool QueryData(const std::string& name, void* buffer, uint32_t capacity, DataInfo& info) override;
  bool SetData(const std::string& name, uint32_t type, const void* data, uint32_t size) override;

 private:
  struct Impl;  // keeps <windows.h> out of this header
  std::unique_ptr<Impl> impl_;
};

}  // namespace nimbrel
