#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "FakePlatform.h"
#include "core/Engine.h"
#include "display/ClipboardText.h"
#include "display/EntryLine.h"

namespace nimbrel {
namespace {

TEST(CopyText, DropsTheLabelAndPutsTheExponentInTheUsualOrder) {
  const struct {
    const char* line;
    const char* text;
  } cases[] = {
      {"X: 1,234.5000", "1,234.5000"},
      {"X: 1.5000+e20", "1.5000e+20"},
      {"X: -2.0000-e5", "-2.0000e-5"},
      {"X: 1+e0", "1e+0"},
      {"X: 1.E000+e1A", "1.E000e+1A"},  // base 16: only the lower-case e is the exponent
      {"X: ", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(CopyTextFromLine(c.line), c.text) << c.line;
}

TEST(CopyText, FormatsXUnderTheDisplayOptions) {
  DisplayOptions options;
  EXPECT_EQ(CopyText(1234.5L, options), "1,234.5000");
  EXPECT_EQ(CopyText(1.5e20L, options), "1.5000e+20");
  EXPECT_EQ(CopyText(-0.00002L, options), "-2.0000e-5");
  options.Base = 16;
  EXPECT_EQ(CopyText(255.5L, options), "FF.8000");
}

TEST(PasteValue, ReadsADecimalNumberOutOfAnyText) {
  const struct {
    const char* text;
    Extended value;
  } cases[] = {
      {"1,234.5000", 1234.5L},
      {"1.5000e+20", 1.5e20L},
      {"-2.0000e-5", -2.0e-5L},
      {"$1,000.50", 1000.5L},
      {"3+4", 34},
      {"", 0},
      {"abc", 0},
      {"-", 0},
      {".", 0},
      {".5", 0.5L},
      {"5.", 5},
      {"1e", 1},
      {"1e-", 1},
      {"2E3", 2000},
      {"FF.8000", 0.8L},  // letters dropped, read as decimal whatever the base
      {"12 dogs, 34 cats", 1234},
      {"0.1", 0.1L},
      {"1e-5000", 0},  // below the range: underflows to zero, which is a number
      {"1.18973149535723176502e+4932", 1.18973149535723176502e+4932L},
      {"--5", 0},
      {"5-3", 5},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const std::optional<Extended> v = PasteValue(c.text);
    ASSERT_TRUE(v.has_value());
    EXPECT_EQ(*v, c.value);
  }
}

TEST(PasteValue, ReadsOnlyTheFirst31Characters) {
  EXPECT_EQ(PasteValue("1234567890123456789012345678901234"), 1234567890123456789012345678901.0L);
  EXPECT_EQ(PasteValue(std::string(30, ' ') + "57"), 5);
  EXPECT_EQ(PasteValue(std::string(31, 'x') + "57"), 0);
}

TEST(PasteValue, RefusesNumbersBeyondTheRange) {
  for (const char* text : {"1E5000", "-1e4933", "1.2e4932"}) {
    EXPECT_FALSE(PasteValue(text).has_value()) << text;
  }
}

TEST(BoundedText, StopsAtTheZeroTheBlockOrTheLimit) {
  const char block[] = {'1', '2', '3', '\0', '9'};
  EXPECT_EQ(BoundedText(block, sizeof block, 31), "123");
  // A block whose text has no terminating zero: its bytes and no more.
  const char unterminated[] = {'4', '5', '6'};
  EXPECT_EQ(BoundedText(unterminated, sizeof unterminated, 31), "456");
  EXPECT_EQ(BoundedText(unterminated, 0, 31), "");
  EXPECT_EQ(BoundedText(block, sizeof block, 2), "12");
}

TEST(BoundedText, AMegabyteOfTextPastesTheNumberInItsFirst31Characters) {
  // No zero anywhere in the megabyte: only the first 31 characters are read.
  std::string megabyte(1 << 20, '7');
  megabyte.replace(0, 12, "Total: 42.5 ");
  const std::string read = BoundedText(megabyte.data(), megabyte.size(), kPasteBuffer);
  EXPECT_EQ(read.size(), static_cast<size_t>(kPasteBuffer));
  // "Total: 42.5 " then 19 sevens: the kept characters join to 42.5777...
  EXPECT_EQ(PasteValue(read), PasteValue("42.5" + std::string(19, '7')));
  EXPECT_EQ(PasteValue(megabyte), PasteValue(read));
}

struct PasteFixture : ::testing::Test {
  Engine engine;
  DisplayOptions options;
  EntryLine entry{engine, options};
};

TEST_F(PasteFixture, PushesAndEndsTheEntry) {
  entry.EntryKey('4');
  entry.EntryKey('2');
  EXPECT_TRUE(PasteInto("7.5", engine, entry));
  EXPECT_EQ(engine.X(), 7.5L);
  EXPECT_EQ(engine.Y(), 42) << "the typed value stays below the pasted one";
  EXPECT_FALSE(entry.InProgress());
  entry.EntryKey('1');
  EXPECT_EQ(engine.X(), 1);
  EXPECT_EQ(engine.Y(), 7.5L) << "the next number starts a new level";
}

TEST_F(PasteFixture, ANumberBeyondTheRangePushesNothingAndBeeps) {
  engine.Push(3);
  const int16_t top = engine.StackTop();
  EXPECT_FALSE(PasteInto("1e9999", engine, entry)) << "refused: the calculator beeps";
  EXPECT_EQ(engine.X(), 3);
  EXPECT_EQ(engine.StackTop(), top);
}

}  // namespace
}  // namespace nimbrel
