#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "FakePlatform.h"
#include "core/Engine.h"

namespace nimbrel {
namespace {

// The ten levels, X first.
std::vector<Extended> Levels(const Engine& e) {
  std::vector<Extended> out;
  for (int k = 1; k <= kStackSize; ++k) out.push_back(e.Level(k));
  return out;
}

// Pushes the values so that the first one ends up as X.
void Fill(Engine& e, std::vector<Extended> topFirst) {
  for (auto it = topFirst.rbegin(); it != topFirst.rend(); ++it) e.Push(*it);
}

struct EngineTest : ::testing::Test {
  FakePlatform platform;
  Engine engine;
};

// One operation, its report passed on as the calculator passes it on (a
// math error to ReportMathError, a range message to a message box); true
// when it was rejected.
bool Calc(Engine& e, int op, int unit, Platform& p) {
  const CalcOutcome o = e.Calculate(op, unit);
  if (o.report == CalcOutcome::Report::MathError) p.ReportMathError(o.message);
  if (o.report == CalcOutcome::Report::OutOfRange) p.ShowMessage("Quarvel Calculator", o.message);
  EXPECT_EQ(o.rejected || o.report == CalcOutcome::Report::None, true) << "a report comes only with a rejection";
  return o.rejected;
}

// ---- exact bit patterns of the constants -------------------------------------------

struct Bits {
  uint16_t signExp;
  uint64_t significand;
};

Bits BitsOf(Extended v) {
  unsigned char raw[sizeof(Extended)] = {};
  std::memcpy(raw, &v, 10);
  Bits b{};
  std::memcpy(&b.significand, raw, 8);
  std::memcpy(&b.signExp, raw + 8, 2);
  return b;
}

TEST(EngineConstants, HaveTheirExactBits) {
  const struct {
    const char* name;
    Extended value;
    uint16_t signExp;
    uint64_t significand;
  } cases[] = {
      {"deg->rad", kDegToRad, 0x3FF9, 0x8EFA351294E9C71CULL},
      {"grad->rad", kGradToRad, 0x3FF9, 0x80ADFC90B938CCCDULL},
      {"rad->deg", kRadToDeg, 0x4004, 0xE52EE0D31E0FC047ULL},
      {"rad->grad", kRadToGrad, 0x4004, 0xFEA5DD5C5A4A63DDULL},
      {"pi", kPi, 0x4000, 0xC90FDAA22168C000ULL},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const Bits b = BitsOf(c.value);
    EXPECT_EQ(b.signExp, c.signExp);
    EXPECT_EQ(b.significand, c.significand);
  }
  // pi is the double nearest pi, widened: not the nearest extended value.
  EXPECT_EQ(kPi, static_cast<Extended>(3.141592653589793));
}

TEST(EngineConstants, LongDoubleCarriesSixtyFourBits) {
  volatile Extended one = 1;
  volatile Extended tiny = 0x1p-63L;
  EXPECT_NE(one + tiny, one) << "the FPU rounds to fewer than 64 significand bits";
}

// ---- the ring ------------------------------------------------------------------------

TEST_F(EngineTest, PushLosesTheOldestLevel) {
  for (int i = 1; i <= 11; ++i) engine.Push(i);
  EXPECT_EQ(Levels(engine), (std::vector<Extended>{11, 10, 9, 8, 7, 6, 5, 4, 3, 2}));
  EXPECT_EQ(engine.StackTop(), 1);
}

TEST_F(EngineTest, PopRepeatsTheDeepestLevel) {
  Fill(engine, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
  std::vector<Extended> popped;
  for (int i = 0; i < 10; ++i) popped.push_back(engine.Pop());
  EXPECT_EQ(popped, (std::vector<Extended>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
  EXPECT_EQ(Levels(engine), std::vector<Extended>(10, 10));
}

TEST_F(EngineTest, StartsWithTenZeros) {
  EXPECT_EQ(Levels(engine), std::vector<Extended>(10, 0));
  EXPECT_EQ(engine.StackTop(), 0);
  EXPECT_EQ(engine.LastX, 0);
}

TEST_F(EngineTest, TwoOperandOperationDropsTheStack) {
  Fill(engine, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
  EXPECT_FALSE(Calc(engine, opAdd, auRadians, platform));
  EXPECT_EQ(Levels(engine), (std::vector<Extended>{3, 3, 4, 5, 6, 7, 8, 9, 10, 10}));
  EXPECT_EQ(engine.LastX, 1);
}

TEST_F(EngineTest, MovesOfTheStack) {
  Fill(engine, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
  Calc(engine, opExchange, auRadians, platform);
  EXPECT_EQ(Levels(engine), (std::vector<Extended>{2, 1, 3, 4, 5, 6, 7, 8, 9, 10}));
  EXPECT_EQ(engine.LastX, 1);  // exchange saves the X it started from
  Calc(engine, opExchange, auRadians, platform);
  EXPECT_EQ(Levels(engine), (std::vector<Extended>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
  Calc(engine, opLastX, auRadians, platform);  // the X before the last exchange: 2
  EXPECT_EQ(Levels(engine), (std::vector<Extended>{2, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
  Calc(engine, opPopOff, auRadians, platform);
  Calc(engine, opEnter, auRadians, platform);
  EXPECT_EQ(Levels(engine), (std::vector<Extended>{1, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
  Calc(engine, opPi, auRadians, platform);
  EXPECT_EQ(engine.X(), kPi);
  EXPECT_EQ(engine.LastX, 2) << "push, pop and pi don't touch last X";
}

TEST_F(EngineTest, RollDownTurnsTheStackLosingNothing) {
  Fill(engine, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
  engine.LastX = 42;
  EXPECT_FALSE(Calc(engine, opRollDown, auRadians, platform));
  EXPECT_EQ(Levels(engine), (std::vector<Extended>{2, 3, 4, 5, 6, 7, 8, 9, 10, 1}));
  EXPECT_EQ(engine.LastX, 42) << "roll down doesn't touch last X";
  for (int i = 1; i < kStackSize; ++i) Calc(engine, opRollDown, auRadians, platform);
  EXPECT_EQ(Levels(engine), (std::vector<Extended>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10})) << "ten rolls go round";
  // After a roll the next push still loses only the deepest level.
  Calc(engine, opRollDown, auRadians, platform);
  engine.Push(11);
  EXPECT_EQ(Levels(engine), (std::vector<Extended>{11, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
  EXPECT_TRUE(platform.events.empty());
}

TEST_F(EngineTest, NegateOfZeroGivesNegativeZero) {
  Calc(engine, opNegate, auRadians, platform);
  EXPECT_EQ(engine.X(), 0);
  EXPECT_TRUE(std::signbit(engine.X()));
  EXPECT_EQ(engine.StackTop(), 0) << "negate works in place";
}

TEST_F(EngineTest, UnknownCodesDoNothing) {
  Fill(engine, {5, 7});
  for (int code : {0, 1, 2, 13, 20, 21, 22, 29, 33, 100, -1}) {
    SCOPED_TRACE(code);
    EXPECT_FALSE(Calc(engine, code, auRadians, platform));
    EXPECT_EQ(engine.X(), 5);
    EXPECT_EQ(engine.Y(), 7);
    EXPECT_EQ(engine.LastX, 0);
  }
  EXPECT_TRUE(platform.events.empty());
}

// ---- results ------------------------------------------------------------------------

struct ResultCase {
  const char* name;
  int op;
  int unit;
  Extended y, x;
  Extended expected;
  Extended tolerance;  // absolute; 0 means bit-exact
};

TEST_F(EngineTest, OperationResults) {
  const ResultCase cases[] = {
      {"5 - 3", opSubtract, auRadians, 5, 3, 2, 0},
      {"5 + 3", opAdd, auRadians, 5, 3, 8, 0},
      {"6 * 7", opMultiply, auRadians, 6, 7, 42, 0},
      {"1 / 3", opDivide, auRadians, 1, 3, 0xA.AAAAAAAAAAAAAABp-5L, 0},  // rounded up in its last bit
      {"7 / 2", opDivide, auRadians, 7, 2, 3.5L, 0},
      {"2 ^ 10", opPower, auRadians, 2, 10, 1024, 0},
      {"-2 ^ 3", opPower, auRadians, -2, 3, -8, 0},
      {"0 ^ 0", opPower, auRadians, 0, 0, 1, 0},
      {"log 1000", opLog, auRadians, 0, 1000, 3, 0},
      {"log 1e-300", opLog, auRadians, 0, 1e-300L, -300, 0},
      {"ln e", opLn, auRadians, 0, 2.718281828459045235360287L, 1, 1e-18L},
      {"ln 1", opLn, auRadians, 0, 1, 0, 0},
      {"exp 1", opExp, auRadians, 0, 1, 2.718281828459045235360287L, 1e-18L},
      {"exp -12000 underflows to zero", opExp, auRadians, 0, -12000, 0, 0},
      {"10^3", opTenPower, auRadians, 0, 3, 1000, 0},
      {"10^-2", opTenPower, auRadians, 0, -2, 0.01L, 0},
      {"sqrt 2", opRoot, auRadians, 0, 2, 1.414213562373095048801689L, 1e-18L},
      {"sqrt 144", opRoot, auRadians, 0, 144, 12, 0},
      {"x^2 of -3", opSquare, auRadians, 0, -3, 9, 0},
      {"1/x of 4", opInverse, auRadians, 0, 4, 0.25L, 0},
      {"1!", opFactorial, auRadians, 0, 1, 1, 0},
      {"5!", opFactorial, auRadians, 0, 5, 120, 0},
      {"20!", opFactorial, auRadians, 0, 20, 2432902008176640000.0L, 0},
      {"170!", opFactorial, auRadians, 0, 170, 7.257415615307998967e306L, 1e289L},
      {"1754!", opFactorial, auRadians, 0, 1754, 1.979261890105010e4930L, 1e4916L},
      // Degrees and gradients go through constants derived from the double
      // nearest pi: "within rounding" means about 1e-16 relative.
      {"sin 30 deg", opSin, auDegrees, 0, 30, 0.5L, 1e-16L},
      {"cos 60 deg", opCos, auDegrees, 0, 60, 0.5L, 1e-16L},
      {"tan 45 deg", opTan, auDegrees, 0, 45, 1, 1e-16L},
      {"asin 0.5 deg", opArcSin, auDegrees, 0, 0.5L, 30, 1e-14L},
      {"acos 0 deg", opArcCos, auDegrees, 0, 0, 90, 1e-14L},
      {"cos 100 grad", opCos, auGradients, 0, 100, 0, 1e-16L},
      {"sin 100 grad", opSin, auGradients, 0, 100, 1, 1e-16L},
      {"atan 1 grad", opArcTan, auGradients, 0, 1, 50, 1e-14L},
      {"atan 1 rad", opArcTan, auRadians, 0, 1, 0.7853981633974483096156608L, 1e-19L},
      {"asin 1 rad", opArcSin, auRadians, 0, 1, 1.570796326794896619231322L, 1e-18L},
      {"acos -1 rad", opArcCos, auRadians, 0, -1, 3.141592653589793238462643L, 1e-18L},
      // The pushed pi is the double's: its sine is the double's distance to pi.
      {"sin pi rad", opSin, auRadians, 0, kPi, 1.2246467991473531772e-16L, 1e-34L},
      // Huge arguments are reduced exactly; no message.
      {"sin 1e22 rad", opSin, auRadians, 0, 1e22L, -0.8522008497671888017727L, 1e-18L},
      {"cos 1e22 rad", opCos, auRadians, 0, 1e22L, 0.5232147853951389454975L, 1e-18L},
      {"sin 2^64 rad", opSin, auRadians, 0, 0x1p64L, 0.0235985099044395586343659L, 1e-18L},
      // An angle unit value out of range leaves the argument in radians.
      {"sin with unit 7", opSin, 7, 0, 0, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Engine e;
    Fill(e, {c.x, c.y, 99});
    EXPECT_FALSE(Calc(e, c.op, c.unit, platform));
    const bool two = c.op >= opAdd && c.op <= opPower;
    if (c.tolerance == 0) {
      EXPECT_EQ(e.X(), c.expected);
    } else {
      EXPECT_NEAR(static_cast<double>(e.X() - c.expected), 0.0, static_cast<double>(c.tolerance));
    }
    EXPECT_EQ(e.Y(), two ? 99 : c.y) << "operands popped, the result pushed";
    EXPECT_EQ(e.LastX, c.x);
  }
  EXPECT_TRUE(platform.events.empty());
}

// ---- rejections ---------------------------------------------------------------------

struct RejectCase {
  const char* name;
  int op;
  Extended y, x;
  const char* event;  // nullptr: rejected silently
};

TEST_F(EngineTest, RejectedOperationsChangeOnlyLastX) {
  const RejectCase cases[] = {
      {"ln 0", opLn, 0, 0, "matherr logl: SING error"},
      {"ln -0", opLn, 0, -0.0L, "matherr logl: SING error"},
      {"ln -1", opLn, 0, -1, "matherr logl: DOMAIN error"},
      {"log 0", opLog, 0, 0, "matherr logl: SING error"},
      {"log -5", opLog, 0, -5, "matherr logl: DOMAIN error"},
      {"sqrt -4", opRoot, 0, -4, "matherr sqrtl: DOMAIN error"},
      {"exp 20000", opExp, 0, 20000, "matherr expl: OVERFLOW error"},
      {"exp 11357", opExp, 0, 11357, "matherr expl: OVERFLOW error"},
      {"-8 ^ 0.5", opPower, -8, 0.5L, "matherr powl: DOMAIN error"},
      {"0 ^ -1", opPower, 0, -1, "matherr powl: SING error"},
      {"10 ^ 5000", opPower, 10, 5000, "matherr powl: OVERFLOW error"},
      {"-10 ^ 5001", opPower, -10, 5001, "matherr powl: OVERFLOW error"},
      {"10^x of 4933", opTenPower, 0, 4933, "matherr powl: OVERFLOW error"},
      {"asin 1.0000001", opArcSin, 0, 1.0000001L, "message Quarvel Calculator: ASIN, Out of Range, Must be between -1 and 1"},
      {"asin -2", opArcSin, 0, -2, "message Quarvel Calculator: ASIN, Out of Range, Must be between -1 and 1"},
      {"acos 1.5", opArcCos, 0, 1.5L, "message Quarvel Calculator: ACOS, Out of Range, Must be between -1 and 1"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Engine e;
    Fill(e, {c.x, c.y, 1, 2, 3, 4, 5, 6, 7, 8});
    const std::vector<Extended> before = Levels(e);
    const int16_t top = e.StackTop();
    EXPECT_TRUE(Calc(e, c.op, auRadians, platform));
    EXPECT_EQ(Levels(e), before);
    EXPECT_EQ(e.StackTop(), top);
    EXPECT_TRUE(e.LastX == c.x && std::signbit(e.LastX) == std::signbit(c.x));
    EXPECT_EQ(platform.Take(), std::vector<std::string>{c.event});
  }
}

TEST_F(EngineTest, EdgesOfTheRangesAreAccepted) {
  for (Extended x : {-1.0L, 1.0L}) {
    Engine e;
    e.Push(x);
    EXPECT_FALSE(Calc(e, opArcSin, auDegrees, platform));
    EXPECT_NEAR(static_cast<double>(e.X()), static_cast<double>(x * 90), 1e-13);
    e.Push(x);
    EXPECT_FALSE(Calc(e, opArcCos, auDegrees, platform));
    EXPECT_NEAR(static_cast<double>(e.X()), x < 0 ? 180.0 : 0.0, 1e-13);
  }
  Engine e;
  e.Push(11356);  // e^11356 is just inside the extended range
  EXPECT_FALSE(Calc(e, opExp, auRadians, platform));
  EXPECT_GT(e.X(), 1e4931L);
  EXPECT_TRUE(platform.events.empty());
}

// ---- floating-point faults ----------------------------------------------------------

struct FaultCase {
  const char* name;
  int op;
  Extended y, x;
  const char* message;
};

TEST_F(EngineTest, FaultsThrowBeforeAnythingIsPopped) {
  const Extended big = 1e4000L;
  const FaultCase cases[] = {
      {"1 / 0", opDivide, 1, 0, kFaultDivByZero},
      {"0 / 0", opDivide, 0, 0, kFaultInvalid},
      {"1/x of 0", opInverse, 0, 0, kFaultDivByZero},
      {"big * big", opMultiply, big, big, kFaultOverflow},
      {"max + max", opAdd, LDBL_MAX, LDBL_MAX, kFaultOverflow},
      {"-max - max", opSubtract, -LDBL_MAX, LDBL_MAX, kFaultOverflow},
      {"max / tiny", opDivide, LDBL_MAX, 0.5L, kFaultOverflow},
      {"x^2 of big", opSquare, 0, big, kFaultOverflow},
      {"1755!", opFactorial, 0, 1755, kFaultOverflow},
      {"(1e30)!", opFactorial, 0, 1e30L, kFaultOverflow},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Engine e;
    Fill(e, {c.x, c.y, 1, 2, 3, 4, 5, 6, 7, 8});
    const std::vector<Extended> before = Levels(e);
    try {
      Calc(e, c.op, auRadians, platform);
      ADD_FAILURE() << "no fault";
    } catch (const FloatingPointFault& fault) {
      EXPECT_STREQ(fault.what(), c.message);
    }
    EXPECT_EQ(Levels(e), before);
    EXPECT_EQ(e.LastX, c.x);
  }
  EXPECT_TRUE(platform.events.empty());
}

TEST_F(EngineTest, StaleFlagsFromEarlierWorkRaiseNoFault) {
  volatile Extended zero = 0;
  volatile Extended junk = 1 / zero;  // leaves the division-by-zero flag set
  (void)junk;
  Fill(engine, {2, 3});
  EXPECT_FALSE(Calc(engine, opAdd, auRadians, platform));
  EXPECT_EQ(engine.X(), 5);
}

TEST_F(EngineTest, UnderflowIsNoFault) {
  Fill(engine, {0x1p-16000L, 0x1p-16000L});
  EXPECT_FALSE(Calc(engine, opMultiply, auRadians, platform));
  EXPECT_EQ(engine.X(), 0);
}

}  // namespace
}  // namespace nimbrel
