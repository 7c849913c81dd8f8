// The command line's tail decides between the calculator and its
// uninstaller; only a tail of exactly "-u" asks for the uninstaller.
#include <gtest/gtest.h>

#include <string>

#include "setup/CommandLine.h"

namespace {

using nimbrel::CommandTail;
using nimbrel::IsUninstallRequest;
using nimbrel::ProgramFolder;

struct TailCase {
  const char* line;
  const char* tail;
  bool uninstall;
};

const TailCase kCases[] = {
    {R"("C:\Program Files\Nimbrel\Nimbrel.exe" -u)", "-u", true},
    {R"(C:\Nimbrel\Nimbrel.exe -u)", "-u", true},
    {"  \t Nimbrel.exe \t -u", "-u", true},
    {R"("C:\Program Files\Nimbrel\Nimbrel.exe"-u)", "-u", true},  // nothing needed between them
    {R"(C:\Nimbrel\Nimbrel.exe -u )", "-u ", false},             // trailing blanks stay in the tail
    {R"(C:\Nimbrel\Nimbrel.exe -U)", "-U", false},
    {R"(C:\Nimbrel\Nimbrel.exe /u)", "/u", false},
    {R"(C:\Nimbrel\Nimbrel.exe -u -u)", "-u -u", false},
    // An unquoted path with a blank ends at the blank: the rest is the tail.
    {R"(C:\Program Files\Nimbrel\Nimbrel.exe -u)", R"(Files\Nimbrel\Nimbrel.exe -u)", false},
    {R"(C:\Nimbrel\Nimbrel.exe)", "", false},
    {R"("C:\Nimbrel\Nimbrel.exe)", "", false},  // an unclosed quote takes the whole line
    {"", "", false},
};

TEST(CommandLine, TheTailAndTheUninstallRequest) {
  for (const TailCase& c : kCases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(std::string(CommandTail(c.line)), c.tail);
    EXPECT_EQ(IsUninstallRequest(CommandTail(c.line)), c.uninstall);
  }
}

TEST(ProgramFolder, IsThePathUpToItsLastBackslash) {
  EXPECT_EQ(ProgramFolder("C:\\A\\B\\Nimbrel.exe"), "C:\\A\\B");
  EXPECT_EQ(ProgramFolder("C:\\Nimbrel.exe"), "C:");
  EXPECT_EQ(ProgramFolder("Nimbrel.exe"), "");
}

}  // namespace
