#include "accuracy/Generate.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <set>
#include <tuple>

#include "accuracy/Reference.h"

namespace nimbrel::bench {

namespace {

// ---------------------------------------------------------------- randomness

// splitmix64: small, fast, and the same everywhere.
class Rng {
 public:
  explicit Rng(uint64_t seed) : state_(seed) {}

  uint64_t Next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  // Uniform in [0, n), by the high half of a 64x64 product.
  uint64_t Below(uint64_t n) { return static_cast<uint64_t>((static_cast<unsigned __int128>(Next()) * n) >> 64); }
  // Uniform in [lo, hi].
  int64_t Between(int64_t lo, int64_t hi) { return lo + static_cast<int64_t>(Below(static_cast<uint64_t>(hi - lo) + 1)); }
  bool Coin() { return (Next() >> 63) != 0; }

 private:
  uint64_t state_;
};

// ---------------------------------------------------------------- values

const XBits kZero{0, 0};
const XBits kOne = MakeNormal(false, 0, 0);

XBits FromInteger(bool negative, uint64_t n) {
  if (n == 0) return XBits{static_cast<uint16_t>(negative ? 0x8000 : 0), 0};
  int e = 63;
  while (!(n >> e)) --e;
  return MakeNormal(negative, e, n << (63 - e));
}

XBits FromDouble(double d) { return BitsOf(static_cast<Extended>(d)); }

// A value in [2^e, 2^(e+1)) with a random significand; below the normal
// range (e < -16382) a subnormal of that magnitude.
XBits WithExponent(Rng& rng, int e, bool negative) {
  if (e >= kMinNormalExponent) return MakeNormal(negative, e, rng.Next());
  const int top = e - kMinSubnormalExponent;  // bit index of the leading one, 0..62
  const uint64_t lead = uint64_t{1} << top;
  const uint64_t sig = lead | (rng.Next() & (lead - 1));
  return XBits{static_cast<uint16_t>(negative ? 0x8000 : 0), sig};
}

XBits RandomExponent(Rng& rng, int lo, int hi, bool negative) {
  return WithExponent(rng, static_cast<int>(rng.Between(lo, hi)), negative);
}

// Uniform in [0, 1), 53 bits.
double UnitDouble(Rng& rng) { return static_cast<double>(rng.Next() >> 11) * 0x1p-53; }

// Uniform in [lo, hi], rounded to extended.
XBits Uniform(Rng& rng, double lo, double hi) {
  Mp u, t;
  mpfr_set_ui_2exp(u, rng.Next(), -64, MPFR_RNDN);
  mpfr_set_d(t, hi, MPFR_RNDN);
  mpfr_sub_d(t, t, lo, MPFR_RNDN);
  mpfr_mul(t, t, u, MPFR_RNDN);
  mpfr_add_d(t, t, lo, MPFR_RNDN);
  return NearestExtended(t);
}

// x moved by a random number of steps whose size is spread over all
// scales: up to 2^(63 - minShift) steps, either way.
XBits ScatteredNear(Rng& rng, XBits x, int minShift = 1) {
  const int64_t steps = static_cast<int64_t>(rng.Next() >> rng.Between(minShift, 63));
  return StepBits(x, rng.Coin() ? steps : -steps);
}

XBits WithSign(XBits x, bool negative) {
  return XBits{static_cast<uint16_t>((x.se & 0x7fff) | (negative ? 0x8000 : 0)), x.sig};
}

// The largest finite value and its logarithms, rounded to extended.
XBits LargestFinite() { return XBits{0x7ffe, ~uint64_t{0}}; }

XBits LogOfLargest(bool base10) {
  Mp m, r;
  SetFromBits(m, LargestFinite());
  if (base10) mpfr_log10(r, m, MPFR_RNDN);
  else mpfr_log(r, m, MPFR_RNDN);
  return NearestExtended(r);
}

// ---------------------------------------------------------------- multiples of pi/2

// The extended value nearest k * pi / 2.
XBits NearestHalfPiMultiple(const mpz_t k) {
  Mp r(static_cast<mpfr_prec_t>(mpz_sizeinbase(k, 2)) + 160);
  mpfr_const_pi(r, MPFR_RNDN);
  mpfr_mul_z(r, r, k, MPFR_RNDN);
  mpfr_div_2ui(r, r, 1, MPFR_RNDN);
  return NearestExtended(r);
}

// A random k with `bits` bits.
void RandomInteger(Rng& rng, int bits, mpz_t k) {
  mpz_set_ui(k, 1);
  for (int left = bits - 1; left > 0;) {
    const int chunk = std::min(left, 64);
    mpz_mul_2exp(k, k, static_cast<mp_bitcnt_t>(chunk));
    const uint64_t v = chunk == 64 ? rng.Next() : rng.Next() & ((uint64_t{1} << chunk) - 1);
    mpz_add_ui(k, k, v);
    left -= chunk;
  }
}

// Extended values closest to a multiple of pi/2 for each binade.
//
// x = m * 2^(e-63) with a 64-bit m has x * 2/pi = m * 2^(e-62)/pi; only the
// fraction beta of 2^(e-62)/pi matters, and m * beta comes nearest to a
// whole number for m a denominator of a continued-fraction convergent of
// beta (or a multiple of one). The search keeps, per exponent e, the better
// of the largest convergent denominator scaled into [2^63, 2^64) and the
// best semiconvergent there. These are the arguments whose reduction
// cancels the most bits: x * 2/pi is within about 2^-64 of a whole number,
// and for the hardest exponents within 2^-75, so that sin or cos of x is
// that small while x itself may be near 1e4000.
struct HardArgument {
  XBits x;
  double log2Distance;  // log2 of |x * 2/pi - nearest integer|
};

constexpr int kHardMaxExponent = 13287;  // 2^13288 > 1e4000

const std::vector<HardArgument>& HardArguments() {
  static const std::vector<HardArgument> table = [] {
    std::vector<HardArgument> out;
    const mpfr_prec_t prec = kHardMaxExponent + 480;
    Mp invPi(prec), a(prec);
    mpfr_const_pi(a, MPFR_RNDN);
    mpfr_ui_div(invPi, 1, a, MPFR_RNDN);

    mpz_t n, num, den, q, kPrev, kCur, kNext, two64, two256, m, best, t, dist;
    for (mpz_ptr z : {n, num, den, q, kPrev, kCur, kNext, two64, two256, m, best, t, dist}) mpz_init(z);
    mpz_setbit(two64, 64);
    mpz_setbit(two256, 256);

    for (int e = 0; e <= kHardMaxExponent; ++e) {
      // beta to 256 fraction bits: N / 2^256
      mpfr_mul_2si(a, invPi, e - 62, MPFR_RNDN);
      mpfr_frac(a, a, MPFR_RNDN);
      mpfr_mul_2ui(a, a, 256, MPFR_RNDN);
      mpfr_get_z(n, a, MPFR_RNDZ);

      // Convergent denominators k_i of N / 2^256 up to 2^64.
      mpz_set(num, n);
      mpz_set(den, two256);
      mpz_set_ui(kPrev, 0);  // k_(-1)
      mpz_set_ui(kCur, 1);   // k_0 (a_0 = 0)
      mpz_fdiv_qr(q, t, num, den);  // a_0
      mpz_set(num, den);
      mpz_set(den, t);
      while (mpz_sgn(den) != 0) {
        mpz_fdiv_qr(q, t, num, den);
        mpz_mul(kNext, q, kCur);
        mpz_add(kNext, kNext, kPrev);
        if (mpz_cmp(kNext, two64) >= 0) break;
        mpz_set(kPrev, kCur);
        mpz_set(kCur, kNext);
        mpz_set(num, den);
        mpz_set(den, t);
      }

      // Candidates in [2^63, 2^64): j * k_cur and k_prev + t * k_cur, the
      // largest of each form.
      double bestLog = 1e9;
      mpz_set_ui(best, 0);
      for (int form = 0; form < 2; ++form) {
        mpz_sub_ui(t, two64, 1);
        if (form == 0) {
          mpz_fdiv_q(t, t, kCur);
          mpz_mul(m, t, kCur);
        } else {
          mpz_sub(t, t, kPrev);
          mpz_fdiv_q(t, t, kCur);
          mpz_mul(m, t, kCur);
          mpz_add(m, m, kPrev);
        }
        if (mpz_sizeinbase(m, 2) != 64) continue;
        mpz_mul(dist, m, n);
        mpz_fdiv_r_2exp(dist, dist, 256);
        mpz_sub(t, two256, dist);
        if (mpz_cmp(t, dist) < 0) mpz_set(dist, t);
        double lg = -256.0;
        if (mpz_sgn(dist) != 0) {
          long ex;
          const double d = mpz_get_d_2exp(&ex, dist);  // dist = d * 2^ex, 0.5 <= d < 1
          lg = std::log2(d) + static_cast<double>(ex) - 256.0;
        }
        if (lg < bestLog) {
          bestLog = lg;
          mpz_set(best, m);
        }
      }
      if (mpz_sgn(best) == 0) continue;
      out.push_back(HardArgument{MakeNormal(false, e, mpz_get_ui(best)), bestLog});
    }
    for (mpz_ptr z : {n, num, den, q, kPrev, kCur, kNext, two64, two256, m, best, t, dist}) mpz_clear(z);
    return out;
  }();
  return table;
}

// The hard arguments: every one below 2^100, then the hardest of the rest.
std::vector<XBits> HardestArguments(size_t count) {
  const auto& all = HardArguments();
  std::vector<XBits> out;
  std::vector<size_t> rest;
  for (size_t i = 0; i < all.size(); ++i) {
    if (all[i].x.BiasedExponent() - kExponentBias < 100) out.push_back(all[i].x);
    else rest.push_back(i);
  }
  std::stable_sort(rest.begin(), rest.end(),
                   [&](size_t a, size_t b) { return all[a].log2Distance < all[b].log2Distance; });
  for (size_t i = 0; i < rest.size() && out.size() < count; ++i) out.push_back(all[rest[i]].x);
  out.resize(std::min(out.size(), count));
  return out;
}

// ---------------------------------------------------------------- rows

class Builder {
 public:
  Builder(std::vector<Case>& out, const Row& row, uint64_t seed) : rng(seed), out_(out), row_(row) {}

