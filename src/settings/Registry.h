// A small registry interface: what the settings store needs of the Windows
// registry, with the behaviour of the classic TRegistry wrapper.
//
// One object works on one root (HKEY_CURRENT_USER or HKEY_LOCAL_MACHINE) and
// has at most one key open, the current key. Values are read and written in
// the current key; with no key open every value operation fails.
//
// Each store (the Win32 registry, the in-memory registry of the tests)
// provides the key operations and three raw value primitives. The typed
// readers and writers are written once, here, on top of those primitives, so
// every store reports a damaged value with the same exception and text:
//
//   "Failed to get data for '<name>'"  the value exists but its data is longer
//                                      than the reader's buffer (4 bytes for
//                                      integers and booleans, 8 for floats), or
//                                      it can't be read at all
//   "Invalid data type for '<name>'"   the data fits but has the wrong type, or
//                                      a float is shorter than 8 bytes
//   "Failed to set data for '<name>'"  a value can't be written
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace nimbrel {

enum class RootKey { CurrentUser, LocalMachine };

// Registry data types, numbered as the Win32 registry numbers them.
enum RegType : uint32_t {
  kRegNone = 0,
  kRegSz = 1,
  kRegExpandSz = 2,
  kRegBinary = 3,
  kRegDword = 4,
  kRegMultiSz = 7,
  kRegQword = 11,
};

// The one exception type of registry access; what() is one of the three
// texts above with the value name filled in.
class RegistryError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class Registry {
 public:
  virtual ~Registry() = default;

  // ---- keys

  // Selects the root and closes the current key. A new object works on
  // CurrentUser with no key open.
  virtual void SetRootKey(RootKey root) = 0;
  virtual RootKey GetRootKey() const = 0;

  // Opens `path` with full access and makes it the current key. The path is
  // relative to the current key, or to the root when no key is open or when
  // it starts with a backslash; it may name several levels ("a\b"). With
  // `canCreate` missing keys are created. Returns false when the key can't
  // be opened or created; the current key is then unchanged.
  virtual bool OpenKey(const std::string& path, bool canCreate) = 0;

  // Deletes the subkey `name` of the current key with everything below it.
  // False when there is no current key, no such subkey, or it can't be
  // deleted.
  virtual bool DeleteKey(const std::string& name) = 0;

  // Closes the current key (nothing is flushed; the system writes lazily).
  virtual void CloseKey() = 0;
  virtual bool HasCurrentKey() const = 0;

  // ---- values of the current key

  // Whether the value exists and its type and size can be queried.
  bool ValueExists(const std::string& name);

  int32_t ReadInteger(const std::string& name);  // REG_DWORD, up to 4 bytes
  bool ReadBool(const std::string& name);        // REG_DWORD, true when nonzero
  double ReadFloat(const std::string& name);     // REG_BINARY of exactly 8 bytes
  std::string ReadString(const std::string& name);  // REG_SZ or REG_EXPAND_SZ

  void WriteInteger(const std::string& name, int32_t value);  // REG_DWORD
  void WriteBool(const std::string& name, bool value);        // REG_DWORD 0 or 1
  void WriteFloat(const std::string& name, double value);     // REG_BINARY, 8 bytes
  void WriteString(const std::string& name, const std::string& value);  // REG_SZ

  // ---- raw primitives, provided by each store

  struct DataInfo {
    uint32_t type = kRegNone;
    uint32_t size = 0;  // bytes
  };

  // Type and size of a value of the current key. False when the value is
  // missing, can't be queried or no key is open.
  virtual bool QueryInfo(const std::string& name, DataInfo& info) = 0;

  // Reads a value's data into `buffer` of `capacity` bytes. False when the
  // data is longer than `capacity`, can't be read or no key is open. On
  // success `info` holds the type and the number of bytes read.
  virtual bool QueryData(const std::string& name, void* buffer, uint32_t capacity,
                         DataInfo& info) = 0;

  // Writes (creates or replaces) a value. False when it can't be written.
  virtual bool SetData(const std::string& name, uint32_t type, const void* data,
                       uint32_t size) = 0;
};

// Closes the registry's current key when the scope ends, also on an exception.
class CurrentKeyCloser {
 public:
  explicit CurrentKeyCloser(Registry& registry) : registry_(registry) {}
  ~CurrentKeyCloser() { registry_.CloseKey(); }
  CurrentKeyCloser(const CurrentKeyCloser&) = delete;
  CurrentKeyCloser& operator=(const CurrentKeyCloser&) = delete;

 private:
  Registry& registry_;
};

}  // namespace nimbrel
