// Shell links in the real (Wine) Startup folder: written, read back through
// the shell's own link object, overwritten and deleted.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "INCLUDE/QuarvelMisc_win.h"

namespace nimbrel {
namespace {

struct LinkContents {
  std::string target, description, arguments;
};

// What the shell reads from a link file.
LinkContents ReadLink(const std::string& path) {
  LinkContents out;
  IShellLinkA* link = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                              reinterpret_cast<void**>(&link)))) {
    return out;
  }
  IPersistFile* file = nullptr;
  if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
    wchar_t wide[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
    if (SUCCEEDED(file->Load(wide, STGM_READ))) {
      char text[MAX_PATH] = {};
      link->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH);
      out.target = text;
      text[0] = 0;
      link->GetDescription(text, MAX_PATH);
      out.description = text;
      text[0] = 0;
      link->GetArguments(text, MAX_PATH);
      out.arguments = text;
    }
    file->Release();
  }
  link->Release();
  return out;
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

class QuarvelMiscTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CoInitialize(nullptr);
    folder_ = SpecialFolderPath(kStartupFolder);
    ASSERT_FALSE(folder_.empty());
    // The Startup folder may not exist yet in a fresh profile.
    CreateDirectoryA(folder_.c_str(), nullptr);
    name_ = "Nimbrel Test " + std::to_string(GetCurrentProcessId()) + ".lnk";
    path_ = folder_ + "\\" + name_;
  }
  void TearDown() override {
    DeleteFileA(path_.c_str());
    CoUninitialize();
  }
  std::string folder_, name_, path_;
};

TEST_F(QuarvelMiscTest, ALinkToTheProgramWithItsNameAsDescription) {
  CreateLink("C:\\Tools\\Nimbrel\\Nimbrel.exe", name_, kStartupFolder);
  ASSERT_TRUE(Exists(path_));
  const LinkContents link = ReadLink(path_);
  EXPECT_EQ(link.target, "C:\\Tools\\Nimbrel\\Nimbrel.exe");
  EXPECT_EQ(link.description, name_);
  EXPECT_EQ(link.arguments, "");
}

TEST_F(QuarvelMiscTest, ASecondLinkReplacesTheFirst) {
  CreateLink("C:\\Old\\Nimbrel.exe", name_, kStartupFolder);
  CreateLink("C:\\New\\Nimbrel.exe", name_, kStartupFolder);
  EXPECT_EQ(ReadLink(path_).target, "C:\\New\\Nimbrel.exe");
}

TEST_F(QuarvelMiscTest, DeletingIsQuietWhenThereIsNothingToDelete) {
  CreateLink("C:\\Tools\\Nimbrel.exe", name_, kStartupFolder);
  EXPECT_TRUE(DeleteLink(nullptr, name_, kStartupFolder));
  EXPECT_FALSE(Exists(path_));
  EXPECT_FALSE(DeleteLink(nullptr, name_, kStartupFolder));
}

// The user's Startup folder moved, through the shell's folder settings, to
// a scratch place for one test, and put back after it. Reports are caught
// instead of shown.
class MovedStartupFolder : public ::testing::Test {
 protected:
  static constexpr const wchar_t* kShellFolders =
      L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
  void SetUp() override {
    CoInitialize(nullptr);
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    // "Жора 日本 <pid>": a user's folder in scripts the ANSI page lacks.
    base_ = std::wstring(temp) + L"\x0416\x043e\x0440\x0430 \x65e5\x672c " + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(base_.c_str(), nullptr);
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, kShellFolders, 0, KEY_ALL_ACCESS, &key_), ERROR_SUCCESS);
    wchar_t old[1024] = {};
    DWORD size = sizeof old, type = 0;
    if (RegQueryValueExW(key_, L"Startup", nullptr, &type, reinterpret_cast<BYTE*>(old), &size) == ERROR_SUCCESS) {
      old_ = old;
      oldType_ = type;
    }
    reports.clear();
    SetReportShower([](const char* text, const char* caption) { reports.push_back({caption, text}); });
  }
  void TearDown() override {
    SetReportShower(nullptr);
    if (oldType_) {
      RegSetValueExW(key_, L"Startup", 0, oldType_, reinterpret_cast<const BYTE*>(old_.c_str()),
                     static_cast<DWORD>((old_.size() + 1) * sizeof(wchar_t)));
    } else {
      RegDeleteValueW(key_, L"Startup");
    }
    RegCloseKey(key_);
    const std::wstring link = base_ + L"\\Startup\\Quarvel Calculator.lnk";
    DeleteFileW(link.c_str());
    RemoveDirectoryW((base_ + L"\\Startup").c_str());
    DeleteFileW((base_ + L"\\Startup").c_str());
    RemoveDirectoryW(base_.c_str());
    CoUninitialize();
  }
  void StartupAt(const std::wstring& path) {
    ASSERT_EQ(RegSetValueExW(key_, L"Startup", 0, REG_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
                             static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
  }
  static bool ExistsW(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

  std::wstring base_, old_;
  DWORD oldType_ = 0;
  HKEY key_ = nullptr;
  static inline std::vector<std::pair<std::string, std::string>> reports;  // caption, text
};

TEST_F(MovedStartupFolder, AMissingStartupFolderIsMadeWithTheLink) {
  const std::wstring folder = base_ + L"\\Startup";
  StartupAt(folder);
  ASSERT_FALSE(ExistsW(folder));
  EXPECT_TRUE(CreateLink(L"C:\\Tools\\Nimbrel.exe", kLinkFileName, kStartupFolder));
  EXPECT_EQ(SpecialFolderPathW(kStartupFolder), folder);
  EXPECT_TRUE(ExistsW(folder + L"\\Quarvel Calculator.lnk"));
  EXPECT_TRUE(reports.empty());
  // The ANSI form of the folder names the same place.
  const std::string narrow = SpecialFolderPath(kStartupFolder);
  ASSERT_FALSE(narrow.empty());
  EXPECT_NE(GetFileAttributesA((narrow + "\\Quarvel Calculator.lnk").c_str()), INVALID_FILE_ATTRIBUTES) << narrow;
  EXPECT_TRUE(DeleteLink(nullptr, kLinkFileName, kStartupFolder));
  EXPECT_FALSE(ExistsW(folder + L"\\Quarvel Calculator.lnk"));
}

TEST_F(MovedStartupFolder, AFileWhereTheFolderShouldBeIsReportedAndNoLinkMade) {
  // Wine runs as root here, so a folder closed to writing can't be made:
  // a file standing in the folder's place makes the link impossible too.
  const std::wstring folder = base_ + L"\\Startup";
  HANDLE file = CreateFileW(folder.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  CloseHandle(file);
  StartupAt(folder);
  EXPECT_FALSE(CreateLink(L"C:\\Tools\\Nimbrel.exe", kLinkFileName, kStartupFolder));
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].first.rfind("Generic, Line=", 0), 0u) << reports[0].first;
  EXPECT_FALSE(reports[0].second.empty()) << "the system's text for the error";
  EXPECT_FALSE(ExistsW(folder + L"\\Quarvel Calculator.lnk"));
}

TEST(SpecialFolders, TheDesktopAndStartupAreDifferentFolders) {
  const std::string desktop = SpecialFolderPath(kDesktopFolder);
  const std::string startup = SpecialFolderPath(kStartupFolder);
  EXPECT_FALSE(desktop.empty());
  EXPECT_NE(desktop, startup);
  EXPECT_NE(desktop.back(), '\\');
}

}  // namespace
}  // namespace nimbrel
