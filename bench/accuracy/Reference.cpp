#include "accuracy/Reference.h"

#include <algorithm>
#include <cmath>

namespace nimbrel::bench {

static_assert(sizeof(unsigned long) == 8, "the MPFR half of the benchmark expects 64-bit unsigned long");

namespace {

bool IsDegreeOrGradient(int unit) { return unit == auDegrees || unit == auGradients; }

Extended ToRadiansConstant(int unit) { return unit == auDegrees ? kDegToRad : kGradToRad; }
Extended FromRadiansConstant(int unit) { return unit == auDegrees ? kRadToDeg : kRadToGrad; }

}  // namespace

void SetFromBits(mpfr_ptr r, XBits x) {
  const int e = x.BiasedExponent();
  if (e == 0x7fff) {
    if ((x.sig << 1) == 0) mpfr_set_inf(r, x.Negative() ? -1 : 1);
    else mpfr_set_nan(r);
    return;
  }
  // Subnormals have the exponent of the smallest normal without the
  // integer bit.
  const long scale = (e == 0 ? 1 : e) - kExponentBias - 63;
  mpfr_set_ui_2exp(r, x.sig, scale, MPFR_RNDN);  // exact: 64 bits
  if (x.Negative()) mpfr_neg(r, r, MPFR_RNDN);
}

XBits NearestExtended(mpfr_srcptr v) {
  const uint16_t sign = mpfr_signbit(v) ? 0x8000 : 0;
  if (mpfr_nan_p(v)) return XBits{0x7fff, 0xc000000000000000ull};
  if (mpfr_inf_p(v)) return XBits{static_cast<uint16_t>(sign | 0x7fff), uint64_t{1} << 63};
  if (mpfr_zero_p(v)) return XBits{sign, 0};

  // mpfr_get_exp: v = f * 2^E with 0.5 <= |f| < 1, so v lies in [2^(E-1), 2^E).
  if (mpfr_get_exp(v) - 1 >= kMinNormalExponent) {
    Mp t(64);
    mpfr_set(t, v, MPFR_RNDN);
    const long top = mpfr_get_exp(t) - 1;  // after a possible carry
    if (top > kMaxExponent) return XBits{static_cast<uint16_t>(sign | 0x7fff), uint64_t{1} << 63};
    mpfr_abs(t, t, MPFR_RNDN);
    mpfr_mul_2si(t, t, 63 - top, MPFR_RNDN);  // now an integer in [2^63, 2^64)
    const uint64_t sig = mpfr_get_ui(t, MPFR_RNDN);
    return XBits{static_cast<uint16_t>(sign | (top + kExponentBias)), sig};
  }
  // Below the normal range the values are the multiples of 2^-16445.
  Mp t(std::max<mpfr_prec_t>(mpfr_get_prec(v), 64));
  mpfr_abs(t, v, MPFR_RNDN);  // exact: at least v's precision
  mpfr_mul_2si(t, t, -kMinSubnormalExponent, MPFR_RNDN);
  Mp n(64);
  mpfr_rint(n, t, MPFR_RNDN);  // nearest integer, ties to even; at most 2^63
  const uint64_t sig = mpfr_get_ui(n, MPFR_RNDN);
  if (sig == (uint64_t{1} << 63)) return XBits{static_cast<uint16_t>(sign | 1), sig};
  return XBits{sign, sig};
}

void ReferenceValue(mpfr_ptr r, const Case& c) {
  Mp x, y, k;
  SetFromBits(x, c.x);
  SetFromBits(y, c.y);
  const mpfr_rnd_t rn = MPFR_RNDN;
  switch (c.op) {
    case opAdd: mpfr_add(r, y, x, rn); return;
    case opSubtract: mpfr_sub(r, y, x, rn); return;
    case opMultiply: mpfr_mul(r, y, x, rn); return;
    case opDivide: mpfr_div(r, y, x, rn); return;
    case opInverse: mpfr_ui_div(r, 1, x, rn); return;
    case opSquare: mpfr_sqr(r, x, rn); return;
    case opRoot: mpfr_sqrt(r, x, rn); return;
    case opLn: mpfr_log(r, x, rn); return;
    case opLog: mpfr_log10(r, x, rn); return;
    case opExp: mpfr_exp(r, x, rn); return;
    case opTenPower: mpfr_exp10(r, x, rn); return;
    case opPower: mpfr_pow(r, y, x, rn); return;
    case opSin:
    case opCos:
    case opTan: {
      if (IsDegreeOrGradient(c.unit)) {
        SetFromBits(k, BitsOf(ToRadiansConstant(c.unit)));
        mpfr_mul(x, x, k, rn);  // exact: 128 bits
        SetFromBits(x, NearestExtended(x));
      }
      if (c.op == opSin) mpfr_sin(r, x, rn);
      else if (c.op == opCos) mpfr_cos(r, x, rn);
      else mpfr_tan(r, x, rn);
      return;
    }
    case opArcSin:
    case opArcCos:
    case opArcTan: {
      Mp a;
      if (c.op == opArcSin) mpfr_asin(a, x, rn);
      else if (c.op == opArcCos) mpfr_acos(a, x, rn);
      else mpfr_atan(a, x, rn);
      if (IsDegreeOrGradient(c.unit)) {
        SetFromBits(k, BitsOf(FromRadiansConstant(c.unit)));
        mpfr_mul(r, a, k, rn);
      } else {
        mpfr_set(r, a, rn);
      }
      return;
    }
    default: mpfr_set_nan(r); return;
  }
}

double UlpError(XBits engine, mpfr_srcptr exact) {
  if (!engine.IsFinite() || !mpfr_number_p(exact)) return INFINITY;
  long ulpExponent = kMinSubnormalExponent;
  if (!mpfr_zero_p(exact)) ulpExponent = std::max<long>(mpfr_get_exp(exact) - 1 - 63, kMinSubnormalExponent);
  Mp v, d(kReferencePrecision + 64);
  SetFromBits(v, engine);
  mpfr_sub(d, v, exact, MPFR_RNDN);
  mpfr_abs(d, d, MPFR_RNDN);
  mpfr_mul_2si(d, d, -ulpExponent, MPFR_RNDN);
  return mpfr_get_d(d, MPFR_RNDU);
}

}  // namespace nimbrel::bench
