#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

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

TEST(PastedNumbers, AColumnOrRowOfNumbersAndNothingElse) {
  using Numbers = std::vector<Extended>;
  const struct {
    const char* text;
    std::optional<Numbers> numbers;  // nothing: read as one number, as PasteValue does
  } cases[] = {
      {"1\r\n2\r\n3\r\n", Numbers{1, 2, 3}},  // a spreadsheet's column
      {"1\n2\n3", Numbers{1, 2, 3}},
      {"1\t-2.5\t3e2", Numbers{1, -2.5L, 300}},  // a row
      {" 1,234.5 ; +7 ;; 1.5000e+20 ", Numbers{1234.5L, 7, 1.5e20L}},
      {"1\r\n\r\n2", Numbers{1, 2}},  // empty pieces skipped
      {".5\n5.\n-0.0000e-5", Numbers{0.5L, 5, 0}},
      {"12,345,678\n0", Numbers{12345678, 0}},
      {"1,2,3\n4", std::nullopt},  // commas that don't group threes
      {"1234,567\n4", std::nullopt},
      {"1,23\n4", std::nullopt},
      {"12 dogs\n34 cats", std::nullopt},
      {"1 2\n3", std::nullopt},
      {"FF.8000\n1", std::nullopt},
      {"1e\n2", std::nullopt},
      {"$5\n6", std::nullopt},
      {"42", std::nullopt},  // one piece: one number, as ever
      {"42\r\n", std::nullopt},
      {"1e5000\n2", std::nullopt},  // beyond the range
      {"", std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(PastedNumbers(c.text), c.numbers);
  }
  EXPECT_FALSE(PastedNumbers(std::string(kPasteTextLimit, '1') + "\n2")) << "a text read only in part";
}

TEST(StackText, TenLinesDeepestFirstEachAsCopyWritesIt) {
  Engine engine;
  engine.Push(1.5e20L);
  engine.Push(-0.00002L);
  engine.Push(1234.5L);
  EXPECT_EQ(StackText(engine, DisplayOptions{}),
            "0.0000\r\n0.0000\r\n0.0000\r\n0.0000\r\n0.0000\r\n0.0000\r\n0.0000\r\n"
            "1.5000e+20\r\n-2.0000e-5\r\n1,234.5000\r\n");
  // Pasted back, the ten levels come back as displayed.
  Engine copy;
  EntryLine entry{copy, DisplayOptions{}};
  for (int k = 1; k <= kStackSize; ++k) copy.Push(99);
  ASSERT_TRUE(PasteInto(StackText(engine, DisplayOptions{}), copy, entry));
  for (int k = 1; k <= kStackSize; ++k) EXPECT_EQ(copy.Level(k), engine.Level(k)) << "level " << k;
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

TEST_F(PasteFixture, AColumnPushesEachNumberAsIfTypedWithEnterBetween) {
  entry.EntryKey('4');
  EXPECT_TRUE(PasteInto("1\r\n2\r\n3\r\n", engine, entry));
  EXPECT_EQ(engine.X(), 3);
  EXPECT_EQ(engine.Y(), 2);
  EXPECT_EQ(engine.Level(3), 1);
  EXPECT_EQ(engine.Level(4), 4) << "the number typed stays below";
  EXPECT_FALSE(entry.InProgress());
  // Twelve numbers: the last ten stay, as pushes keep them.
  EXPECT_TRUE(PasteInto("1;2;3;4;5;6;7;8;9;10;11;12", engine, entry));
  for (int k = 1; k <= kStackSize; ++k) EXPECT_EQ(engine.Level(k), 13 - k) << "level " << k;
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
