#include "core/Engine.h"

#include <cfenv>
#include <cmath>
#include <optional>
#include <utility>

#include "core/XMath.h"

namespace nimbrel {

namespace {

enum class Arith { Add, Subtract, Multiply, Divide };

// One x87 operation with the FPU's faults masked, then the fault flags read
// straight after it. The operands and the result go through volatile storage
// so that the operation really happens between clearing and reading.
Extended Fpu(Extended a, Arith op, Extended b) {
  std::feclearexcept(FE_ALL_EXCEPT);
  volatile Extended va = a;
  volatile Extended vb = b;
  volatile Extended r = 0;
  switch (op) {
    case Arith::Add: r = va + vb; break;
    case Arith::Subtract: r = va - vb; break;
    case Arith::Multiply: r = va * vb; break;
    case Arith::Divide: r = va / vb; break;
  }
  const int flags = std::fetestexcept(FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW);
  std::feclearexcept(FE_ALL_EXCEPT);
  if (flags & FE_INVALID) throw FloatingPointFault(kFaultInvalid);
  if (flags & FE_DIVBYZERO) throw FloatingPointFault(kFaultDivByZero);
  if (flags & FE_OVERFLOW) throw FloatingPointFault(kFaultOverflow);
  return r;
}

// The operations that read X and so save it as last X first.
bool SavesLastX(int op) {
  switch (op) {
    case opAdd: case opSubtract: case opMultiply: case opDivide: case opPower:
    case opLog: case opLn: case opExp: case opSin: case opCos: case opTan:
    case opArcSin: case opArcCos: case opArcTan: case opExchange:
    case opInverse: case opRoot: case opSquare: case opTenPower: case opFactorial:
      return true;
    default:
      return false;
  }
}

Extended ToRadians(Extended x, int unit) {
  if (unit == auDegrees) return x * kDegToRad;
  if (unit == auGradients) return x * kGradToRad;
  return x;
}

Extended FromRadiansScale(int unit) {
  if (unit == auDegrees) return kRadToDeg;
  if (unit == auGradients) return kRadToGrad;
  return 1;
}

// n! as a running product from x down to 1, each step rounded to extended.
// The product overflows long before the loop could run long: from 1755 on
// (or at once for a huge x, where x - 1 == x) the overflow fault ends it.
Extended Factorial(Extended x) {
  Extended product = 1;
  for (Extended n = x; n >= 1; n -= 1) product = Fpu(product, Arith::Multiply, n);
  return product;
}

}  // namespace

void Engine::Push(Extended v) {
  ring_[stackTop_] = v;
  stackTop_ = static_cast<int16_t>((stackTop_ + 1) % kStackSize);
}

Extended Engine::Pop() {
  stackTop_ = static_cast<int16_t>((stackTop_ + kStackSize - 1) % kStackSize);
  const Extended v = ring_[stackTop_];
  // The deepest level repeats as the stack drops.
  ring_[stackTop_] = ring_[(stackTop_ + 1) % kStackSize];
  return v;
}

CalcOutcome Engine::Library(const MathResult& r, Extended& result) {
  // check E: the library's error, to be reported, and rejected
  if (r.error) return CalcOutcome::Rejected(CalcOutcome::Report::MathError, r.error->Text());
  if (std::isinf(r.value)) return CalcOutcome::Rejected();  // check I: rejected silently
  result = r.value;
  return CalcOutcome::Done();
}

bool Engine::MoveValues(int op) {
  const Extended x = X();
  switch (op) {
    case opEnter: Push(x); return true;
    case opPi: Push(kPi); return true;
    case opLastX: Push(LastX); return true;
    case opPopOff: Pop(); return true;
    case opNegate: SetX(-x); return true;
    case opExchange: std::swap(ring_[Slot(1)], ring_[Slot(2)]); return true;
    case opRollDown:
      // The ring turns one slot back: Y's slot becomes X's, and X's slot,
      // now the one the next push writes, is level 10. Nothing is lost.
      stackTop_ = static_cast<int16_t>((stackTop_ + kStackSize - 1) % kStackSize);
      return true;
    case opRollUp:
      // And one slot on: the slot the next push would write, level 10,
      // becomes X's.
      stackTop_ = static_cast<int16_t>((stackTop_ + 1) % kStackSize);
      return true;
    default: return false;
  }
}

CalcOutcome Engine::Calculate(int op, int unit) {
  if (SavesLastX(op)) LastX = X();
  const Extended x = X();
  const Extended y = Y();

  if (MoveValues(op)) return CalcOutcome::Done();

  Extended result = 0;
  int operands = 1;  // levels popped before the result is pushed
  std::optional<MathResult> library;  // a function whose errors are decided here
  switch (op) {
    // ---- two operands
    case opAdd: result = Fpu(y, Arith::Add, x); operands = 2; break;
    case opSubtract: result = Fpu(y, Arith::Subtract, x); operands = 2; break;
    case opMultiply: result = Fpu(y, Arith::Multiply, x); operands = 2; break;
    case opDivide: result = Fpu(y, Arith::Divide, x); operands = 2; break;
    case opPower: library = XPow(y, x); operands = 2; break;

    // ---- one operand
    case opLog: library = XLog10(x); break;
    case opLn: library = XLog(x); break;
    case opExp: library = XExp(x); break;
    case opTenPower: library = XPow(10, x); break;
    case opRoot: library = XSqrt(x); break;
    case opSin: result = XSin(ToRadians(x, unit)); break;
    case opCos: result = XCos(ToRadians(x, unit)); break;
    case opTan: result = XTan(ToRadians(x, unit)); break;
    case opArcSin:
    case opArcCos:
      if (x < -1 || x > 1) {
        return CalcOutcome::Rejected(CalcOutcome::Report::OutOfRange, op == opArcSin ? kAsinRange : kAcosRange);
      }
      result = op == opArcSin ? XAsin(x, FromRadiansScale(unit)) : XAcos(x, FromRadiansScale(unit));
      break;
    case opArcTan: result = XAtan(x, FromRadiansScale(unit)); break;
    case opInverse: result = Fpu(1, Arith::Divide, x); break;
    case opSquare:
      result = Fpu(x, Arith::Multiply, x);
      if (std::isinf(result)) return CalcOutcome::Rejected();
      break;
    case opFactorial: result = Factorial(x); break;

    default:
      return {};  // not an operation: nothing happens
  }

  if (library) {
    if (CalcOutcome o = Library(*library, result); o.rejected) return o;
  }
  for (int i = 0; i < operands; ++i) Pop();
  Push(result);
  return {};
}

}  // namespace nimbrel
