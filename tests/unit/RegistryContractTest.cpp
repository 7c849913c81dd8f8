// The registry interface the settings store is written against, on every
// kind of registry: keys, typed readers and writers, their failures, and
// the locks the settings tests rely on. What is stored is read back from
// outside the code under test.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "RegistrySuites.h"

namespace nimbrel {
namespace {

constexpr RootKey HKCU = RootKey::CurrentUser;
constexpr RootKey HKLM = RootKey::LocalMachine;

Bytes Raw(const void* p, size_t n) {
  const auto* b = static_cast<const unsigned char*>(p);
  return Bytes(b, b + n);
}

TEST_P(RegistryContract, OpensKeysRelativeToTheCurrentOne) {
  backend().MakeKey(HKLM, "Software\\Microsoft");
  Registry& r = reg();
  EXPECT_EQ(r.GetRootKey(), HKCU);
  EXPECT_FALSE(r.HasCurrentKey());

  EXPECT_FALSE(r.OpenKey("Software", false));  // missing, not created
  EXPECT_FALSE(backend().KeyExists(HKCU, "Software"));
  ASSERT_TRUE(r.OpenKey("Software", true));
  EXPECT_FALSE(r.OpenKey("Quarvel\\Nimbrel", false));  // no level of a missing path is made
  EXPECT_FALSE(backend().KeyExists(HKCU, "Software\\Quarvel"));
  ASSERT_TRUE(r.OpenKey("Quarvel\\Nimbrel", true));  // below Software
  EXPECT_TRUE(backend().KeyExists(HKCU, "Software\\Quarvel\\Nimbrel"));

  // A failed open leaves the current key as it was.
  r.WriteInteger("Here", 1);
  EXPECT_FALSE(r.OpenKey("Missing", false));
  EXPECT_EQ(r.ReadInteger("Here"), 1);

  // A leading backslash starts from the root.
  ASSERT_TRUE(r.OpenKey("\\Software", false));
  EXPECT_FALSE(r.ValueExists("Here"));
  ASSERT_TRUE(r.OpenKey("QUARVEL\\nimbrel", false));  // names ignore case
  EXPECT_TRUE(r.ValueExists("here"));
  EXPECT_TRUE(r.ValueExists("HERE"));

  // Selecting a root closes the current key; the roots are separate trees.
  r.SetRootKey(HKLM);
  EXPECT_FALSE(r.HasCurrentKey());
  EXPECT_FALSE(r.OpenKey("Software\\Quarvel", false));
  EXPECT_TRUE(r.OpenKey("Software\\Microsoft", false));
  r.SetRootKey(HKCU);
  EXPECT_TRUE(r.OpenKey("Software\\Quarvel", false));
}

TEST_P(RegistryContract, DeletesAKeyWithEverythingBelowIt) {
  Registry& r = reg();
  ASSERT_TRUE(r.OpenKey("Software\\Quarvel\\Nimbrel\\A\\B", true));
  r.WriteInteger("Deep", 1);
  ASSERT_TRUE(r.OpenKey("\\Software\\Quarvel\\Nimbrel\\C", true));
  ASSERT_TRUE(r.OpenKey("\\Software\\Quarvel\\Other", true));
  ASSERT_TRUE(r.OpenKey("\\Software\\Quarvel", false));
  EXPECT_TRUE(r.DeleteKey("Nimbrel"));
  EXPECT_FALSE(backend().KeyExists(HKCU, "Software\\Quarvel\\Nimbrel"));
  EXPECT_TRUE(backend().KeyExists(HKCU, "Software\\Quarvel\\Other"));
  EXPECT_FALSE(r.DeleteKey("Nimbrel"));  // nothing left to delete
  r.CloseKey();
  EXPECT_FALSE(r.DeleteKey("Software"));  // no current key
  EXPECT_TRUE(backend().KeyExists(HKCU, "Software"));
}

TEST_P(RegistryContract, WritersStoreTheirTypeAndBytes) {
  Registry& r = reg();
  ASSERT_TRUE(r.OpenKey("K", true));
  r.WriteInteger("Int", -2);
  r.WriteBool("True", true);
  r.WriteBool("False", false);
  r.WriteFloat("Float", -1.5);
  r.WriteString("Text", "C:\\a b");
  r.WriteString("Empty", "");

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
    EXPECT_EQ(backend().Find(HKCU, "K", c.name), (RawValue{c.type, c.data}));
  }
  EXPECT_EQ(r.ReadInteger("Int"), -2);
  EXPECT_TRUE(r.ReadBool("True"));
  EXPECT_FALSE(r.ReadBool("False"));
  EXPECT_EQ(r.ReadFloat("Float"), -1.5);
  EXPECT_EQ(r.ReadString("Text"), "C:\\a b");
  EXPECT_EQ(r.ReadString("Empty"), "");
}

enum class Reader { Integer, Float, String };

TEST_P(RegistryContract, ReadersCheckSizeAndType) {
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
  Registry& r = reg();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    backend().Plant(HKCU, "K", "V", c.type, c.data);
    ASSERT_TRUE(r.OpenKey("\\K", false));
    EXPECT_TRUE(r.ValueExists("V"));
    std::string got;
    try {
      switch (c.reader) {
        case Integer: got = std::to_string(r.ReadInteger("V")); break;
        case Float: {
          char text[32];
          std::snprintf(text, sizeof text, "%g", r.ReadFloat("V"));
          got = text;
          break;
        }
        case String: got = r.ReadString("V"); break;
      }
    } catch (const RegistryError& e) {
      got = e.what();
    }
    EXPECT_EQ(got, c.result);
    r.CloseKey();
  }
}

