// The registry interface the settings store is written against, on the
// in-memory registry: keys, typed readers and writers, their failures, and
// the faults a test can ask for.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "settings/MemoryRegistry.h"

namespace nimbrel {
namespace {

using Bytes = std::vector<unsigned char>;
using Access = MemoryRegistry::Access;
constexpr RootKey HKCU = RootKey::CurrentUser;
constexpr RootKey HKLM = RootKey::LocalMachine;

Bytes Raw(const void* p, size_t n) {
  const auto* b = static_cast<const unsigned char*>(p);
  return Bytes(b, b + n);
}

std::string Message(const std::function<void()>& f) {
  try {
    f();
  } catch (const RegistryError& e) {
    return e.what();
  }
  return "(no exception)";
}

TEST(MemoryRegistry, OpensKeysRelativeToTheCurrentOne) {
  MemoryRegistry reg;
  EXPECT_EQ(reg.GetRootKey(), HKCU);
  EXPECT_FALSE(reg.HasCurrentKey());

  EXPECT_FALSE(reg.OpenKey("Software", false));  // missing, not created
  EXPECT_FALSE(reg.KeyExists(HKCU, "Software"));
  ASSERT_TRUE(reg.OpenKey("Software", true));
  ASSERT_TRUE(reg.OpenKey("Quarvel\\Nimbrel", true));  // below Software
  EXPECT_TRUE(reg.KeyExists(HKCU, "Software\\Quarvel\\Nimbrel"));

  // A failed open leaves the current key as it was.
  reg.WriteInteger("Here", 1);
  EXPECT_FALSE(reg.OpenKey("Missing", false));
  EXPECT_EQ(reg.ReadInteger("Here"), 1);

  // A leading backslash starts from the root.
  ASSERT_TRUE(reg.OpenKey("\\Software", false));
  EXPECT_FALSE(reg.ValueExists("Here"));
  ASSERT_TRUE(reg.OpenKey("QUARVEL\\nimbrel", false));  // names ignore case
  EXPECT_TRUE(reg.ValueExists("here"));

  // Selecting a root closes the current key; the roots are separate trees.
  reg.SetRootKey(HKLM);
  EXPECT_FALSE(reg.HasCurrentKey());
  EXPECT_FALSE(reg.OpenKey("Software", false));
  reg.SetRootKey(HKCU);
  EXPECT_TRUE(reg.OpenKey("Software", false));
}

TEST(MemoryRegistry, WritersStoreTheirTypeAndBytes) {
  MemoryRegistry reg;
  ASSERT_TRUE(reg.OpenKey("K", true));
  reg.WriteInteger("Int", -2);
  reg.WriteBool("True", true);
  reg.WriteBool("False", false);
  reg.WriteFloat("Float", -1.5);
  reg.WriteString("Text", "C:\\a b");
  reg.WriteString("Empty", "");

  const int32_t minusTwo = -2, one = 1, zero = 0;
  const double minusOneHalf = -1.5;
  const struct {
    const char* name;
    uint32_t type;
    Bytes data;
  } cases[] = {
      {"Int", kRegDword, Raw(&minusTwo, 4)},
      {"True", kRegDword, Raw(&one, 4)},
      {"False", kRegDword, Raw(&zero, 4)},
      {"Float", kRegBinary, Raw(&minusOneHalf, 8)},
      {"Text", kRegSz, Raw("C:\\a b", 7)},
      {"Empty", kRegSz, Raw("", 1)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const auto* v = reg.Find(HKCU, "K", c.name);
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->type, c.type);
    EXPECT_EQ(v->data, c.data);
  }
  EXPECT_EQ(reg.ReadInteger("Int"), -2);
  EXPECT_TRUE(reg.ReadBool("True"));
  EXPECT_FALSE(reg.ReadBool("False"));
  EXPECT_EQ(reg.ReadFloat("Float"), -1.5);
  EXPECT_EQ(reg.ReadString("Text"), "C:\\a b");
  EXPECT_EQ(reg.ReadString("Empty"), "");
}

enum class Reader { Integer, Float, String };

TEST(MemoryRegistry, ReadersCheckSizeAndType) {
  using enum Reader;
  const double pi = 3.25;
  const struct {
    const char* what;
    uint32_t type;
    Bytes data;
    Reader reader;
    const char* result;  // the value read as text, or the error
  } cases[] = {
      {"dword", kRegDword, {0x78, 0x56, 0x34, 0x12}, Integer, "305419896"},
      {"short dword, zero-extended", kRegDword, {0xFF, 0xFF}, Integer, "65535"},
      {"empty dword", kRegDword, {}, Integer, "0"},
      {"dword of 5 bytes", kRegDword, {1, 2, 3, 4, 5}, Integer, "Failed to get data for 'V'"},
      {"binary as integer", kRegBinary, {1, 0, 0, 0}, Integer, "Invalid data type for 'V'"},
      {"qword as integer", kRegQword, Bytes(8), Integer, "Failed to get data for 'V'"},
      {"double", kRegBinary, Raw(&pi, 8), Float, "3.25"},
      {"dword as float", kRegDword, Bytes(4), Float, "Invalid data type for 'V'"},
      {"qword as float", kRegQword, Raw(&pi, 8), Float, "Invalid data type for 'V'"},
      {"short binary", kRegBinary, Bytes(7), Float, "Invalid data type for 'V'"},
      {"long binary", kRegBinary, Bytes(9), Float, "Failed to get data for 'V'"},
      {"text", kRegSz, Raw("abc", 4), String, "abc"},
      {"text without its zero", kRegSz, Raw("abc", 3), String, "abc"},
      {"expandable text", kRegExpandSz, Raw("%X%", 4), String, "%X%"},
      {"dword as text", kRegDword, Bytes(4), String, "Invalid data type for 'V'"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    MemoryRegistry reg;
    reg.Plant(HKCU, "K", "V", c.type, c.data);
    ASSERT_TRUE(reg.OpenKey("K", false));
    EXPECT_TRUE(reg.ValueExists("V"));
    std::string got;
    try {
      switch (c.reader) {
        case Reader::Integer: got = std::to_string(reg.ReadInteger("V")); break;
        case Reader::Float: {
          char text[32];
          std::snprintf(text, sizeof text, "%g", reg.ReadFloat("V"));
          got = text;
          break;
        }
        case Reader::String: got = reg.ReadString("V"); break;
      }
    } catch (const RegistryError& e) {
      got = e.what();
    }
    EXPECT_EQ(got, c.result);
  }
}

TEST(MemoryRegistry, MissingValuesAndNoOpenKeyFail) {
  MemoryRegistry reg;
  EXPECT_FALSE(reg.ValueExists("V"));
  EXPECT_EQ(Message([&] { reg.ReadInteger("V"); }), "Failed to get data for 'V'");
  EXPECT_EQ(Message([&] { reg.WriteInteger("V", 1); }), "Failed to set data for 'V'");
  ASSERT_TRUE(reg.OpenKey("K", true));
  EXPECT_EQ(Message([&] { reg.ReadFloat("Gone"); }), "Failed to get data for 'Gone'");
  EXPECT_EQ(Message([&] { reg.ReadBool("Gone"); }), "Failed to get data for 'Gone'");
  EXPECT_EQ(Message([&] { reg.ReadString("Gone"); }), "Failed to get data for 'Gone'");
  reg.CloseKey();
  EXPECT_EQ(Message([&] { reg.WriteString("S", "x"); }), "Failed to set data for 'S'");
}

TEST(MemoryRegistry, AccessRulesPerRoot) {
  const struct {
    Access access;
    bool opensExisting, creates, writes;
  } cases[] = {
      {Access::Full, true, true, true},
      {Access::ReadOnly, true, false, false},
      {Access::Denied, false, false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.access));
    MemoryRegistry reg;
    reg.Plant(HKLM, "Existing", "V", kRegDword, Bytes(4));
    reg.SetAccess(HKLM, c.access);
    reg.SetRootKey(HKLM);
    EXPECT_EQ(reg.OpenKey("Existing", true), c.opensExisting);
    EXPECT_EQ(reg.HasCurrentKey(), c.opensExisting);
    if (c.opensExisting) {
      EXPECT_EQ(reg.ReadInteger("V"), 0);
      EXPECT_EQ(Message([&] { reg.WriteInteger("V", 1); }),
                c.writes ? "(no exception)" : "Failed to set data for 'V'");
    }
    reg.CloseKey();
    EXPECT_EQ(reg.OpenKey("New", true), c.creates);
    EXPECT_EQ(reg.KeyExists(HKLM, "New"), c.creates);
    // The other root is not affected.
    reg.SetRootKey(HKCU);
    EXPECT_TRUE(reg.OpenKey("New", true));
  }
}

TEST(MemoryRegistry, ChosenValuesFailToBeWritten) {
  MemoryRegistry reg;
  reg.FailWritesOf("Stack4");
  ASSERT_TRUE(reg.OpenKey("K", true));
  reg.WriteFloat("Stack3", 1);
  EXPECT_EQ(Message([&] { reg.WriteFloat("Stack4", 1); }), "Failed to set data for 'Stack4'");
  EXPECT_EQ(Message([&] { reg.WriteInteger("STACK4", 1); }), "Failed to set data for 'STACK4'");
  reg.WriteFloat("Stack5", 1);
  EXPECT_EQ(reg.WrittenNames(), (std::vector<std::string>{"Stack3", "Stack5"}));
}

}  // namespace
}  // namespace nimbrel