  void X(XBits x) { out_.push_back(Case{row_.op, row_.unit, kZero, x}); }
  void YX(XBits y, XBits x) { out_.push_back(Case{row_.op, row_.unit, y, x}); }

  Rng rng;

 private:
  std::vector<Case>& out_;
  const Row& row_;
};

void AddSubtract(Builder& b, bool add) {
  Rng& r = b.rng;
  for (int i = 0; i < 2500; ++i)  // anywhere in the range
    b.YX(RandomExponent(r, kMinSubnormalExponent, kMaxExponent, r.Coin()),
         RandomExponent(r, kMinSubnormalExponent, kMaxExponent, r.Coin()));
  for (int i = 0; i < 3000; ++i) {  // magnitudes close enough to interact
    const int ey = static_cast<int>(r.Between(-16300, 16300));
    b.YX(WithExponent(r, ey, r.Coin()), WithExponent(r, ey + static_cast<int>(r.Between(-70, 70)), r.Coin()));
  }
  for (int i = 0; i < 3000; ++i) {  // cancellation: X within a few binades' steps of Y
    const XBits y = RandomExponent(r, -16380, 16380, r.Coin());
    XBits x = StepBits(y, static_cast<int64_t>(r.Next() >> r.Between(24, 63)) * (r.Coin() ? 1 : -1));
    if (add) x = x.Negated();
    b.YX(y, x);
  }
  for (int i = 0; i < 1000; ++i)  // subnormal and barely normal operands
    b.YX(RandomExponent(r, kMinSubnormalExponent, -16370, r.Coin()),
         RandomExponent(r, kMinSubnormalExponent, -16370, r.Coin()));
  for (int i = 0; i < 1000; ++i) {  // next to overflow (some overflow)
    const bool neg = r.Coin();
    b.YX(RandomExponent(r, 16381, kMaxExponent, neg), RandomExponent(r, 16381, kMaxExponent, add ? neg : !neg));
  }
  for (int i = 0; i < 1500; ++i)  // whole numbers: exact results
    b.YX(FromInteger(r.Coin(), r.Below(1000001)), FromInteger(r.Coin(), r.Below(1000001)));
}

void Multiply(Builder& b) {
  Rng& r = b.rng;
  for (int i = 0; i < 3000; ++i) {  // products inside the range
    const int ey = static_cast<int>(r.Between(kMinNormalExponent, kMaxExponent));
    const int ex = static_cast<int>(r.Between(std::max(kMinSubnormalExponent, -16440 - ey), std::min(kMaxExponent, 16382 - ey)));
    b.YX(WithExponent(r, ey, r.Coin()), WithExponent(r, ex, r.Coin()));
  }
  for (int i = 0; i < 2000; ++i) {  // products at the top binade (some overflow)
    const int ey = static_cast<int>(r.Between(0, kMaxExponent));
    b.YX(WithExponent(r, ey, r.Coin()), WithExponent(r, 16382 - ey + static_cast<int>(r.Between(0, 1)), r.Coin()));
  }
  for (int i = 0; i < 2000; ++i) {  // subnormal and underflowing products
    const int ey = static_cast<int>(r.Between(-16000, 16000));
    const int sum = static_cast<int>(r.Between(-16450, -16378));
    b.YX(WithExponent(r, ey, r.Coin()), WithExponent(r, std::clamp(sum - ey, kMinSubnormalExponent, kMaxExponent), r.Coin()));
  }
  for (int i = 0; i < 2000; ++i)  // everyday magnitudes
    b.YX(RandomExponent(r, -64, 64, r.Coin()), RandomExponent(r, -64, 64, r.Coin()));
  for (int i = 0; i < 1500; ++i)  // a subnormal factor
    b.YX(RandomExponent(r, kMinSubnormalExponent, kMinNormalExponent - 1, r.Coin()), RandomExponent(r, 0, kMaxExponent, r.Coin()));
  for (int i = 0; i < 1500; ++i)  // whole numbers: exact products
    b.YX(FromInteger(r.Coin(), r.Next() >> 32), FromInteger(r.Coin(), r.Next() >> 32));
}

void Divide(Builder& b) {
  Rng& r = b.rng;
  for (int i = 0; i < 3000; ++i) {  // quotients inside the range
    const int ey = static_cast<int>(r.Between(kMinNormalExponent, kMaxExponent));
    const int ex = static_cast<int>(r.Between(std::max(kMinSubnormalExponent, ey - 16382), std::min(kMaxExponent, ey + 16440)));
    b.YX(WithExponent(r, ey, r.Coin()), WithExponent(r, ex, r.Coin()));
  }
  for (int i = 0; i < 2000; ++i) {  // quotients at the top binade (some overflow)
    const int ey = static_cast<int>(r.Between(0, kMaxExponent));
    b.YX(WithExponent(r, ey, r.Coin()), WithExponent(r, ey - 16383 - static_cast<int>(r.Between(0, 1)), r.Coin()));
  }
  for (int i = 0; i < 2000; ++i) {  // subnormal and underflowing quotients
    const int ey = static_cast<int>(r.Between(-16000, 0));
    const int diff = static_cast<int>(r.Between(-16450, -16378));
    b.YX(WithExponent(r, ey, r.Coin()), WithExponent(r, std::clamp(ey - diff, kMinSubnormalExponent, kMaxExponent), r.Coin()));
  }
  for (int i = 0; i < 2000; ++i)  // everyday magnitudes
    b.YX(RandomExponent(r, -64, 64, r.Coin()), RandomExponent(r, -64, 64, r.Coin()));
  for (int i = 0; i < 750; ++i)  // a subnormal dividend
    b.YX(RandomExponent(r, kMinSubnormalExponent, kMinNormalExponent - 1, r.Coin()), RandomExponent(r, -16445, 0, r.Coin()));
  for (int i = 0; i < 750; ++i)  // a subnormal divisor (large quotients overflow)
    b.YX(RandomExponent(r, -16445, -1, r.Coin()), RandomExponent(r, kMinSubnormalExponent, kMinNormalExponent - 1, r.Coin()));
  for (int i = 0; i < 1500; ++i)  // whole numbers
    b.YX(FromInteger(r.Coin(), r.Next() >> 32), FromInteger(r.Coin(), (r.Next() >> 32) | 1));
  for (int i = 0; i < 20; ++i)  // division by zero and 0/0: faults
    b.YX(i % 4 == 0 ? kZero : RandomExponent(r, -100, 100, r.Coin()), kZero);
}

void Inverse(Builder& b) {
  Rng& r = b.rng;
  for (int i = 0; i < 6000; ++i) b.X(RandomExponent(r, -16383, kMaxExponent, r.Coin()));
  for (int i = 0; i < 2000; ++i) b.X(WithSign(ScatteredNear(r, kOne), r.Coin()));
  for (int i = 0; i < 2000; ++i) b.X(RandomExponent(r, 16370, kMaxExponent, r.Coin()));  // subnormal results
  for (int i = 0; i < 1500; ++i) b.X(RandomExponent(r, -16386, -16381, r.Coin()));       // some overflow
  for (int i = 0; i < 500; ++i) b.X(FromInteger(r.Coin(), r.Between(1, 1000000)));
  for (int i = 0; i < 20; ++i) b.X(kZero);  // division by zero: faults
}

void Square(Builder& b) {
  Rng& r = b.rng;
  for (int i = 0; i < 6000; ++i) b.X(RandomExponent(r, -8191, 8191, r.Coin()));
  for (int i = 0; i < 2000; ++i) b.X(RandomExponent(r, 8185, 8192, r.Coin()));     // top binades, some overflow
  for (int i = 0; i < 2000; ++i) b.X(RandomExponent(r, -8230, -8185, r.Coin()));   // subnormal and zero results
  for (int i = 0; i < 2000; ++i) b.X(RandomExponent(r, -40, 40, r.Coin()));
}

void Root(Builder& b) {
  Rng& r = b.rng;
  for (int i = 0; i < 7000; ++i) b.X(RandomExponent(r, kMinSubnormalExponent, kMaxExponent, false));
  for (int i = 0; i < 500; ++i) b.X(RandomExponent(r, kMinSubnormalExponent, kMinNormalExponent - 1, false));
  for (int i = 0; i < 1500; ++i) {  // perfect squares and their neighbours
    const uint64_t n = r.Next() >> 32;
    b.X(StepBits(FromInteger(false, n * n), r.Between(-3, 3)));
  }
  for (int i = 0; i < 1500; ++i) b.X(ScatteredNear(r, kOne));
  for (int i = 0; i < 1500; ++i) b.X(Uniform(r, 0, 100));
  for (int i = 0; i < 100; ++i) b.X(RandomExponent(r, -100, 100, true));  // domain errors
}

void Logarithm(Builder& b, bool base10) {
  Rng& r = b.rng;
  for (int i = 0; i < 5500; ++i) b.X(RandomExponent(r, kMinNormalExponent, kMaxExponent, false));
  for (int i = 0; i < 500; ++i) b.X(RandomExponent(r, kMinSubnormalExponent, kMinNormalExponent - 1, false));
  for (int i = 0; i < 3500; ++i) b.X(ScatteredNear(r, kOne));  // near 1, both sides, every scale
  for (int steps = -200; steps <= 200; ++steps) b.X(StepBits(kOne, steps));
  for (int i = 0; i < 1500; ++i) b.X(Uniform(r, 0.25, 4));
  // Exact powers of the base's neighbours: powers of ten (exact up to
  // 10^27) and the extended values nearest e^k.
  for (int k = 0; k <= 27; ++k) {
    Mp p;
    if (base10) {
      mpfr_ui_pow_ui(p, 10, static_cast<unsigned long>(k), MPFR_RNDN);
    } else {
      mpfr_set_si(p, k * 400 - 5400, MPFR_RNDN);
      mpfr_exp(p, p, MPFR_RNDN);
    }
    const XBits x = NearestExtended(p);
    for (int s = -2; s <= 2; ++s) b.X(StepBits(x, s));
  }
  for (int i = 0; i < 60; ++i) b.X(i % 6 == 0 ? kZero : RandomExponent(r, -100, 100, true));  // domain and pole
}

// e^x (base10 false) or 10^x.
void Exponential(Builder& b, bool base10) {
  Rng& r = b.rng;
  const double top = base10 ? 4932.08 : 11356.53, bottom = base10 ? -4951.5 : -11400.0;
  const double subnormalTop = base10 ? -4931.0 : -11354.0;
  for (int i = 0; i < 4000; ++i) b.X(Uniform(r, bottom, top));
  // The overflow edge: the logarithm of the largest value, approached from
  // below at every scale; a quarter of them just above (rejected).
  const XBits edge = LogOfLargest(base10);
  for (int i = 0; i < 2000; ++i) {
    const int64_t steps = static_cast<int64_t>(r.Next() >> r.Between(20, 63));
    b.X(StepBits(edge, i % 4 == 0 ? steps : -steps));
  }
  for (int i = 0; i < 2000; ++i) b.X(Uniform(r, bottom, subnormalTop));  // subnormal results
  for (int i = 0; i < 2000; ++i) b.X(RandomExponent(r, kMinSubnormalExponent, -1, r.Coin()));  // near 1
  for (int i = 0; i < 1000; ++i) b.X(FromInteger(r.Coin(), r.Below(base10 ? 4932 : 11000)));
  for (int i = 0; i < 1000; ++i) b.X(Uniform(r, -50, 50));
}

void Power(Builder& b) {
  Rng& r = b.rng;
  // X chosen for a target log2 of the result T: X = T / log2 Y.
  auto forTarget = [&](XBits y, double target) {
    Mp ly, t;
    SetFromBits(ly, y);
    mpfr_log2(ly, ly, MPFR_RNDN);
    if (mpfr_zero_p(ly)) return;
    mpfr_set_d(t, target, MPFR_RNDN);
    mpfr_div(t, t, ly, MPFR_RNDN);
    b.YX(y, NearestExtended(t));
  };
  for (int i = 0; i < 3000; ++i)  // results anywhere in the range
    forTarget(RandomExponent(r, kMinSubnormalExponent, kMaxExponent, false), -16440.0 + 32823.0 * UnitDouble(r));
  for (int i = 0; i < 2000; ++i) {  // results next to the overflow edge; a quarter above it
    const double below = std::ldexp(UnitDouble(r), -static_cast<int>(r.Between(0, 44)));
    int e;
    do e = static_cast<int>(r.Between(-16000, 16000)); while (e == 0 || e == -1);
    forTarget(WithExponent(r, e, false), i % 4 == 0 ? 16384.0 + below * 0.01 : 16384.0 - below);
  }
  for (int i = 0; i < 1000; ++i) {  // subnormal and underflowing results
    int e;
    do e = static_cast<int>(r.Between(-16000, 16000)); while (e == 0 || e == -1);
    forTarget(WithExponent(r, e, false), -16378.0 - static_cast<double>(r.Below(72000)) * 1e-3);
  }
  for (int i = 0; i < 2000; ++i) b.YX(Uniform(r, 0.01, 100), Uniform(r, -60, 60));
  for (int i = 0; i < 1000; ++i)  // negative bases, whole exponents
    b.YX(Uniform(r, -100, -0.01), FromInteger(r.Coin(), r.Below(301)));
  for (int i = 0; i < 500; ++i)  // bases near -1, large whole exponents
    b.YX(ScatteredNear(r, kOne.Negated(), 12), FromInteger(r.Coin(), r.Next() >> r.Between(20, 40)));
  for (int i = 0; i < 1500; ++i)  // bases near 1, large exponents
    forTarget(ScatteredNear(r, kOne, 2), static_cast<double>(r.Between(-2000000, 2000000)) * 1e-3);
  for (int i = 0; i < 1000; ++i)  // small whole numbers: exact results
    b.YX(FromInteger(false, r.Between(2, 20)), FromInteger(false, r.Below(41)));
  for (int i = 0; i < 100; ++i) {  // domain and pole errors
    if (i % 5 == 0) b.YX(kZero, RandomExponent(r, -10, 10, true));
    else b.YX(Uniform(r, -100, -0.01), Uniform(r, 0.1, 0.9));
  }
}

// Sine, cosine and tangent in radians.
void TrigRadians(Builder& b) {
  Rng& r = b.rng;
  for (int i = 0; i < 1800; ++i) b.X(RandomExponent(r, kMinSubnormalExponent, 0, r.Coin()));
  for (int i = 0; i < 2000; ++i) b.X(Uniform(r, -8 * std::numbers::pi, 8 * std::numbers::pi));
  for (int i = 0; i < 1500; ++i) b.X(RandomExponent(r, 2, 63, r.Coin()));
  for (int i = 0; i < 1500; ++i) b.X(RandomExponent(r, 63, kHardMaxExponent, r.Coin()));  // up to 1e4000
  // The values nearest k pi/2 and their neighbours: k = 1..300, then random
  // k of up to 13280 bits.
  mpz_t k;
  mpz_init(k);
  for (int i = 1; i <= 500; ++i) {
    if (i <= 300) mpz_set_ui(k, static_cast<unsigned long>(i));
    else RandomInteger(r, static_cast<int>(r.Between(10, 13280)), k);
    const XBits x = WithSign(NearestHalfPiMultiple(k), r.Coin());
    for (int s = -2; s <= 2; ++s) b.X(StepBits(x, s));
  }
  mpz_clear(k);
  // The hardest reductions and their neighbours.
  for (XBits x : HardestArguments(834)) {
    x = WithSign(x, r.Coin());
    for (int s = -1; s <= 1; ++s) b.X(StepBits(x, s));
  }
}

// Sine, cosine and tangent in degrees or gradients: the engine first
// multiplies by the conversion constant (rounded), so the hard arguments are
// the ones whose converted value lands next to a multiple of pi/2.
void TrigConverted(Builder& b, int unit) {
  Rng& r = b.rng;
  const double quarter = unit == auDegrees ? 90 : 100;
  Mp c;
  SetFromBits(c, BitsOf(unit == auDegrees ? kDegToRad : kGradToRad));
  auto unconverted = [&](XBits radians) {
    Mp t;
    SetFromBits(t, radians);
    mpfr_div(t, t, c, MPFR_RNDN);
    return NearestExtended(t);
  };
  for (int i = 0; i < 2000; ++i) b.X(Uniform(r, -8 * quarter, 8 * quarter));
  for (int i = 0; i < 1000; ++i) b.X(FromInteger(r.Coin(), r.Below(40 * static_cast<uint64_t>(quarter) + 1)));
  for (int i = 0; i < 1500; ++i) {  // whole multiples of the right angle and their neighbours
    const XBits x = FromInteger(r.Coin(), static_cast<uint64_t>(quarter) * r.Below(4001));
    b.X(StepBits(x, r.Between(-3, 3)));
  }
  for (int i = 0; i < 1500; ++i) b.X(RandomExponent(r, kMinSubnormalExponent, 0, r.Coin()));
  for (int i = 0; i < 1500; ++i) b.X(RandomExponent(r, 10, kHardMaxExponent + 6, r.Coin()));
  mpz_t k;
  mpz_init(k);
  for (int i = 1; i <= 500; ++i) {
    if (i <= 300) mpz_set_ui(k, static_cast<unsigned long>(i));
    else RandomInteger(r, static_cast<int>(r.Between(10, 13280)), k);
    const XBits x = WithSign(unconverted(NearestHalfPiMultiple(k)), r.Coin());
    for (int s = -2; s <= 2; ++s) b.X(StepBits(x, s));
  }
  mpz_clear(k);
  for (XBits t : HardestArguments(667)) {
    const XBits x = WithSign(unconverted(t), r.Coin());
    for (int s = -1; s <= 1; ++s) b.X(StepBits(x, s));
  }
}

void ArcSineCosine(Builder& b) {
  Rng& r = b.rng;
  for (int i = 0; i < 4000; ++i) b.X(Uniform(r, -1, 1));
  for (int i = 0; i < 2800; ++i) {  // towards +-1 at every scale
    const int64_t steps = static_cast<int64_t>(r.Next() >> r.Between(1, 63));
    b.X(WithSign(StepBits(kOne, -steps), r.Coin()));
  }
  for (int steps = 0; steps <= 100; ++steps)  // +-1 and the 100 values inside each
    for (bool negative : {false, true}) b.X(WithSign(StepBits(kOne, -steps), negative));
  for (int i = 0; i < 2000; ++i) b.X(RandomExponent(r, kMinSubnormalExponent, -2, r.Coin()));
  const double marks[] = {0.5, 0.70710678118654752440, 0.86602540378443864676};
  for (int i = 0; i < 1000; ++i)
    b.X(WithSign(StepBits(FromDouble(marks[i % 3]), static_cast<int64_t>(r.Next() >> r.Between(24, 63)) * (r.Coin() ? 1 : -1)),
                 r.Coin()));
  for (int i = 0; i < 2000; ++i) b.X(RandomExponent(r, -64, -1, r.Coin()));
  for (int i = 0; i < 100; ++i)  // out of range
    b.X(WithSign(i % 2 ? StepBits(kOne, r.Between(1, 1000)) : RandomExponent(r, 1, 100, false), r.Coin()));
}

void ArcTangent(Builder& b) {
  Rng& r = b.rng;
  for (int i = 0; i < 4000; ++i) b.X(RandomExponent(r, kMinSubnormalExponent, kMaxExponent, r.Coin()));
  for (int i = 0; i < 2000; ++i) b.X(Uniform(r, -4, 4));
  for (int i = 0; i < 2000; ++i) b.X(WithSign(ScatteredNear(r, kOne), r.Coin()));
  for (int i = 0; i < 2000; ++i) b.X(RandomExponent(r, kMinSubnormalExponent, -20, r.Coin()));
  for (int i = 0; i < 2000; ++i) b.X(RandomExponent(r, 20, kMaxExponent, r.Coin()));
}

// Keeps the first of equal cases within each row.
void RemoveDuplicates(std::vector<Case>& cases, size_t from) {
  auto key = [](const Case& c) { return std::tuple(c.y.se, c.y.sig, c.x.se, c.x.sig); };
  std::set<std::tuple<uint16_t, uint64_t, uint16_t, uint64_t>> seen;
  size_t kept = from;
  for (size_t i = from; i < cases.size(); ++i)
    if (seen.insert(key(cases[i])).second) cases[kept++] = cases[i];
  cases.resize(kept);
}

}  // namespace

const std::vector<Row>& Rows() {
  static const std::vector<Row> rows = [] {
    std::vector<Row> v = {
        {opAdd, auRadians, "Y+X", "-", 2},      {opSubtract, auRadians, "Y-X", "-", 2},
        {opMultiply, auRadians, "Y*X", "-", 2}, {opDivide, auRadians, "Y/X", "-", 2},
        {opInverse, auRadians, "1/X", "-", 1},  {opSquare, auRadians, "X^2", "-", 1},
        {opRoot, auRadians, "sqrt", "-", 1},    {opLn, auRadians, "ln", "-", 1},
        {opLog, auRadians, "log", "-", 1},      {opExp, auRadians, "e^X", "-", 1},
        {opTenPower, auRadians, "10^X", "-", 1}, {opPower, auRadians, "Y^X", "-", 2},
    };
    const struct { int op; const char* name; } trig[] = {{opSin, "sin"},     {opCos, "cos"},     {opTan, "tan"},
                                                          {opArcSin, "asin"}, {opArcCos, "acos"}, {opArcTan, "atan"}};
    const struct { int unit; const char* name; } units[] = {{auRadians, "rad"}, {auDegrees, "deg"}, {auGradients, "grad"}};
    for (const auto& t : trig)
      for (const auto& u : units) v.push_back(Row{t.op, u.unit, t.name, u.name, 1});
    return v;
  }();
  return rows;
}

CaseSet GenerateCases() {
  CaseSet set;
  const auto& rows = Rows();
  for (size_t i = 0; i < rows.size(); ++i) {
    const Row& row = rows[i];
    set.begin.push_back(set.cases.size());
    Builder b(set.cases, row, 0x4E696D62726C4163ull ^ ((i + 1) * 0x9E3779B97F4A7C15ull));
    switch (row.op) {
      case opAdd: AddSubtract(b, true); break;
      case opSubtract: AddSubtract(b, false); break;
      case opMultiply: Multiply(b); break;
      case opDivide: Divide(b); break;
      case opInverse: Inverse(b); break;
      case opSquare: Square(b); break;
      case opRoot: Root(b); break;
      case opLn: Logarithm(b, false); break;
      case opLog: Logarithm(b, true); break;
      case opExp: Exponential(b, false); break;
      case opTenPower: Exponential(b, true); break;
      case opPower: Power(b); break;
      case opSin:
      case opCos:
      case opTan:
        if (row.unit == auRadians) TrigRadians(b);
        else TrigConverted(b, row.unit);
        break;
      case opArcSin:
      case opArcCos: ArcSineCosine(b); break;
      case opArcTan: ArcTangent(b); break;
    }
    RemoveDuplicates(set.cases, set.begin.back());
  }
  set.begin.push_back(set.cases.size());
  return set;
}

}  // namespace nimbrel::bench