TEST_P(RegistryContract, MissingValuesAndNoOpenKeyFail) {
  Registry& r = reg();
  EXPECT_FALSE(r.ValueExists("V"));
  EXPECT_EQ(Message([&] { r.ReadInteger("V"); }), "Failed to get data for 'V'");
  EXPECT_EQ(Message([&] { r.WriteInteger("V", 1); }), "Failed to set data for 'V'");
  ASSERT_TRUE(r.OpenKey("K", true));
  EXPECT_FALSE(r.ValueExists("Gone"));
  EXPECT_EQ(Message([&] { r.ReadFloat("Gone"); }), "Failed to get data for 'Gone'");
  EXPECT_EQ(Message([&] { r.ReadBool("Gone"); }), "Failed to get data for 'Gone'");
  EXPECT_EQ(Message([&] { r.ReadString("Gone"); }), "Failed to get data for 'Gone'");
  r.CloseKey();
  EXPECT_EQ(Message([&] { r.WriteString("S", "x"); }), "Failed to set data for 'S'");
}

TEST_P(RegistryContract, ALockedRootTakesNoChangesAndLeavesTheOtherAlone) {
  // What the settings and uninstall suites lock a root for: nothing below
  // it can be created, written or deleted through the registry; what is
  // stored stays as it was.
  for (const auto lock : {RegistryBackend::Lock::ReadOnly, RegistryBackend::Lock::Denied}) {
    const bool readOnly = lock == RegistryBackend::Lock::ReadOnly;
    SCOPED_TRACE(readOnly ? "read-only" : "denied");
    Fresh();
    const int32_t seven = 7;
    backend().Plant(HKLM, "Existing\\Below", "V", kRegDword, Raw(&seven, 4));
    backend().LockRoot(HKLM, lock);
    Registry& r = reg();
    r.SetRootKey(HKLM);
    EXPECT_FALSE(r.OpenKey("New", true));
    EXPECT_FALSE(r.HasCurrentKey());
    EXPECT_FALSE(backend().KeyExists(HKLM, "New"));
    if (r.OpenKey("Existing", false)) {
      EXPECT_TRUE(readOnly) << "a denied root opened";
      EXPECT_EQ(Message([&] { r.WriteInteger("W", 1); }), "Failed to set data for 'W'");
      EXPECT_FALSE(r.DeleteKey("Below"));
      r.CloseKey();
    }
    if (r.OpenKey("Existing\\Below", false)) {
      EXPECT_EQ(Message([&] { r.WriteInteger("V", 1); }), "Failed to set data for 'V'");
      r.CloseKey();
    }
    EXPECT_EQ(backend().Find(HKLM, "Existing\\Below", "V"), (RawValue{kRegDword, Raw(&seven, 4)}));
    EXPECT_FALSE(backend().Find(HKLM, "Existing", "W").has_value());
    // The other root is not affected.
    r.SetRootKey(HKCU);
    EXPECT_TRUE(r.OpenKey("New", true));
    r.WriteInteger("W", 1);
    EXPECT_TRUE(backend().KeyExists(HKCU, "New"));
  }
}

}  // namespace
}  // namespace nimbrel
