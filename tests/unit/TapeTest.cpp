#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/Tape.h"

namespace nimbrel {
namespace {

// The tape's file in memory, failing on request.
struct MemoryTapeFile : TapeFile {
  std::string text;
  bool exists = false;
  std::string failRead, failWrite;
  std::vector<std::string> calls;

  std::string Read(std::string& out) override {
    calls.push_back("read");
    if (failRead.empty()) out = text;
    return failRead;
  }
  std::string Append(const std::string& more) override {
    calls.push_back("append");
    if (failWrite.empty()) text += more, exists = true;
    return failWrite;
  }
  std::string Rewrite(const std::string& all) override {
    calls.push_back("rewrite");
    if (failWrite.empty()) text = all, exists = true;
    return failWrite;
  }
  void Remove() override {
    calls.push_back("remove");
    text.clear();
    exists = false;
  }
};

std::string Numbered(int from, int to) {
  std::string text;
  for (int i = from; i <= to; ++i) text += std::to_string(i) + "\r\n";
  return text;
}

TEST(Tape, KeptFromOneStartToTheNextAppendedAsStepsHappen) {
  MemoryTapeFile file;
  file.text = std::string("old one\r\nold\0 two\n", 18);  // a stray zero; the last line ended by an editor
  Tape tape;
  tape.Add("before the file was read");
  tape.Open(&file, true);
  EXPECT_EQ(tape.Text(), "old one\r\nold two\r\nbefore the file was read\r\n");
  tape.Add("2\tENTER\t2.0000");
  EXPECT_EQ(file.text.substr(18), "before the file was read\r\n2\tENTER\t2.0000\r\n");
  EXPECT_EQ(file.calls, (std::vector<std::string>{"read", "append", "append"}));
  tape.Clear();
  EXPECT_EQ(file.text, "");
  EXPECT_EQ(tape.Text(), "");
}

TEST(Tape, CutToTheNewestThousandInOneRewritePastTwiceThat) {
  MemoryTapeFile file;
  file.text = Numbered(1, 1999);
  Tape tape;
  tape.Open(&file, true);
  EXPECT_EQ(tape.Lines().size(), kTapeSteps) << "only the newest thousand are read";
  EXPECT_EQ(tape.Lines().front(), "1000");
  tape.Add("2000");
  EXPECT_EQ(file.text, Numbered(1, 2000)) << "appended up to twice the limit";
  file.calls.clear();
  tape.Add("2001");
  EXPECT_EQ(file.calls, (std::vector<std::string>{"rewrite"}));
  EXPECT_EQ(file.text, Numbered(1002, 2001));
  EXPECT_EQ(tape.Text(), file.text);
}

TEST(Tape, AFileThatFailsSaysSoOnceAndTheTapeGoesOnInMemory) {
  MemoryTapeFile file;
  file.failWrite = "Tape.txt can't be written: Access is denied.";
  Tape tape;
  int resets = 0;
  tape.onChange = [&](Tape::Change c) { resets += c == Tape::Change::Reset; };
  tape.Open(&file, true);
  tape.Add("one");
  tape.Add("two");
  EXPECT_EQ(tape.Notice(), file.failWrite);
  EXPECT_EQ(file.calls, (std::vector<std::string>{"read", "append"})) << "no more tries once it failed";
  EXPECT_EQ(tape.Text(), "one\r\ntwo\r\n");
  EXPECT_EQ(resets, 2);  // the file's lines read, and the notice

  MemoryTapeFile locked;
  locked.failRead = "Tape.txt can't be read: it is in use.";
  Tape other;
  other.Open(&locked, true);
  other.Add("three");
  EXPECT_EQ(other.Notice(), locked.failRead);
  EXPECT_EQ(locked.calls, (std::vector<std::string>{"read"})) << "a file it couldn't read is left alone";

  // Kept again once it can be written: no notice, the whole tape written.
  file.failWrite.clear();
  tape.SetKept(false);
  tape.SetKept(true);
  EXPECT_EQ(tape.Notice(), "");
  EXPECT_EQ(file.text, "one\r\ntwo\r\n");
}

TEST(Tape, NotKeptTheFileGoesAndNothingIsWritten) {
  MemoryTapeFile file;
  file.text = "old\r\n";
  file.exists = true;
  Tape tape;
  tape.Open(&file, false);
  tape.Add("one");
  EXPECT_FALSE(file.exists);
  EXPECT_EQ(file.calls, (std::vector<std::string>{"remove"}));
  tape.SetKept(true);  // kept again: what the tape holds is written
  EXPECT_EQ(file.text, "one\r\n");
  tape.SetKept(false);
  EXPECT_FALSE(file.exists);
}

TEST(Tape, OptionsAsTheLineThatSaysHowNumbersRead) {
  DisplayOptions o;
  EXPECT_EQ(OptionsText(o), "base 10, 4 decimals, commas, trailing zeros, exponent step 1, radians");
  o = {16, 0, 4, 0, 0, 1, 3, 3, 0};
  EXPECT_EQ(OptionsText(o), "base 16, decimals as fit, exponent always, exponent step 3, degrees");
  o.Angles = 2;
  EXPECT_EQ(OptionsText(o), "base 16, decimals as fit, exponent always, exponent step 3, gradients");
}

}  // namespace
}  // namespace nimbrel
