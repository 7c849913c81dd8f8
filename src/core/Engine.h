// The stack engine: the calculator's numbers and the operations on them.
//
// A ring of ten extended values, the last-X register and nine memory slots.
// `Calculate` applies one operation code in a fixed frame: save X as last X
// (for operations that consume it), compute without touching the stack, run
// the checks, and only then pop the operands and push the result. A rejected
// operation therefore changes nothing but `LastX`.
#pragma once

#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>

#include "core/Extended.h"

namespace nimbrel {

enum TCalcOp : int {
  opAdd = 3,
  opSubtract = 4,
  opMultiply = 5,
  opDivide = 6,
  opPower = 7,
  opEnter = 8,
  opPi = 9,
  opLog = 10,
  opLn = 11,
  opExp = 12,
  opSin = 14,
  opCos = 15,
  opTan = 16,
  opArcSin = 17,
  opArcCos = 18,
  opArcTan = 19,
  opExchange = 23,
  opPopOff = 24,
  opNegate = 25,
  opInverse = 26,
  opRoot = 27,
  opSquare = 28,
  opTenPower = 30,
  opFactorial = 31,
  opLastX = 32,
  opRollDown = 34,  // R-down: X to level 10, the rest one level nearer X
  opRollUp = 35,    // R-up: level 10 to X, the rest one level further from X
};

enum TAngleUnit : int { auDegrees = 0, auRadians = 1, auGradients = 2 };

// Conversion constants, written with their exact bits. They are pi/180,
// pi/200, 180/pi and 200/pi worked out from the double nearest pi, and the
// pi that the calculator pushes is that double widened: so sin(pi) in
// radians shows about 1.2246e-16, as on any double-based calculator.
constexpr Extended kDegToRad = 0x8.EFA351294E9C71Cp-9L;   // 3FF9 8EFA351294E9C71C
constexpr Extended kGradToRad = 0x8.0ADFC90B938CCCDp-9L;  // 3FF9 80ADFC90B938CCCD
constexpr Extended kRadToDeg = 0xE.52EE0D31E0FC047p+2L;   // 4004 E52EE0D31E0FC047
constexpr Extended kRadToGrad = 0xF.EA5DD5C5A4A63DDp+2L;  // 4004 FEA5DD5C5A4A63DD
constexpr Extended kPi = 0xC.90FDAA22168C000p-2L;         // 4000 C90FDAA22168C000

constexpr int kStackSize = 10;
constexpr int kMemorySlots = 9;

// A floating-point fault of the arithmetic (division by zero, invalid
// operation, overflow). Thrown before anything is popped; the application's
// exception handler shows `what()`.
class FloatingPointFault : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

inline constexpr const char* kFaultDivByZero = "Floating point division by zero";
inline constexpr const char* kFaultInvalid = "Invalid floating point operation";
inline constexpr const char* kFaultOverflow = "Floating point overflow";

inline constexpr const char* kAsinRange = "ASIN, Out of Range, Must be between -1 and 1";
inline constexpr const char* kAcosRange = "ACOS, Out of Range, Must be between -1 and 1";

struct MemorySlot {
  Extended value = 0;
  uint16_t key = 0;  // virtual-key code of the bound letter, 0 for none
};

// What became of an operation. A rejected one left the stack as it was;
// some rejections carry what the user must be told: a math library's error
// ("logl: SING error") or an argument out of range (kAsinRange).
struct CalcOutcome {
  enum class Report { None, MathError, OutOfRange };
  bool rejected = false;
  Report report = Report::None;
  std::string message;

  static CalcOutcome Done() { return {}; }
  static CalcOutcome Rejected(Report report = Report::None, std::string message = {}) {
    return {true, report, std::move(message)};
  }
};

class Engine {
 public:

  // ---- the ring
  void Push(Extended v);
  Extended Pop();
  Extended X() const { return Level(1); }
  Extended Y() const { return Level(2); }
  // Level k = 1..10 (1 is X) without popping.
  Extended Level(int k) const { return ring_[Slot(k)]; }
  void SetX(Extended v) { ring_[Slot(1)] = v; }
  int16_t StackTop() const { return stackTop_; }

  // Applies one operation in the given angle unit: done (also for an unknown
  // code, which does nothing) or rejected with the stack as it was. Throws
  // FloatingPointFault for an arithmetic fault.
  CalcOutcome Calculate(int op, int angleUnit);

  Extended LastX = 0;
  std::array<MemorySlot, kMemorySlots> Memory{};  // slots 1..9 at 0..8

 private:
  int Slot(int level) const { return ((stackTop_ - level) % kStackSize + kStackSize) % kStackSize; }
  // Takes a library function's outcome: rejected for its error (to be
  // reported) or an infinite value (silently), else the value goes to
  // `result` and the outcome is done.
  static CalcOutcome Library(const struct MathResult& r, Extended& result);
  // The operations that only move values (Enter, pi, LastX, drop, change
  // sign, exchange, the rolls); false for any other.
  bool MoveValues(int op);
  std::array<Extended, kStackSize> ring_{};
  int16_t stackTop_ = 0;
};

}  // namespace nimbrel
