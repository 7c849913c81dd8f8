#include "settings/MemoryRegistry.h"

#include <algorithm>
#include <cstring>

namespace nimbrel {

namespace {

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// The levels of a key path; empty levels (leading, trailing or doubled
// backslashes) are skipped.
std::vector<std::string> Levels(const std::string& path) {
  std::vector<std::string> out;
  std::string level;
  for (char c : path) {
    if (c == '\\') {
      if (!level.empty()) out.push_back(level);
      level.clear();
    } else {
      level += c;
    }
  }
  if (!level.empty()) out.push_back(level);
  return out;
}

}  // namespace

bool MemoryRegistry::NoCaseLess::operator()(const std::string& a, const std::string& b) const {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                      [](char x, char y) { return Lower(x) < Lower(y); });
}

MemoryRegistry::Key* MemoryRegistry::Walk(Key* from, const std::string& path, bool create) {
  Key* key = from;
  for (const std::string& level : Levels(path)) {
    auto it = key->subkeys.find(level);
    if (it == key->subkeys.end()) {
      if (!create) return nullptr;
      it = key->subkeys.emplace(level, Key{}).first;
    }
    key = &it->second;
  }
  return key;
}

const MemoryRegistry::Key* MemoryRegistry::FindKey(RootKey root, const std::string& path) const {
  const Key* key = &roots_[Index(root)];
  for (const std::string& level : Levels(path)) {
    const auto it = key->subkeys.find(level);
    if (it == key->subkeys.end()) return nullptr;
    key = &it->second;
  }
  return key;
}

void MemoryRegistry::SetRootKey(RootKey root) {
  CloseKey();
  root_ = root;
}

bool MemoryRegistry::OpenKey(const std::string& path, bool canCreate) {
  const Access access = access_[Index(root_)];
  if (access == Access::Denied) return false;
  const bool fromRoot = current_ == nullptr || (!path.empty() && path.front() == '\\');
  Key* base = fromRoot ? &roots_[Index(root_)] : current_;
  Key* key = Walk(base, path, canCreate && access == Access::Full);
  if (key == nullptr) return false;
  current_ = key;
  return true;
}

bool MemoryRegistry::DeleteKey(const std::string& name) {
  if (current_ == nullptr || access_[Index(root_)] != Access::Full) return false;
  return current_->subkeys.erase(name) == 1;
}

bool MemoryRegistry::QueryInfo(const std::string& name, DataInfo& info) {
  if (current_ == nullptr) return false;
  const auto it = current_->values.find(name);
  if (it == current_->values.end()) return false;
  info.type = it->second.type;
  info.size = static_cast<uint32_t>(it->second.data.size());
  return true;
}

bool MemoryRegistry::QueryData(const std::string& name, void* buffer, uint32_t capacity,
                               DataInfo& info) {
  DataInfo stored;
  if (!QueryInfo(name, stored) || stored.size > capacity) return false;
  const Value& value = current_->values.at(name);
  if (!value.data.empty()) std::memcpy(buffer, value.data.data(), value.data.size());
  info = stored;
  return true;
}

bool MemoryRegistry::SetData(const std::string& name, uint32_t type, const void* data,
                             uint32_t size) {
  if (current_ == nullptr || access_[Index(root_)] != Access::Full) return false;
  if (failingWrites_.count(name) != 0) return false;
  const auto* bytes = static_cast<const unsigned char*>(data);
  current_->values[name] = Value{type, std::vector<unsigned char>(bytes, bytes + size)};
  written_.push_back(name);
  return true;
}

void MemoryRegistry::Plant(RootKey root, const std::string& path, const std::string& name,
                           uint32_t type, std::vector<unsigned char> data) {
  Key* key = Walk(&roots_[Index(root)], path, true);
  key->values[name] = Value{type, std::move(data)};
}

const MemoryRegistry::Value* MemoryRegistry::Find(RootKey root, const std::string& path,
                                                  const std::string& name) const {
  const Key* key = FindKey(root, path);
  if (key == nullptr) return nullptr;
  const auto it = key->values.find(name);
  return it == key->values.end() ? nullptr : &it->second;
}

bool MemoryRegistry::KeyExists(RootKey root, const std::string& path) const {
  return FindKey(root, path) != nullptr;
}

}  // namespace nimbrel
