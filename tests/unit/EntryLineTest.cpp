#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "FakePlatform.h"
#include "core/Engine.h"
#include "display/EntryLine.h"

namespace nimbrel {
namespace {

// Keys written as text: digits and "A"-"F" as themselves, "." the decimal
// point, "s" change sign, "x" start the exponent, "<" backspace.
std::vector<uint16_t> Keys(const std::string& text) {
  std::vector<uint16_t> out;
  for (char c : text) {
    switch (c) {
      case '.': out.push_back(vk::Decimal); break;
      case 's': out.push_back(vk::End); break;
      case 'x': out.push_back(vk::Next); break;
      case '<': out.push_back(vk::Back); break;
      default: out.push_back(static_cast<uint16_t>(c)); break;
    }
  }
  return out;
}

struct EntryFixture {
  Engine engine;
  DisplayOptions options;
  EntryLine entry{engine, options};
  int refused = 0;  // keys the entry refused (the calculator beeps for each)

  explicit EntryFixture(int base = 10) {
    options.Base = static_cast<int16_t>(base);
    engine.Push(9);  // a value below, to see whether the entry pushed or replaced
  }
  void Type(const std::string& keys) {
    for (uint16_t k : Keys(keys)) refused += entry.EntryKey(k) ? 0 : 1;
  }
  int Beeps() const { return refused; }
};

struct TypingCase {
  const char* keys;
  int base;
  const char* text;  // the entry line afterwards
  Extended x;        // X afterwards
  int beeps;
};

TEST(EntryLine, TypingSequences) {
  const TypingCase cases[] = {
      {"007", 10, "X: 007", 7, 0},
      {".", 10, "X: .", 0, 0},
      {".5", 10, "X: .5", 0.5L, 0},
      {"1.1", 10, "X: 1.1", 1.1L, 0},
      {"12xs3", 10, "X: 12-e3", 0.012L, 0},
      {"12.5sx3", 10, "X: -12.5+e3", -12500, 0},
      {"1x5", 10, "X: 1+e5", 100000, 0},
      {"FF", 16, "X: FF", 255, 0},
      {"1F.8", 16, "X: 1F.8", 31.5L, 0},
      {"10x2", 16, "X: 10+e2", 4096, 0},
      {"17.4", 8, "X: 17.4", 15.5L, 0},
      {"1x10", 8, "X: 1+e10", 16777216, 0},  // the exponent is read in base 8
      // limits
      {"12345678901234", 10, "X: 1234567890123", 1234567890123.0L, 1},
      {"1.23456789012", 10, "X: 1.23456789012", 1.23456789012L, 0},
      {"1.23456789012.", 10, "X: 1.23456789012", 1.23456789012L, 1},
      {"12345678901x1", 10, "X: 12345678901+e0", 12345678901.0L, 1},
      {"1234567890x12", 10, "X: 1234567890+e1", 12345678900.0L, 1},
      {"1x1234", 10, "X: 1+e123", 1e123L, 1},
      // refused characters
      {"1.2.", 10, "X: 1.2", 1.2L, 1},
      {"1x.", 10, "X: 1+e0", 1, 1},
      {"1x0", 10, "X: 1+e0", 1, 1},
      {"1x10", 10, "X: 1+e10", 1e10L, 0},
      {"1xx", 10, "X: 1+e0", 1, 1},
      // backspace
      {"1.<.5", 10, "X: 1.5", 1.5L, 0},
      {"12x3<", 10, "X: 12+e0", 12, 0},
      {"12x<", 10, "X: 12", 12, 0},
      {"12x<3", 10, "X: 123", 123, 0},
      {"12xs3<<3", 10, "X: 123", 123, 0},
      {"-", 10, "", 9, 1},  // not a key of the entry line at all
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.keys) + " in base " + std::to_string(c.base));
    EntryFixture f(c.base);
    f.Type(c.keys);
    if (*c.text) {
      EXPECT_EQ(f.entry.EntryText(), c.text);
    }
    EXPECT_EQ(f.engine.X(), c.x);
    EXPECT_EQ(f.Beeps(), c.beeps);
    if (*c.text) {
      EXPECT_EQ(f.engine.Y(), 9) << "the first digit pushes a new level, later ones replace it";
    }
  }
}

TEST(EntryLine, BackspaceOverEverythingLeavesZeroToBeReplaced) {
  EntryFixture f;
  f.Type("5<");
  EXPECT_FALSE(f.entry.InProgress());
  EXPECT_EQ(f.engine.X(), 0);
  EXPECT_EQ(f.engine.Y(), 9);
  f.Type("7");
  EXPECT_EQ(f.engine.X(), 7);
  EXPECT_EQ(f.engine.Y(), 9) << "the 0 left by backspace is replaced, not pushed on";
}

TEST(EntryLine, BackspaceWithNoEntryDoesNothing) {
  EntryFixture f;
  f.Type("<");
  EXPECT_EQ(f.engine.X(), 9);
  EXPECT_EQ(f.engine.StackTop(), 1);
  EXPECT_EQ(f.refused, 0);
}

