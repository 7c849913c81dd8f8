// The suites that run on every kind of registry (RegistryBackend.h): the
// registry interface itself (RegistryContractTest.cpp), the settings store
// and the uninstall entry (SettingsTest.cpp). Each file that instantiates
// them names its registry.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "RegistryBackend.h"
#include "settings/Registry.h"

namespace nimbrel {

// The message of the RegistryError that `f` throws, or "(no exception)".
inline std::string Message(const std::function<void()>& f) {
  try {
    f();
  } catch (const RegistryError& e) {
    return e.what();
  }
  return "(no exception)";
}

// A registry in front of another that notes, in order, every value looked
// up and every value written, and fails the writes of chosen names (as a
// full disk or a policy would), so that the tests learn the order of the
// settings from what the code did rather than from a copy of its table.
class RecordingRegistry : public Registry {
 public:
  explicit RecordingRegistry(Registry& inner) : inner_(inner) {}

  void SetRootKey(RootKey root) override { inner_.SetRootKey(root); }
  RootKey GetRootKey() const override { return inner_.GetRootKey(); }
  bool OpenKey(const std::string& path, bool canCreate) override { return inner_.OpenKey(path, canCreate); }
  bool DeleteKey(const std::string& name) override { return inner_.DeleteKey(name); }
  void CloseKey() override { inner_.CloseKey(); }
  bool HasCurrentKey() const override { return inner_.HasCurrentKey(); }
  bool QueryInfo(const std::string& name, DataInfo& info) override {
    lookedUp.push_back(name);
    return inner_.QueryInfo(name, info);
  }
  bool QueryData(const std::string& name, void* buffer, uint32_t capacity, DataInfo& info) override {
    return inner_.QueryData(name, buffer, capacity, info);
  }
  bool SetData(const std::string& name, uint32_t type, const void* data, uint32_t size) override {
    if (failing_.count(name) != 0 || !inner_.SetData(name, type, data, size)) return false;
    written.push_back(name);
    return true;
  }

  // From now on every write of a value of this name fails.
  void FailWritesOf(const std::string& name) { failing_.insert(name); }

  std::vector<std::string> lookedUp;  // names asked for (ValueExists and the readers), in order
  std::vector<std::string> written;   // names written successfully, in order

 private:
  Registry& inner_;
  std::set<std::string> failing_;
};

// A registry of one kind, reached through a recorder.
class RegistrySession {
 public:
  explicit RegistrySession(const BackendMaker& maker) : backend_(maker.make()) { Fresh(); }

  // Starts again from an empty registry.
  void Fresh() {
    recorder_.reset();
    backend_->Reset();
    recorder_ = std::make_unique<RecordingRegistry>(backend_->registry());
  }
  // Starts again from the registry of a machine where the calculator never
  // ran: HKEY_CURRENT_USER has its Software key, HKEY_LOCAL_MACHINE the
  // list of installed programs.
  void FreshMachine() {
    Fresh();
    backend_->MakeKey(RootKey::CurrentUser, "Software");
    backend_->MakeKey(RootKey::LocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall");
  }

  RecordingRegistry& reg() { return *recorder_; }
  RegistryBackend& backend() { return *backend_; }

 private:
  std::unique_ptr<RegistryBackend> backend_;
  std::unique_ptr<RecordingRegistry> recorder_;
};

// Every test of these suites starts on an empty registry of the
// instantiation's kind.
class OnRegistry : public testing::TestWithParam<BackendMaker> {
 protected:
  void SetUp() override { session_ = std::make_unique<RegistrySession>(GetParam()); }

  RegistrySession& session() { return *session_; }
  void Fresh() { session_->Fresh(); }
  void FreshMachine() { session_->FreshMachine(); }
  RecordingRegistry& reg() { return session_->reg(); }
  RegistryBackend& backend() { return session_->backend(); }

 private:
  std::unique_ptr<RegistrySession> session_;
};

class RegistryContract : public OnRegistry {};

// These start on a machine where the calculator never ran.
class SettingsStore : public OnRegistry {
 protected:
  void SetUp() override {
    OnRegistry::SetUp();
    FreshMachine();
  }
};

class UninstallEntry : public SettingsStore {};

// Damaged stored values (DamagedSettingsTest.cpp).
class DamagedSettings : public SettingsStore {};

}  // namespace nimbrel
