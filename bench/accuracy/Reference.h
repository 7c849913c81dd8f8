// Exact values for the accuracy benchmark, in MPFR.
#pragma once

#include <mpfr.h>

#include "accuracy/Cases.h"
#include "accuracy/ExtendedBits.h"

namespace nimbrel::bench {

// Working precision of every reference value.
constexpr mpfr_prec_t kReferencePrecision = 256;

// One MPFR number that clears itself.
class Mp {
 public:
  explicit Mp(mpfr_prec_t prec = kReferencePrecision) { mpfr_init2(v_, prec); }
  ~Mp() { mpfr_clear(v_); }
  Mp(const Mp&) = delete;
  Mp& operator=(const Mp&) = delete;
  operator mpfr_ptr() { return v_; }
  operator mpfr_srcptr() const { return v_; }

 private:
  mpfr_t v_;
};

// Sets r (precision >= 64) to the value exactly; infinities and NaNs too.
void SetFromBits(mpfr_ptr r, XBits x);

// v rounded to the nearest extended value, ties to even, with the
// extended format's subnormals (multiples of 2^-16445) and overflow to
// infinity. Done in MPFR, independently of the FPU.
XBits NearestExtended(mpfr_srcptr v);

// r = the exact result of the case, as the engine computes it ideally,
// rounded to r's precision:
//  - arithmetic, 1/x, x^2, sqrt, ln, e^x: the function of the arguments;
//  - log: log10 x; 10^x: 10 to the power x; y^x: Y to the power X;
//  - sin, cos, tan in degrees or gradients: the argument times the engine's
//    conversion constant rounded to extended, then the function of that;
//  - asin, acos, atan in degrees or gradients: the function in radians
//    times the engine's conversion constant, not rounded.
void ReferenceValue(mpfr_ptr r, const Case& c);

// |engine - exact| in units of the last place of the exact value's
// binade at 64 bits: 2^(e - 63) for an exact value in [2^e, 2^(e+1)), and
// never less than 2^-16445 (the subnormal spacing; also for an exact 0).
// Infinity when the engine's value is not finite or the exact value is not
// a number.
double UlpError(XBits engine, mpfr_srcptr exact);

}  // namespace nimbrel::bench
