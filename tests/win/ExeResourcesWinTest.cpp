// What Windows reads from the built Nimbrel.exe (beside this test program)
// before and while running it: the application manifest, the version
// resource, the icon's sizes, and the headers that its loader and its
// security checks read (imports, subsystem, the image's protections).
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "core/Version.h"
#include "settings/Settings.h"

namespace nimbrel {
namespace {

std::string ExePath() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder(path);
  return folder.substr(0, folder.find_last_of("\\/") + 1) + "Nimbrel.exe";
}

class NimbrelExe : public ::testing::Test {
 protected:
  void SetUp() override {
    exe_ = LoadLibraryExA(ExePath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(exe_, nullptr) << ExePath();
  }
  void TearDown() override {
    if (exe_) FreeLibrary(exe_);
  }
  std::string Resource(LPCSTR name, LPCSTR type) const {
    HRSRC found = FindResourceA(exe_, name, type);
    if (!found) return {};
    const char* bytes = static_cast<const char*>(LockResource(LoadResource(exe_, found)));
    return std::string(bytes, SizeofResource(exe_, found));
  }
  HMODULE exe_ = nullptr;
};

BOOL CALLBACK CountName(HMODULE, LPCSTR, LPSTR, LONG_PTR count) {
  ++*reinterpret_cast<int*>(count);
  return TRUE;
}

// The values of `attribute` on every element named `element` in the XML text.
std::vector<std::string> Attributes(const std::string& xml, const std::string& element, const std::string& attribute) {
  std::vector<std::string> values;
  const std::regex tag("<" + element + "\\b[^>]*>");
  const std::regex value(attribute + "=\"([^\"]*)\"");
  for (auto it = std::sregex_iterator(xml.begin(), xml.end(), tag); it != std::sregex_iterator(); ++it) {
    std::smatch m;
    const std::string t = it->str();
    if (std::regex_search(t, m, value)) values.push_back(m[1]);
  }
  return values;
}

// The text of the element `element` (first one), without its tags.
std::string Text(const std::string& xml, const std::string& element) {
  std::smatch m;
  return std::regex_search(xml, m, std::regex("<" + element + "\\b[^>]*>([^<]*)</" + element + ">")) ? m[1].str()
                                                                                                   : std::string();
}

TEST_F(NimbrelExe, CarriesOneManifestThatWindowsActsOn) {
  int manifests = 0;
  EnumResourceNamesA(exe_, RT_MANIFEST, CountName, reinterpret_cast<LONG_PTR>(&manifests));
  EXPECT_EQ(manifests, 1) << "a second manifest from the toolchain would compete with ours";
  const std::string xml = Resource(CREATEPROCESS_MANIFEST_RESOURCE_ID, RT_MANIFEST);
  ASSERT_FALSE(xml.empty());
  // Never elevated nor virtualised: a standard user's write to the machine's
  // uninstall key must fail for real.
  EXPECT_EQ(Attributes(xml, "requestedExecutionLevel", "level"), std::vector<std::string>{"asInvoker"});
  EXPECT_EQ(Attributes(xml, "requestedExecutionLevel", "uiAccess"), std::vector<std::string>{"false"});
  const std::vector<std::string> os = Attributes(xml, "supportedOS", "Id");
  const std::set<std::string> wanted = {
      "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  // 7
      "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",  // 8
      "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",  // 8.1
      "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",  // 10 and 11
  };
  EXPECT_EQ(std::set<std::string>(os.begin(), os.end()), wanted);
  EXPECT_EQ(Text(xml, "dpiAwareness"), "PerMonitorV2, PerMonitor");
  EXPECT_EQ(Text(xml, "dpiAware"), "true/pm");
  const std::vector<std::string> names = Attributes(xml, "assemblyIdentity", "name");
  const std::vector<std::string> versions = Attributes(xml, "assemblyIdentity", "version");
  bool commonControls6 = false;
  for (size_t i = 0; i < names.size() && i < versions.size(); ++i) {
    commonControls6 |= names[i] == "Microsoft.Windows.Common-Controls" && versions[i] == "6.0.0.0";
  }
  EXPECT_TRUE(commonControls6);
}

TEST_F(NimbrelExe, CarriesTheVersionTheUninstallEntryShows) {
  const std::string path = ExePath();
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
  ASSERT_GT(size, 0u);
  std::vector<char> info(size);
  ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, info.data()));
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
  EXPECT_EQ(fixed->dwFileVersionMS, static_cast<DWORD>(MAKELONG(1, 1)));  // 1.1
  EXPECT_EQ(fixed->dwFileVersionLS, static_cast<DWORD>(MAKELONG(0, NIMBREL_VERSION_BUILD)));
  EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
  EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
  const auto string = [&](const char* name) {
    char* text = nullptr;
    UINT chars = 0;
    const std::string query = std::string("\\StringFileInfo\\040904B0\\") + name;
    if (!VerQueryValueA(info.data(), query.c_str(), reinterpret_cast<void**>(&text), &chars) || !text) return std::string();
    return std::string(text);
  };
  EXPECT_EQ(string("ProductName"), "Quarvel Calculator");
  EXPECT_EQ(string("CompanyName"), kUninstallPublisher);
  EXPECT_FALSE(string("FileDescription").empty());
  EXPECT_EQ(string("OriginalFilename"), "Nimbrel.exe");
  // One version everywhere: the file's, the product's, the uninstall entry's
  // DisplayVersion, and the 1.1 of its DisplayName and of the About screen.
  const std::string version = std::to_string(HIWORD(fixed->dwFileVersionMS)) + "." +
                              std::to_string(LOWORD(fixed->dwFileVersionMS)) + "." +
                              std::to_string(HIWORD(fixed->dwFileVersionLS));
  EXPECT_EQ(string("FileVersion"), version);
  EXPECT_EQ(string("ProductVersion"), version);
  EXPECT_EQ(std::string(kUninstallDisplayVersion), version);
  EXPECT_EQ(std::string(kUninstallDisplayName), string("ProductName") + " 1.1");
}

