#include "settings/Registry.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <vector>

namespace nimbrel {

// Registry data is little-endian; so is every target we build for, which
// lets the readers copy the bytes straight into their values.
static_assert(std::endian::native == std::endian::little);

namespace {

[[noreturn]] void Fail(const char* what, const std::string& name) {
  throw RegistryError(std::string(what) + " '" + name + "'");
}

[[noreturn]] void GetDataFailed(const std::string& name) { Fail("Failed to get data for", name); }
[[noreturn]] void InvalidDataType(const std::string& name) { Fail("Invalid data type for", name); }
[[noreturn]] void SetDataFailed(const std::string& name) { Fail("Failed to set data for", name); }

}  // namespace

bool Registry::ValueExists(const std::string& name) {
  DataInfo info;
  return QueryInfo(name, info);
}

int32_t Registry::ReadInteger(const std::string& name) {
  // A shorter REG_DWORD reads as its bytes with the missing high bytes zero.
  unsigned char buffer[sizeof(int32_t)] = {};
  DataInfo info;
  if (!QueryData(name, buffer, sizeof buffer, info)) GetDataFailed(name);
  if (info.type != kRegDword) InvalidDataType(name);
  int32_t value;
  std::memcpy(&value, buffer, sizeof value);
  return value;
}

bool Registry::ReadBool(const std::string& name) { return ReadInteger(name) != 0; }

double Registry::ReadFloat(const std::string& name) {
  unsigned char buffer[sizeof(double)] = {};
  DataInfo info;
  if (!QueryData(name, buffer, sizeof buffer, info)) GetDataFailed(name);
  if (info.type != kRegBinary || info.size != sizeof(double)) InvalidDataType(name);
  double value;
  std::memcpy(&value, buffer, sizeof value);
  return value;
}

std::string Registry::ReadString(const std::string& name) {
  DataInfo info;
  if (!QueryInfo(name, info)) GetDataFailed(name);
  // One byte more than announced, so that text stored without its
  // terminating zero still ends inside the buffer.
  std::vector<char> buffer(static_cast<size_t>(info.size) + 1, '\0');
  if (!QueryData(name, buffer.data(), static_cast<uint32_t>(buffer.size()), info)) {
    GetDataFailed(name);
  }
  if (info.type != kRegSz && info.type != kRegExpandSz) InvalidDataType(name);
  const char* begin = buffer.data();
  const char* end = begin + info.size;
  return std::string(begin, std::find(begin, end, '\0'));
}

void Registry::WriteInteger(const std::string& name, int32_t value) {
  unsigned char data[sizeof value];
  std::memcpy(data, &value, sizeof value);
  if (!SetData(name, kRegDword, data, sizeof data)) SetDataFailed(name);
}

void Registry::WriteBool(const std::string& name, bool value) { WriteInteger(name, value ? 1 : 0); }

void Registry::WriteFloat(const std::string& name, double value) {
  unsigned char data[sizeof value];
  std::memcpy(data, &value, sizeof value);
  if (!SetData(name, kRegBinary, data, sizeof data)) SetDataFailed(name);
}

void Registry::WriteString(const std::string& name, const std::string& value) {
  // Stored with its terminating zero, as the system's own tools store text.
  if (!SetData(name, kRegSz, value.c_str(), static_cast<uint32_t>(value.size() + 1))) {
    SetDataFailed(name);
  }
}

}  // namespace nimbrel
