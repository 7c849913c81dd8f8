// A registry held in memory: a tree of keys per root, each holding typed
// values with their raw bytes. It behaves like the Win32 registry as far as
// the Registry interface goes (names compare without regard to case, a value
// longer than the reader's buffer can't be read), and it can be made to fail
// the way a real registry fails for a standard user.
//
// It serves wherever the real registry is not wanted: the unit tests plant
// damaged values and read back raw bytes with it.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "settings/Registry.h"

namespace nimbrel {

class MemoryRegistry : public Registry {
 public:
  // What a user may do below one root.
  enum class Access {
    Full,      // open, create, write
    ReadOnly,  // open existing keys and read; creating keys and writing values fail
    Denied,    // no key below the root can be opened
  };

  struct Value {
    uint32_t type = kRegNone;
    std::vector<unsigned char> data;
  };

  MemoryRegistry() = default;

  // ---- Registry
  void SetRootKey(RootKey root) override;
  RootKey GetRootKey() const override { return root_; }
  bool OpenKey(const std::string& path, bool canCreate) override;
  bool DeleteKey(const std::string& name) override;
  void CloseKey() override { current_ = nullptr; }
  bool HasCurrentKey() const override { return current_ != nullptr; }
  bool QueryInfo(const std::string& name, DataInfo& info) override;
  bool QueryData(const std::string& name, void* buffer, uint32_t capacity, DataInfo& info) override;
  bool SetData(const std::string& name, uint32_t type, const void* data, uint32_t size) override;

  // ---- the stored tree, faults

  void SetAccess(RootKey root, Access access) { access_[Index(root)] = access; }

  // From now on every write of a value of this name fails.
  void FailWritesOf(const std::string& name) { failingWrites_.insert(name); }

  // Creates the keys of `path` (below the root, levels separated by
  // backslashes) as needed and stores the value with exactly these bytes,
  // whatever the access rules say.
  void Plant(RootKey root, const std::string& path, const std::string& name, uint32_t type,
             std::vector<unsigned char> data);

  // The stored value, or nullptr when the key or the value is missing.
  const Value* Find(RootKey root, const std::string& path, const std::string& name) const;
  bool KeyExists(RootKey root, const std::string& path) const;

  // The names of the values written through SetData, in the order written.
  const std::vector<std::string>& WrittenNames() const { return written_; }

 private:
  // Registry names compare without regard to the case of ASCII letters.
  struct NoCaseLess {
    bool operator()(const std::string& a, const std::string& b) const;
  };
  struct Key {
    std::map<std::string, Key, NoCaseLess> subkeys;
    std::map<std::string, Value, NoCaseLess> values;
  };

  static int Index(RootKey root) { return root == RootKey::CurrentUser ? 0 : 1; }
  // Walks `path` from `from`; creates missing keys when `create`. Returns
  // nullptr when a key is missing and may not be created.
  static Key* Walk(Key* from, const std::string& path, bool create);
  const Key* FindKey(RootKey root, const std::string& path) const;

  Key roots_[2];
  Access access_[2] = {Access::Full, Access::Full};
  RootKey root_ = RootKey::CurrentUser;
  Key* current_ = nullptr;  // a node of roots_[Index(root_)]; map nodes never move
  std::set<std::string, NoCaseLess> failingWrites_;
  std::vector<std::string> written_;
};

}  // namespace nimbrel