#pragma pack(push, 2)
struct IconGroupEntry {
  BYTE width, height, colours, reserved;
  WORD planes, bits;
  DWORD bytes;
  WORD id;
};
#pragma pack(pop)

TEST_F(NimbrelExe, HasTheIconAtEverySizeTheSystemAsksFor) {
  const std::string group = Resource("IDI_NIMBREL", RT_GROUP_ICON);
  ASSERT_GE(group.size(), 6u);
  const WORD count = *reinterpret_cast<const WORD*>(group.data() + 4);
  ASSERT_EQ(group.size(), 6 + count * sizeof(IconGroupEntry));
  std::set<int> sizes;
  for (WORD i = 0; i < count; ++i) {
    const auto* e = reinterpret_cast<const IconGroupEntry*>(group.data() + 6 + i * sizeof(IconGroupEntry));
    sizes.insert(e->width == 0 ? 256 : e->width);
    EXPECT_EQ(e->width, e->height);
  }
  // Small and large icons at 100, 125, 150 and 200 %, and the tray's.
  for (int size : {16, 20, 24, 32, 40, 48}) EXPECT_TRUE(sizes.count(size)) << size;
}


// ---- the headers, read from the file as Windows' own checks read them

class NimbrelImage : public ::testing::Test {
 protected:
  void SetUp() override {
    std::ifstream file(ExePath(), std::ios::binary);
    data_.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    ASSERT_GT(data_.size(), sizeof(IMAGE_DOS_HEADER));
    nt_ = reinterpret_cast<const IMAGE_NT_HEADERS*>(data_.data() +
                                                    reinterpret_cast<const IMAGE_DOS_HEADER*>(data_.data())->e_lfanew);
    ASSERT_EQ(nt_->Signature, static_cast<DWORD>(IMAGE_NT_SIGNATURE));
  }
  const IMAGE_SECTION_HEADER* Sections() const { return IMAGE_FIRST_SECTION(nt_); }
  // The file offset of an address in the image (0: in no section).
  size_t Offset(DWORD rva) const {
    for (int i = 0; i < nt_->FileHeader.NumberOfSections; ++i) {
      const IMAGE_SECTION_HEADER& s = Sections()[i];
      if (rva >= s.VirtualAddress && rva < s.VirtualAddress + std::max(s.SizeOfRawData, s.Misc.VirtualSize)) {
        return rva - s.VirtualAddress + s.PointerToRawData;
      }
    }
    return 0;
  }
  std::set<std::string> ImportedDlls() const {
    std::set<std::string> names;
    const DWORD table = nt_->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress;
    for (size_t at = Offset(table); at && at + sizeof(IMAGE_IMPORT_DESCRIPTOR) <= data_.size();
         at += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
      const auto* entry = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(data_.data() + at);
      if (entry->Name == 0) break;
      std::string name = data_.c_str() + Offset(entry->Name);
      std::transform(name.begin(), name.end(), name.begin(), [](char c) { return static_cast<char>(tolower(c)); });
      names.insert(name);
    }
    return names;
  }
  std::string data_;
  const IMAGE_NT_HEADERS* nt_ = nullptr;
};

// Windows loads these from its own folder whatever stands beside the exe
// (they are known DLLs, or loaded before any program code runs); any other
// DLL is loaded on demand from the system folder.
TEST_F(NimbrelImage, ImportsOnlyDllsWindowsAlwaysTakesFromItsOwnFolder) {
  const std::set<std::string> imports = ImportedDlls();
  ASSERT_FALSE(imports.empty());
  const std::set<std::string> allowed = {"advapi32.dll", "gdi32.dll", "kernel32.dll", "msvcrt.dll", "user32.dll"};
  for (const std::string& dll : imports) EXPECT_TRUE(allowed.count(dll)) << dll;
}

TEST_F(NimbrelImage, IsProtectedAsWindowsExpectsOfAProgramToday) {
  const auto& optional = nt_->OptionalHeader;
  EXPECT_EQ(optional.MajorSubsystemVersion, 6) << "Vista's frame metrics and later";
  EXPECT_EQ(optional.MinorSubsystemVersion, 0);
  EXPECT_EQ(optional.Subsystem, IMAGE_SUBSYSTEM_WINDOWS_GUI);
  for (const WORD flag : {IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE, IMAGE_DLLCHARACTERISTICS_NX_COMPAT,
                          IMAGE_DLLCHARACTERISTICS_TERMINAL_SERVER_AWARE}) {
    EXPECT_EQ(optional.DllCharacteristics & flag, flag) << std::hex << flag;
  }
  // A random base needs the relocations.
  EXPECT_EQ(nt_->FileHeader.Characteristics & IMAGE_FILE_RELOCS_STRIPPED, 0);
  EXPECT_GT(optional.DataDirectory[IMAGE_DIRECTORY_ENTRY_BASERELOC].Size, 0u);
  for (int i = 0; i < nt_->FileHeader.NumberOfSections; ++i) {
    const IMAGE_SECTION_HEADER& s = Sections()[i];
    const DWORD both = IMAGE_SCN_MEM_WRITE | IMAGE_SCN_MEM_EXECUTE;
    EXPECT_NE(s.Characteristics & both, both) << std::string(reinterpret_cast<const char*>(s.Name), 8);
  }
  // The stack protector's failure report is linked in only when code is
  // compiled with it.
  EXPECT_NE(data_.find("stack smashing detected"), std::string::npos);
}

}  // namespace
}  // namespace nimbrel