TEST(EntryLine, ChangeSignWithNoEntryNegatesXOnly) {
  EntryFixture f;
  f.Type("s");
  EXPECT_EQ(f.engine.X(), -9);
  EXPECT_FALSE(f.entry.InProgress());
  f.Type("5");
  EXPECT_EQ(f.engine.X(), 5) << "the next number starts positive";
  EXPECT_EQ(f.engine.Y(), -9);
}

TEST(EntryLine, FreshEntryDecidesPushOrReplace) {
  EntryFixture f;
  f.Type("42");
  f.engine.Calculate(opEnter, auRadians);  // what the dispatcher does for Enter
  f.entry.ResetEntry();
  f.entry.FreshEntry = 0;
  f.Type("5");
  EXPECT_EQ(f.engine.X(), 5);
  EXPECT_EQ(f.engine.Y(), 42) << "the copy made by Enter is replaced";
  EXPECT_EQ(f.engine.Level(3), 9);

  f.engine.Calculate(opAdd, auRadians);
  f.entry.ResetEntry();
  f.Type("5");
  EXPECT_EQ(f.engine.X(), 5);
  EXPECT_EQ(f.engine.Y(), 47) << "after an operation the result moves up";
}

TEST(EntryLine, ResetEntryClearsEveryField) {
  EntryFixture f;
  f.Type("1.5sxs2");
  f.entry.ResetEntry();
  EXPECT_EQ(f.entry.MantLen, 0);
  EXPECT_EQ(f.entry.ExpLen, 0);
  EXPECT_TRUE(f.entry.MantText.empty());
  EXPECT_TRUE(f.entry.ExpText.empty());
  EXPECT_EQ(f.entry.MantNeg + f.entry.ExpNeg + f.entry.PointEntered + f.entry.ExpEntry, 0);
  EXPECT_EQ(f.entry.FreshEntry, 1);
  EXPECT_FALSE(f.entry.InProgress());
  EXPECT_EQ(f.engine.X(), -0.015L) << "the typed value stays on the stack";
}

TEST(EntryLine, ValuesBeyondTheRangeAreRefused) {
  struct Case {
    const char* accepted;
    const char* refused;
    const char* text;
  } cases[] = {
      {"FFxFF", "F", "X: FF+eFF"},      // 255 * 16^4095 overflows
      {"FFxsFFF", "s", "X: FF-eFFF"},   // turning the exponent positive would too
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.accepted);
    EntryFixture f(16);
    f.Type(c.accepted);
    const Extended x = f.engine.X();
    const int16_t top = f.engine.StackTop();
    ASSERT_TRUE(std::isfinite(x));
    ASSERT_EQ(f.Beeps(), 0);
    f.Type(c.refused);
    EXPECT_EQ(f.Beeps(), 1);
    EXPECT_EQ(f.entry.EntryText(), c.text);
    EXPECT_EQ(f.engine.X(), x);
    EXPECT_EQ(f.engine.StackTop(), top);
    EXPECT_EQ(f.engine.Y(), 9);
  }
  EntryFixture f(16);
  f.Type("1xFFF");  // 16^4095 = 2^16380 still fits
  EXPECT_EQ(f.engine.X(), 0x1p16380L);
  EXPECT_EQ(f.Beeps(), 0);
}

TEST(EntryLine, WhichKeysAreDigits) {
  const struct {
    int base;
    const char* digits;
  } cases[] = {{8, "01234567."}, {10, "0123456789."}, {16, "0123456789ABCDEF."}, {7, ""}, {0, ""}};
  const std::string all = "0123456789ABCDEFGZ.";
  for (const auto& c : cases) {
    for (char k : all) {
      const uint16_t code = k == '.' ? vk::Decimal : static_cast<uint16_t>(k);
      const bool expected = std::string(c.digits).find(k) != std::string::npos;
      EXPECT_EQ(IsEntryDigit(code, c.base), expected) << "key " << k << " base " << c.base;
    }
  }
  EXPECT_FALSE(IsEntryDigit(0x60, 10)) << "keypad 0 is translated by the dispatcher, not here";
}

TEST(EntryLine, ParseDigitsReadsFromTheRight) {
  EXPECT_EQ(ParseDigits("12.34", 10), 12.34L);
  EXPECT_EQ(ParseDigits("FF.8", 16), 255.5L);
  EXPECT_EQ(ParseDigits(".", 10), 0);
  EXPECT_EQ(ParseDigits("", 10), 0);
  EXPECT_EQ(ParseDigits("-5", 10), -5);
  EXPECT_EQ(ParseDigits("1,234", 10), 1234) << "other characters are skipped";
  EXPECT_EQ(ParseDigits("Z", 10), 35) << "digits are not checked against the base";
  EXPECT_EQ(ParseDigits("0.1", 10), 0.1L);
}

}  // namespace
}  // namespace nimbrel
