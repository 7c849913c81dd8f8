#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

#include "FakePlatform.h"
#include "display/NumberFormat.h"

namespace nimbrel {
namespace {

// Values pass through memory the compiler can't see into, so that library
// calls on them happen at run time.
Extended Runtime(Extended v) {
  volatile Extended copy = v;
  return copy;
}

// A decimal literal read at run time: the nearest extended value.
Extended Decimal(const char* text) {
  volatile const char* p = text;
  return std::strtold(const_cast<const char*>(p), nullptr);
}

Extended Below(Extended v) { return std::nextafter(Runtime(v), Extended(0)); }
Extended Pow2(int e) { return std::ldexp(Runtime(1), e); }

const Extended kMax = Runtime(LDBL_MAX);             // 1.18973149535723176502e+4932
const Extended kMinNormal = Runtime(LDBL_MIN);       // 3.36210314311209350626e-4932
const Extended kTrueMin = Runtime(LDBL_TRUE_MIN);    // 3.64519953188247460253e-4951 = 2^-16445
const Extended kInf = Runtime(std::numeric_limits<Extended>::infinity());
const Extended kNaN = Runtime(std::numeric_limits<Extended>::quiet_NaN());

// The display options with chainable changes, starting from the defaults
// (base 10, FixedOn, 4 decimals, commas, trailing zeros, no forced exponent,
// step 1).
struct Opts : DisplayOptions {
  Opts base(int v) const { Opts o = *this; o.Base = static_cast<int16_t>(v); return o; }
  Opts fixed(int v) const { Opts o = *this; o.FixedOn = static_cast<int16_t>(v); return o; }
  Opts decs(int v) const { Opts o = *this; o.Decs = static_cast<int16_t>(v); return o; }
  Opts commas(int v) const { Opts o = *this; o.CommasOn = static_cast<int16_t>(v); return o; }
  Opts trail(int v) const { Opts o = *this; o.TrailOn = static_cast<int16_t>(v); return o; }
  Opts allExp(int v) const { Opts o = *this; o.AllExpOn = static_cast<int16_t>(v); return o; }
  Opts step(int v) const { Opts o = *this; o.bsZ = static_cast<int16_t>(v); return o; }
};

struct Case {
  Extended value;
  Opts options;
  const char* text;
};

// The line for v, which must come without a repaired carry.
std::string Line(Extended v, const DisplayOptions& o, char label = 'X') {
  bool repaired = true;
  const std::string text = FormatNumber(Runtime(v), label, o, &repaired);
  if (repaired) ADD_FAILURE() << "a carry repaired for " << text;
  return text;
}

void CheckTable(const std::vector<Case>& cases) {
  for (size_t n = 0; n < cases.size(); ++n) {
    const Case& c = cases[n];
    SCOPED_TRACE("row " + std::to_string(n) + ", expecting " + c.text);
    EXPECT_EQ(Line(c.value, c.options), c.text);
  }
}

const Opts kDefaults{};

// ---- FormatNumber ---------------------------------------------------------------------

TEST(FormatNumber, WorkedResultsWithAndWithoutTrailingZeros) {
  const struct {
    Extended value;
    const char* trailOn;
    const char* trailOff;
  } rows[] = {
      {0, "X: 0.0000", "X: 0"},
      // k = 5: 3 + 5 + 1 + 1 comma + 5 = 15 fits, so plain.
      {Decimal("123456.789"), "X: 123,456.7890", "X: 123,456.789"},
      // k = 6: the estimate 17 is too wide.
      {Decimal("1234567.891"), "X: 1.2346+e6", "X: 1.2346+e6"},
      {Decimal("-2.5"), "X: -2.5000", "X: -2.5"},
      {Decimal("0.0001"), "X: 0.0001", "X: 0.0001"},
      // 0.00001 is stored a hair below 10^-5: its leading exponent is -6 and
      // 9.99999... rounds up to the value 10^-5, shown afresh.
      {Decimal("0.00001"), "X: 1.0000-e5", "X: 1-e5"},
      {Decimal("1.5e20"), "X: 1.5000+e20", "X: 1.5+e20"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.trailOn);
    EXPECT_EQ(Line(r.value, kDefaults), r.trailOn);
    EXPECT_EQ(Line(r.value, kDefaults.trail(0)), r.trailOff);
  }
}

TEST(FormatNumber, EngineeringSteps) {
  CheckTable({
      // k = -6 below 10^-5, rounded up to 10^-5: k = -5, stepped down to -6.
      {Decimal("0.00001"), kDefaults.step(3), "X: 10.0000-e6"},
      {Decimal("12345"), kDefaults.step(3).allExp(1), "X: 12.3450+e3"},
      // k = 7, e = 6; plain would need 3 + 7 + 1 + 2 + 5 = 18.
      {Decimal("12345678"), kDefaults.step(3), "X: 12.3457+e6"},
      // k = -4 steps down to -6, below -Decs: exponent form, three integer digits.
      {Decimal("0.0002"), kDefaults.step(3), "X: 200.0000-e6"},
      {Decimal("1234567.891"), kDefaults.step(3), "X: 1.2346+e6"},
      // k = 2 steps down to 0: no exponent unless forced.
      {Decimal("123.456"), kDefaults.step(3), "X: 123.4560"},
      {Decimal("123.456"), kDefaults.step(3).allExp(1), "X: 123.4560+e0"},
      {Decimal("-0.5"), kDefaults.step(3).allExp(1), "X: -500.0000-e3"},
      // Step 2: k = 5 steps down to 4; 3 + 5 + 1 + 1 + 5 = 15 fits plain.
      {Decimal("123456.5"), kDefaults.step(2), "X: 123,456.5000"},
      // k = 6 is a step; k = 7 steps down to 6.
      {Decimal("1234567.5"), kDefaults.step(2), "X: 1.2346+e6"},
      {Decimal("12345678.5"), kDefaults.step(2), "X: 12.3457+e6"},
  });
}

TEST(FormatNumber, RoundingCarriesIntoTheIntegerPart) {
  CheckTable({
      {Decimal("9.99996"), kDefaults, "X: 10.0000"},
      {Decimal("-9.99996"), kDefaults, "X: -10.0000"},
      {Decimal("9.99996"), kDefaults.trail(0), "X: 10"},
      {Decimal("0.999995"), kDefaults, "X: 1.0000"},
      // Rounded up to 1,000,000 the value no longer fits the plain form.
      {Decimal("999999.99999"), kDefaults, "X: 1.0000+e6"},
      {Decimal("-999999.99999"), kDefaults, "X: -1.0000+e6"},
      // And the other way: 9.99996-e5 rounds to 0.0001, which is plain.
      {Decimal("0.0000999996"), kDefaults, "X: 0.0001"},
      // 0.01 is stored below 10^-2: k = -3 < -Decs, exponent form, rounds to
      // 10^-2, which is plain with two decimals.
      {Decimal("0.01"), kDefaults.decs(2), "X: 0.01"},
      {Decimal("9.99996e40"), kDefaults, "X: 1.0000+e41"},
      {Decimal("9.99996e-40"), kDefaults, "X: 1.0000-e39"},
      // Engineering: 999.99996 rounds to 1000 and moves up a step.
      {Decimal("999.99996e3"), kDefaults.step(3).allExp(1), "X: 1.0000+e6"},
      // 0.00009 is stored below 9 * 10^-5; 8.99999... rounds to 9.
      {Decimal("0.00009"), kDefaults, "X: 9.0000-e5"},
      // The value just below 10^13 (k = 12) rounds up to 10^13.
      {Below(1e13L), kDefaults, "X: 1.0000+e13"},
      // Base 16: F.FFFF8 rounds to 10.0000 (hexadecimal).
      {Runtime(16) - Pow2(-17), kDefaults.base(16), "X: 10.0000"},
  });
}

TEST(FormatNumber, HalvesRoundUpExactly) {
  CheckTable({
      // 1.03125 = 1 + 1/32 is exact: its fifth decimal is a true half.
      {Decimal("1.03125"), kDefaults, "X: 1.0313"},
      {Decimal("-1.03125"), kDefaults, "X: -1.0313"},
      {Below(1.03125L), kDefaults, "X: 1.0312"},
      // 1.23455e20 = 123455 * 5^15 * 2^15 is exact too: the mantissa is
      // exactly 1.23455 and rounds up.
      {Decimal("1.23455e20"), kDefaults, "X: 1.2346+e20"},
      {Below(1.23455e20L), kDefaults, "X: 1.2345+e20"},
      {Decimal("2.5"), kDefaults.decs(0), "X: 3."},
      {Decimal("-2.5"), kDefaults.decs(0), "X: -3."},
      {Decimal("3.4"), kDefaults.decs(0), "X: 3."},
      {Decimal("3.4"), kDefaults.decs(0).trail(0), "X: 3"},
      // Base 16: 0.00008 (hexadecimal) is half of the last place shown.
      {Runtime(1) + Pow2(-17), kDefaults.base(16), "X: 1.0001"},
      {Runtime(1) + Pow2(-17) - Pow2(-40), kDefaults.base(16), "X: 1.0000"},
  });
}

TEST(FormatNumber, NoRepairBeepForValuesStoredJustBelowTheirRoundedValue) {
  // Each of these lies a hair below the next multiple of B^e and rounds up to
  // it. The rounded value is carried exactly, so it never comes back as the
  // value itself and no repair is needed; Line() fails on any beep.
  CheckTable({
      {Decimal("1e-5"), kDefaults, "X: 1.0000-e5"},
      {Decimal("1e-7"), kDefaults, "X: 1.0000-e7"},
      {Decimal("1e28"), kDefaults, "X: 1.0000+e28"},
      {Decimal("1e31"), kDefaults, "X: 1.0000+e31"},
      {Decimal("9e-5"), kDefaults, "X: 9.0000-e5"},
      {Decimal("3e-7"), kDefaults.step(3), "X: 300.0000-e9"},
      {Below(1e13L), kDefaults, "X: 1.0000+e13"},
      {Below(100), kDefaults, "X: 100.0000"},
  });
  // They do lie below: the exact leading exponent is one less.
  EXPECT_EQ(LeadExponent(Decimal("1e-5"), 10), -6);
  EXPECT_EQ(LeadExponent(Decimal("1e28"), 10), 27);
  EXPECT_EQ(LeadExponent(Decimal("1e31"), 10), 30);
}

TEST(FormatNumber, PowersOfTheBase) {
  CheckTable({
      {1000, kDefaults, "X: 1,000.0000"},
      {Below(1000), kDefaults, "X: 1,000.0000"},
      // Thirteen digits fill the line; the point has no room.
      {1e12L, kDefaults.fixed(0).commas(0), "X: 1000000000000"},
      // From B^13 on the exponent form is used whatever the width.
      // Room 16 - (3 + 1 + 4 + 1) = 7.
      {1e13L, kDefaults.fixed(0).commas(0), "X: 1.0000000+e13"},
      {8, kDefaults.base(8), "X: 10.0000"},
      {64, kDefaults.base(8), "X: 100.0000"},
      {0.125L, kDefaults.base(8), "X: 0.1000"},
      {4096, kDefaults.base(16), "X: 1,000.0000"},
      {4096, kDefaults.base(16).commas(0), "X: 1000.0000"},
      {Pow2(104), kDefaults.base(16), "X: 1.0000+e1A"},
      {Pow2(52), kDefaults.base(16), "X: 1.0000+eD"},
      {Pow2(-16), kDefaults.base(16), "X: 0.0001"},
      {Pow2(-20), kDefaults.base(16), "X: 1.0000-e5"},
      {Pow2(-20), kDefaults.base(16).trail(0), "X: 1-e5"},
      // Octal exponent digits: 8^26, 26 is 32 in octal.
      {Pow2(78), kDefaults.base(8), "X: 1.0000+e32"},
  });
}

TEST(FormatNumber, BasesEightAndSixteen) {
  CheckTable({
      {Decimal("255.5"), kDefaults.base(16), "X: FF.8000"},
      {Decimal("-255.5"), kDefaults.base(16), "X: -FF.8000"},
      // 0xFFFFFF = 16777215: k = 5, plain with one comma.
      {Decimal("16777215.75"), kDefaults.base(16), "X: FFF,FFF.C000"},
      // 0x1234567 is 19088743: k = 6, 3 + 6 + 1 + 2 + 5 = 17, exponent form.
      {Decimal("19088743"), kDefaults.base(16), "X: 1.2345+e6"},
      // 1/3 in octal is 0.2525...; FixedOn off gives nine places, rounded.
      {Runtime(1) / 3, kDefaults.base(8).fixed(0), "X: 0.252525253"},
      // 511.875 = 777.7 in octal.
      {Decimal("511.875"), kDefaults.base(8), "X: 777.7000"},
      {Decimal("511.875"), kDefaults.base(8).trail(0), "X: 777.7"},
      // 2^-39 = 8^-13: exponent 13 is 15 in octal.
      {Pow2(-39), kDefaults.base(8), "X: 1.0000-e15"},
  });
}

TEST(FormatNumber, ZeroAndNegativeZero) {
  CheckTable({
      {0, kDefaults, "X: 0.0000"},
      {-0.0L, kDefaults, "X: 0.0000"},
      {0, kDefaults.allExp(1), "X: 0.0000+e0"},
      {-0.0L, kDefaults.allExp(1), "X: 0.0000+e0"},
      {0, kDefaults.allExp(1).trail(0), "X: 0+e0"},
      {0, kDefaults.fixed(0), "X: 0.000000000"},
      {-0.0L, kDefaults.fixed(0).trail(0), "X: 0"},
      {0, kDefaults.base(16).step(3), "X: 0.0000"},
  });
}

TEST(FormatNumber, AllExpOnShowsTheExponentAlways) {
  CheckTable({
      {5, kDefaults.allExp(1), "X: 5.0000+e0"},
      {-5, kDefaults.allExp(1), "X: -5.0000+e0"},
      {Decimal("123.456"), kDefaults.allExp(1), "X: 1.2346+e2"},
      {Decimal("0.5"), kDefaults.allExp(1), "X: 5.0000-e1"},
      {Decimal("255.5"), kDefaults.allExp(1).base(16), "X: F.F800+e1"},
  });
}

TEST(FormatNumber, FixedOffFillsTheLine) {
  CheckTable({
      // Room 11, held to 9 places, the last one rounded.
      {Runtime(2) / 3, kDefaults.fixed(0), "X: 0.666666667"},
      {Runtime(1) / 3, kDefaults.fixed(0), "X: 0.333333333"},
      {Decimal("1.5"), kDefaults.fixed(0), "X: 1.500000000"},
      {Decimal("1.5"), kDefaults.fixed(0).trail(0), "X: 1.5"},
      // Room 16 - (3 + 7 + 1) = 5.
      {Decimal("123456.789"), kDefaults.fixed(0), "X: 123,456.78900"},
      {Decimal("-123456.789"), kDefaults.fixed(0), "X: -123,456.7890"},
      // Plain while the leading digit is among the nine places; beyond them
      // the plain form would show only zeros, so the exponent stays.
      {Decimal("0.00001"), kDefaults.fixed(0), "X: 0.000010000"},
      {Decimal("1e-9"), kDefaults.fixed(0), "X: 0.000000001"},
      {Decimal("-1e-9"), kDefaults.fixed(0).trail(0), "X: -0.000000001"},
      {Decimal("1e-10"), kDefaults.fixed(0), "X: 1.0000000-e10"},
      {Decimal("1e-10"), kDefaults.fixed(0).trail(0), "X: 1-e10"},
      {Decimal("-4e-10"), kDefaults.fixed(0), "X: -4.000000-e10"},
      {Decimal("-2e-11"), kDefaults.fixed(0), "X: -2.000000-e11"},
      {Decimal("9.6e-10"), kDefaults.fixed(0).step(3), "X: 960.00000-e12"},
      // 3 + 13 + 1 = 17 is too wide for k = -13; room 16 - (3 + 1 + 4 + 1) = 7.
      {Decimal("1.5e-13"), kDefaults.fixed(0), "X: 1.5000000-e13"},
      {Decimal("2.5e20"), kDefaults.fixed(0), "X: 2.5000000+e20"},
      {Decimal("2.5e20"), kDefaults.fixed(0).trail(0), "X: 2.5+e20"},
  });
}

TEST(FormatNumber, ThirteenDigitIntegerHasNoRoomForDecimals) {
  CheckTable({
      // Commas and FixedOn off: 3 + 12 + 1 = 16 passes, the integer piece
      // takes 13 characters and the room comes out -1: the fraction is
      // dropped, not rounded. The point alone that TrailOn would keep has
      // no room on the line either, and goes.
      {Decimal("1234567890123.75"), kDefaults.fixed(0).commas(0), "X: 1234567890123"},
      {Decimal("1234567890123.75"), kDefaults.fixed(0).commas(0).trail(0), "X: 1234567890123"},
      {Decimal("9999999999999.75"), kDefaults.fixed(0).commas(0), "X: 9999999999999"},
      {Below(1e13L), kDefaults.fixed(0).commas(0), "X: 9999999999999"},
      // Base 16: the value just below 16^13.
      {Below(Pow2(52)), kDefaults.base(16).fixed(0).commas(0), "X: FFFFFFFFFFFFF"},
      // Negative: one character fewer for the digits.
      {Decimal("-123456789012.5"), kDefaults.fixed(0).commas(0), "X: -123456789012"},
      // One more digit and the exponent form takes over: room 16 - (3 + 1 + 1 + 4 + 1) = 6.
      {Decimal("-1234567890123.5"), kDefaults.fixed(0).commas(0), "X: -1.234568+e12"},
      // With commas, ten digits fill the same 13 characters.
      {Decimal("1234567890.25"), kDefaults.fixed(0), "X: 1,234,567,890"},
      {Decimal("1234567890.25"), kDefaults.fixed(0).trail(0), "X: 1,234,567,890"},
      // Step 2 counts e div 3 = 2 commas for k = 9 where there are 3.
      {Decimal("1234567890.6"), kDefaults.step(2).decs(0), "X: 1,234,567,890"},
      // Twelve digits leave the point its place, and no room for a
      // decimal: the fraction rounds into the integer part.
      {Decimal("123456789012.75"), kDefaults.fixed(0).commas(0), "X: 123456789013."},
  });
}

TEST(FormatNumber, DecimalsSetting) {
  CheckTable({
      {Decimal("3.4"), kDefaults.decs(0), "X: 3."},
      {Decimal("3.4"), kDefaults.decs(0).trail(0), "X: 3"},
      {Decimal("3.5"), kDefaults.decs(0), "X: 4."},
      {Decimal("1.5"), kDefaults.decs(9), "X: 1.500000000"},
      {Decimal("2.25"), kDefaults.decs(1), "X: 2.3"},
      {Decimal("2.25"), kDefaults.decs(2), "X: 2.25"},
      {Decimal("2.25"), kDefaults.decs(3).trail(0), "X: 2.25"},
      // With FixedOn, exponent form below -Decs.
      {Decimal("0.05"), kDefaults.decs(2), "X: 0.05"},
      {Decimal("0.005"), kDefaults.decs(2), "X: 5.00-e3"},
      // Plain with 9 decimals needs 3 + |k| + 1 + 10 <= 16.
      {Decimal("0.05"), kDefaults.decs(9), "X: 0.050000000"},
      {Decimal("123.456"), kDefaults.decs(9), "X: 123.456000000"},
      // 3 + 5 + 1 + 10 = 19: exponent form, room 16 - (3 + 1 + 3 + 1) = 8.
      {Decimal("0.00009"), kDefaults.decs(9), "X: 9.00000000-e5"},
      {Decimal("123456.123456789"), kDefaults.decs(9), "X: 1.23456123+e5"},
      // Step 3 keeps k = 2 plain without a width estimate; the room,
      // 16 - (3 + 1 + 3 + 1) = 8, holds the 9 decimals to 8.
      {Decimal("-123.456"), kDefaults.decs(9).step(3), "X: -123.45600000"},
  });
}

TEST(FormatNumber, CommasOffAndLabels) {
  CheckTable({
      {Decimal("123456.789"), kDefaults.commas(0), "X: 123456.7890"},
      {Decimal("-1234.5"), kDefaults.commas(0), "X: -1234.5000"},
      {Decimal("-1234.5"), kDefaults, "X: -1,234.5000"},
  });
  EXPECT_EQ(Line(5, kDefaults, 'Y'), "Y: 5.0000");
  EXPECT_EQ(Line(5, kDefaults, '4'), "4: 5.0000");
}

TEST(FormatNumber, DamagedOptionsAreGuarded) {
  CheckTable({
      // Any base but 8 and 16 writes base 10.
      {Decimal("255.5"), kDefaults.base(2), "X: 255.5000"},
      {Decimal("255.5"), kDefaults.base(0), "X: 255.5000"},
      {Decimal("255.5"), kDefaults.base(-16), "X: 255.5000"},
      {Decimal("255.5"), kDefaults.base(12), "X: 255.5000"},
      {Decimal("255.5"), kDefaults.base(36), "X: 255.5000"},
      // A step of 0 or less acts as 1.
      {Decimal("1234567.891"), kDefaults.step(0), "X: 1.2346+e6"},
      {Decimal("0.00001"), kDefaults.step(-3), "X: 1.0000-e5"},
      {Decimal("12345"), kDefaults.step(-32768).allExp(1), "X: 1.2345+e4"},
      // Negative decimals act as 0, more than 9 as 9.
      {Decimal("3.4"), kDefaults.decs(-5), "X: 3."},
      {Decimal("3.4"), kDefaults.decs(-32768), "X: 3."},
      {Decimal("1.5"), kDefaults.decs(12), "X: 1.500000000"},
      {Decimal("0.5"), kDefaults.decs(32767), "X: 0.500000000"},
      // Switches count as on for any value but 0.
      {Decimal("2.5"), kDefaults.trail(-1).allExp(7), "X: 2.5000+e0"},
      // Any step is read as stored; a line that can't fit at it is written
      // at step 1 (see LargeStepsFallBackToStepOne).
      {Decimal("1e25"), kDefaults.step(30000), "X: 1.0000+e25"},
      {kTrueMin, kDefaults.step(30000), "X: 3.6452-e4951"},
      {Pow2(100), kDefaults.base(16).step(99), "X: 1.0000+e19"},
      {Decimal("2.5"), kDefaults.step(32767), "X: 2.5000"},
  });
}

TEST(FormatNumber, ValuesThatAreNotFiniteShowError) {
  const Opts optionSets[] = {kDefaults, kDefaults.allExp(1).step(3), kDefaults.base(16).fixed(0),
                             kDefaults.base(-1).decs(-1).step(0)};
  for (const Opts& o : optionSets) {
    for (Extended v : {kNaN, kInf, -kInf}) {
      EXPECT_EQ(Line(v, o), "X: Error");
      EXPECT_EQ(Line(v, o, 'Z'), "Z: Error");
    }
  }
}

TEST(FormatNumber, EndsOfTheExtendedRange) {
  CheckTable({
      {kMax, kDefaults, "X: 1.1897+e4932"},
      {-kMax, kDefaults, "X: -1.1897+e4932"},
      {kMax, kDefaults.step(3), "X: 1.1897+e4932"},
      {Decimal("1e4932"), kDefaults, "X: 1.0000+e4932"},
      {kMinNormal, kDefaults, "X: 3.3621-e4932"},
      {kTrueMin, kDefaults, "X: 3.6452-e4951"},
      {-kTrueMin, kDefaults, "X: -3.6452-e4951"},
      {kTrueMin, kDefaults.trail(0), "X: 3.6452-e4951"},
      {kTrueMin, kDefaults.fixed(0), "X: 3.64520-e4951"},
      {kTrueMin * 3, kDefaults, "X: 1.0936-e4950"},
      // 3.64519953 * 10^-4951 = 364.519953 * 10^-4953.
      {kTrueMin, kDefaults.step(3), "X: 364.520-e4953"},
      // Base 16: the largest value is 16^4096 (1 - 2^-64); it rounds up to
      // 16^4096, beyond the extended range, and still shows.
      {kMax, kDefaults.base(16), "X: 1.0000+e1000"},
      {-kMax, kDefaults.base(16), "X: -1.0000+e1000"},
      // Base 8: 2 * 8^5461 (1 - 2^-64) rounds to 2 * 8^5461; 5461 is 12525.
      {kMax, kDefaults.base(8), "X: 2.0000+e12525"},
      // 2^-16445 = 8 * 16^-4112 = 2 * 8^-5482; 4112 is 1010 and 5482 is 12552.
      {kTrueMin, kDefaults.base(16), "X: 8.0000-e1010"},
      {kTrueMin, kDefaults.base(8), "X: 2.0000-e12552"},
  });
}

TEST(FormatNumber, LargeStepsFallBackToStepOne) {
  CheckTable({
      // Step 9: k = 8 steps down to 0, and the forced "+e0" takes the line
      // to 19 characters; at step 1 it is 8.
      {Decimal("-123456789.123"), kDefaults.step(9).allExp(1), "X: -1.2346+e8"},
      // Without the forced exponent the plain form fits with one decimal.
      {Decimal("123456789.04"), kDefaults.step(9), "X: 123,456,789.0"},
      {Decimal("-123456789.123"), kDefaults.step(9), "X: -123,456,789."},
      {Decimal("-123456789.123"), kDefaults.step(9).trail(0), "X: -123,456,789"},
      // Step 100: k = 35 steps down to 0, 36 integer digits.
      {Decimal("1.2525049355943834e35"), kDefaults.step(100), "X: 1.2525+e35"},
      // ... and 10^-20 steps down to 10^-100, a mantissa of 81 digits.
      {Decimal("1e-20"), kDefaults.step(100), "X: 1.0000-e20"},
      // A step that fits keeps its exponent: k = 13 steps down to 12.
      {Decimal("15e12"), kDefaults.step(12), "X: 15.0000+e12"},
      {Decimal("0.5"), kDefaults.step(4), "X: 0.5000"},
      {Decimal("0.00005"), kDefaults.step(4).fixed(0), "X: 0.000050000"},
      {Decimal("0.00005"), kDefaults.step(6), "X: 50.0000-e6"},
      // Step 13: 1.5 * 10^12 would be plain with 13 digits and 4 commas.
      {Decimal("1.5e12"), kDefaults.step(13), "X: 1.5000+e12"},
      // ... and 0.5 would be 5 * 10^12 times 10^-13.
      {Decimal("0.5"), kDefaults.step(13), "X: 0.5000"},
      {Decimal("0.5"), kDefaults.step(13).allExp(1), "X: 5.0000-e1"},
      // The rounded value of a carry is placed afresh: 999999.99999 at
      // step 6 rounds to 10^6, which fits as 1.0000+e6.
      {Decimal("999999.99999"), kDefaults.step(6), "X: 1.0000+e6"},
      // Base 16 and base 8.
      {Decimal("0.09375"), kDefaults.base(16).step(32767), "X: 0.1800"},
      {Pow2(60), kDefaults.base(16).step(16), "X: 1.0000+eF"},
      {Pow2(60), kDefaults.base(8).step(10).allExp(1), "X: 1.0000+e24"},
      {Pow2(60), kDefaults.base(8).step(20).allExp(1), "X: 1.0000+e24"},
      // The ends of the range at the largest step.
      {kMax, kDefaults.step(32767), "X: 1.1897+e4932"},
      {-kTrueMin, kDefaults.step(32767).fixed(0), "X: -3.6452-e4951"},
      {kTrueMin, kDefaults.base(8).step(32767).commas(0), "X: 2.0000-e12552"},
  });
}

// ---- LeadExponent and StepExponent -----------------------------------------------

TEST(LeadExponent, ExactAtAndAroundPowersOfTen) {
  // 10^k is an extended value up to k = 27 (5^27 < 2^64).
  Extended power = 1;
  for (int k = 0; k <= 27; ++k, power *= 10) {
    SCOPED_TRACE(k);
    EXPECT_EQ(LeadExponent(Runtime(power), 10), k);
    EXPECT_EQ(LeadExponent(-Runtime(power), 10), k);
    EXPECT_EQ(LeadExponent(Below(power), 10), k - 1);
    EXPECT_EQ(LeadExponent(std::nextafter(Runtime(power), kInf), 10), k);
  }
  EXPECT_EQ(LeadExponent(Decimal("999.9999999999999999"), 10), 2);
  EXPECT_EQ(LeadExponent(Decimal("1000"), 10), 3);
}

TEST(LeadExponent, FollowsTheStoredValueOfInexactPowersOfTen) {
  // The nearest extended value to 10^n lies above or below it; the exact
  // comparison is made here in quad precision, where x * 10^n (n <= 20) and
  // 10^n (n <= 48) are exact.
  __float128 power = 1;
  for (int n = 1; n <= 20; ++n) {
    power *= 10;
    const std::string text = "1e-" + std::to_string(n);
    const Extended x = Decimal(text.c_str());
    const int expected = static_cast<__float128>(x) * power >= 1 ? -n : -n - 1;
    EXPECT_EQ(LeadExponent(x, 10), expected) << text;
  }
  power = 1;
  for (int n = 1; n <= 48; ++n) {
    power *= 10;
    if (n < 28) continue;
    const std::string text = "1e" + std::to_string(n);
    const Extended x = Decimal(text.c_str());
    const int expected = static_cast<__float128>(x) >= power ? n : n - 1;
    EXPECT_EQ(LeadExponent(x, 10), expected) << text;
  }
}

TEST(LeadExponent, PowersOfTwoBases) {
  for (int k = -4111; k <= 4095; k += 37) {
    SCOPED_TRACE(k);
    const Extended p = Pow2(4 * k);
    EXPECT_EQ(LeadExponent(p, 16), k);
    EXPECT_EQ(LeadExponent(Below(p), 16), k - 1);
    EXPECT_EQ(LeadExponent(p * 15, 16), k);
  }
  for (int k = -5481; k <= 5461; k += 41) {
    SCOPED_TRACE(k);
    const Extended p = Pow2(3 * k);
    EXPECT_EQ(LeadExponent(p, 8), k);
    EXPECT_EQ(LeadExponent(Below(p), 8), k - 1);
  }
}

TEST(LeadExponent, RangeEndsZeroAndNonFinite) {
  const struct {
    Extended value;
    int base;
    int k;
  } rows[] = {
      {kMax, 10, 4932},     {kTrueMin, 10, -4951}, {kMinNormal, 10, -4932}, {kMax, 16, 4095},
      {kTrueMin, 16, -4112}, {kMax, 8, 5461},      {kTrueMin, 8, -5482},    {kMax, 2, 16383},
      {kTrueMin, 2, -16445}, {Decimal("0.5"), 10, -1}, {1, 10, 0},       {1, 16, 0},
      {Decimal("0.0002"), 10, -4}, {Decimal("255.5"), 16, 1}, {256, 16, 2}, {Decimal("80"), 3, 3},
      {0, 10, 0},            {-0.0L, 16, 0},        {kNaN, 10, 0},           {kInf, 10, 0},
      {-kInf, 16, 0},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(std::to_string(r.base) + " " + std::to_string(r.k));
    EXPECT_EQ(LeadExponent(r.value, r.base), r.k);
  }
}

TEST(StepExponent, RoundsTheLeadingExponentDown) {
  const struct {
    const char* value;
    int step;
    int e;
  } rows[] = {
      {"0.0002", 3, -6},  // k = -4
      {"0.002", 3, -3},   // k = -3
      {"0.02", 3, -3},    // k = -2
      {"0.5", 3, -3},     // k = -1
      {"5", 3, 0},
      {"500", 3, 0},
      {"5000", 3, 3},
      {"500000", 3, 3},
      {"5000000", 3, 6},
      {"5e-7", 3, -9},    // k = -7
      {"5e-7", 1, -7},
      {"0.5", 2, -2},
      {"5e-5", 2, -6},    // k = -5
      {"5e13", 5, 10},
      {"5e-13", 5, -15},
      {"5", 0, 0},        // a step below 1 acts as 1
      {"5e-7", 0, -7},
      {"5e-7", -3, -7},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(std::string(r.value) + " step " + std::to_string(r.step));
    EXPECT_EQ(StepExponent(Decimal(r.value), 10, r.step), r.e);
  }
  EXPECT_EQ(StepExponent(0, 10, 3), 0);
  EXPECT_EQ(StepExponent(Pow2(-20), 16, 3), -6);  // k = -5
  EXPECT_EQ(StepExponent(kTrueMin, 10, 3), -4953);
}

// ---- RoundToStep --------------------------------------------------------------------

TEST(RoundToStep, NearestMultipleWithHalvesUp) {
  const struct {
    Extended a;
    Extended step;
    Extended rounded;
  } rows[] = {
      {0.125L, 0.25L, 0.25L},     // a half: up
      {-0.125L, 0.25L, 0},        // a half: up, towards plus infinity
      {0.375L, 0.25L, 0.5L},
      {0.3L, 0.25L, 0.25L},
      {2.5L, 1, 3},
      {-2.5L, 1, -2},
      {-2.6L, 1, -3},
      {0.49L, 1, 0},
      {0.7L, 4, 0},               // a step above 1 drops the fraction
      {2, 4, 4},
      {1.9375L, 4, 0},
      {0.5L + 1.0L / 512, 1.0L / 256, 129.0L / 256},
      {0.5L + 1.0L / 1024, 1.0L / 256, 0.5L},
      {0.9999L, 1.0L / 16, 1},
      {0, 0.001L, 0},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(std::to_string(static_cast<double>(r.a)) + " to " + std::to_string(static_cast<double>(r.step)));
    EXPECT_EQ(RoundToStep(Runtime(r.a), Runtime(r.step)), r.rounded);
  }
}

TEST(RoundToStep, DecimalStepsGiveTheNearestMultiple) {
  // 0.12345 to four places: 1235 steps of 10^-4 (within rounding of the step).
  EXPECT_NEAR(static_cast<double>(RoundToStep(Decimal("0.12346"), Decimal("1e-4"))), 0.1235, 1e-15);
  EXPECT_NEAR(static_cast<double>(RoundToStep(Decimal("0.12344"), Decimal("1e-4"))), 0.1234, 1e-15);
  EXPECT_NEAR(static_cast<double>(RoundToStep(Decimal("0.99996"), Decimal("1e-4"))), 1.0, 1e-15);
}

TEST(RoundToStep, AStepThatIsNotPositiveLeavesTheValue) {
  EXPECT_EQ(RoundToStep(Runtime(0.3L), Runtime(0)), Runtime(0.3L));
  EXPECT_EQ(RoundToStep(Runtime(0.3L), Runtime(-1)), Runtime(0.3L));
  EXPECT_EQ(RoundToStep(Runtime(0.3L), kNaN), Runtime(0.3L));
}

// ---- InsertCommas, IntegerDigits, FractionDigits -----------------------------------

TEST(InsertCommas, GroupsOfThreeFromTheRight) {
  const struct {
    const char* in;
    const char* out;
  } rows[] = {
      {"", ""},
      {"1", "1"},
      {"12", "12"},
      {"123", "123"},
      {"1234", "1,234"},
      {"12345", "12,345"},
      {"123456", "123,456"},
      {"1234567", "1,234,567"},
      {"FFFFFF", "FFF,FFF"},
      {"7777777777", "7,777,777,777"},
      {"9223372036854775807", "9,223,372,036,854,775,807"},
  };
  for (const auto& r : rows) {
    std::string digits = r.in;
    InsertCommas(digits);
    EXPECT_EQ(digits, r.out) << r.in;
  }
}

TEST(IntegerDigits, AnyBaseFromTwoTo36) {
  constexpr int64_t kMin64 = std::numeric_limits<int64_t>::min();
  constexpr int64_t kMax64 = std::numeric_limits<int64_t>::max();
  const struct {
    int64_t v;
    int base;
    const char* text;
  } rows[] = {
      {0, 10, "0"},
      {0, 16, "0"},
      {7, 10, "7"},
      {-7, 10, "-7"},
      {255, 16, "FF"},
      {-255, 16, "-FF"},
      {26, 16, "1A"},
      {8, 8, "10"},
      {511, 8, "777"},
      {5, 2, "101"},
      {35, 36, "Z"},
      {36, 36, "10"},
      {1295, 36, "ZZ"},
      {kMax64, 10, "9223372036854775807"},
      {kMin64, 10, "-9223372036854775808"},
      {kMin64, 16, "-8000000000000000"},
      {kMin64, 8, "-1000000000000000000000"},
      {kMin64, 2, "-1000000000000000000000000000000000000000000000000000000000000000"},
      {kMax64, 16, "7FFFFFFFFFFFFFFF"},
      {-1, 2, "-1"},
      {10, 37, ""},
      {10, 1, ""},
      {10, 0, ""},
      {10, -10, ""},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(std::to_string(r.v) + " base " + std::to_string(r.base));
    EXPECT_EQ(IntegerDigits(r.v, r.base), r.text);
  }
}

TEST(FractionDigits, DigitsAreCutOffNotRounded) {
  const Extended kThirtyOneThirtySeconds = Runtime(31) / 32;  // 0.96875, 0.F8 hex, 0.76 octal
  const struct {
    Extended r;
    int base;
    int n;
    const char* text;
  } rows[] = {
      {kThirtyOneThirtySeconds, 10, 2, ".96"},
      {kThirtyOneThirtySeconds, 10, 4, ".9687"},
      {kThirtyOneThirtySeconds, 10, 5, ".96875"},
      {kThirtyOneThirtySeconds, 10, 7, ".9687500"},
      {kThirtyOneThirtySeconds, 16, 3, ".F80"},
      {kThirtyOneThirtySeconds, 8, 2, ".76"},
      {kThirtyOneThirtySeconds, 2, 6, ".111110"},
      {Runtime(0.5L), 36, 2, ".I0"},
      {Runtime(2) / 3, 10, 9, ".666666666"},
      {Below(1), 10, 4, ".9999"},
      // 1 - 2^-64: sixteen hexadecimal F, then nothing.
      {Below(1), 16, 17, ".FFFFFFFFFFFFFFFF0"},
      // 0.1 is stored as 14757395258967641293 / 2^67 = 0.1000000000000000000013552527...
      {Decimal("0.1"), 10, 25, ".1000000000000000000013552"},
      {0, 10, 3, ".000"},
      {kTrueMin, 10, 12, ".000000000000"},
      {kThirtyOneThirtySeconds, 10, 0, "."},
      {kThirtyOneThirtySeconds, 10, -3, "."},
      // Outside 0..1 only the digits after the point count.
      {Runtime(2.75L), 10, 3, ".750"},
      {Runtime(-0.25L), 10, 2, ".25"},
      {kNaN, 10, 2, ".00"},
      {kThirtyOneThirtySeconds, 37, 2, "."},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.text);
    EXPECT_EQ(FractionDigits(r.r, r.base, r.n), r.text);
  }
}

}  // namespace
}  // namespace nimbrel
