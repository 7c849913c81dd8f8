// Shell links in the real (Wine) Startup folder: written, read back through
// the shell's own link object, overwritten and deleted.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <gtest/gtest.h>

#include <string>

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

TEST(SpecialFolders, TheDesktopAndStartupAreDifferentFolders) {
  const std::string desktop = SpecialFolderPath(kDesktopFolder);
  const std::string startup = SpecialFolderPath(kStartupFolder);
  EXPECT_FALSE(desktop.empty());
  EXPECT_NE(desktop, startup);
  EXPECT_NE(desktop.back(), '\\');
}

}  // namespace
}  // namespace nimbrel
