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

TEST(CommandLine, TheShowRequestIsExactlyDashShow) {
  const struct {
    const char* line;
    bool show;
  } cases[] = {
      {R"("C:\Program Files\Nimbrel\Nimbrel.exe" -show)", true},
      {R"(C:\Nimbrel\Nimbrel.exe -show )", false},
      {R"(C:\Nimbrel\Nimbrel.exe -SHOW)", false},
      {R"(C:\Nimbrel\Nimbrel.exe /show)", false},
      {R"(C:\Nimbrel\Nimbrel.exe -u)", false},
  };
  for (const auto& c : cases) EXPECT_EQ(nimbrel::IsShowRequest(nimbrel::CommandTail(c.line)), c.show) << c.line;
}

TEST(CommandLine, TheTailAndTheUninstallRequest) {
  for (const TailCase& c : kCases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(std::string(CommandTail(c.line)), c.tail);
    EXPECT_EQ(IsUninstallRequest(CommandTail(c.line)), c.uninstall);
  }
}

TEST(CommandLine, The32KLineOfTheSystemIsTakenWhole) {
  // The longest command line Windows passes: 32767 characters with its zero.
  const std::string name = "\"C:\\Program Files\\Nimbrel\\Nimbrel.exe\"";
  const size_t room = 32767 - 1 - name.size() - 1;  // after the name and one blank
  const struct {
    std::string rest;
    bool uninstall;
  } cases[] = {
      {std::string(room, 'x'), false},
      {"-u" + std::string(room - 2, ' '), false},  // trailing blanks belong to the tail
      {std::string(room - 2, ' ') + "-u", true},   // blanks before it don't
  };
  for (const auto& c : cases) {
    const std::string line = name + " " + c.rest;
    ASSERT_EQ(line.size(), 32766u);
    // The blanks after the name are skipped, the rest is kept to its end.
    const std::string_view tail = CommandTail(line);
    EXPECT_EQ(tail.size(), c.rest.size() - c.rest.find_first_not_of(' '));
    EXPECT_EQ(tail.data() + tail.size(), line.data() + line.size());
    EXPECT_EQ(IsUninstallRequest(tail), c.uninstall);
  }
  // A name that fills the line, unquoted and quoted without its closing quote.
  const std::string longName(32766, 'n');
  EXPECT_EQ(CommandTail(longName), "");
  EXPECT_EQ(CommandTail("\"" + longName), "");
  EXPECT_EQ(CommandTail(longName + " -u"), "-u");
}

TEST(ProgramFolder, IsThePathUpToItsLastBackslash) {
  EXPECT_EQ(ProgramFolder("C:\\A\\B\\Nimbrel.exe"), "C:\\A\\B");
  EXPECT_EQ(ProgramFolder("C:\\Nimbrel.exe"), "C:");
  EXPECT_EQ(ProgramFolder("Nimbrel.exe"), "");
}

}  // namespace
