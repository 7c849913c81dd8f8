#include "display/NumberFormat.h"

#include <algorithm>
#include <cstddef>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string>
#include <utility>
#include <vector>

// Every decision here is taken on exact integers. A finite extended value is
// M * 2^E with a 64-bit integer M, so "is |x| at least B^k?", "the integer part
// of x / B^e" and "x / B^e rounded to d places" are questions about integers
// of at most a few thousand bits. Answering them exactly keeps the text right
// where floating point would slip: at the ends of the range, where B^e itself
// is no extended value (10^-4951 lies below the smallest one), at powers of
// the base, and at halves (1.23455e20 is exact and must round up). It also
// makes the native and the Windows build write the same characters: no
// library function of either runtime decides a digit, and printf, whose
// "%ld" and long double support differ between the runtimes, is not used.

namespace nimbrel {

namespace {

constexpr char kDigitChars[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
constexpr int kLabelWidth = 3;  // "X: "

// ---- a small unsigned big integer -------------------------------------------------

// A non-negative integer of any size: 32-bit limbs, least significant first,
// no leading zero limbs (zero has none). Only what the formatter needs.
class Natural {
 public:
  Natural() = default;
  explicit Natural(uint64_t v) {
    if (v != 0) limbs_.push_back(static_cast<uint32_t>(v));
    if ((v >> 32) != 0) limbs_.push_back(static_cast<uint32_t>(v >> 32));
  }

  bool IsZero() const { return limbs_.empty(); }

  int BitLength() const {
    if (limbs_.empty()) return 0;
    int bits = static_cast<int>(limbs_.size() - 1) * 32;
    for (uint32_t top = limbs_.back(); top != 0; top >>= 1) ++bits;
    return bits;
  }

  // The value, or the largest uint64_t when it doesn't fit.
  uint64_t ToU64Saturated() const {
    if (limbs_.size() > 2) return std::numeric_limits<uint64_t>::max();
    uint64_t v = 0;
    if (limbs_.size() > 1) v = static_cast<uint64_t>(limbs_[1]) << 32;
    if (!limbs_.empty()) v |= limbs_[0];
    return v;
  }

  void Add(uint32_t a) {
    uint64_t carry = a;
    for (size_t i = 0; carry != 0 && i < limbs_.size(); ++i) {
      carry += limbs_[i];
      limbs_[i] = static_cast<uint32_t>(carry);
      carry >>= 32;
    }
    if (carry != 0) limbs_.push_back(static_cast<uint32_t>(carry));
  }

  void Multiply(uint32_t m) {
    uint64_t carry = 0;
    for (uint32_t& limb : limbs_) {
      carry += static_cast<uint64_t>(limb) * m;
      limb = static_cast<uint32_t>(carry);
      carry >>= 32;
    }
    if (carry != 0) limbs_.push_back(static_cast<uint32_t>(carry));
    Trim();
  }

  // Replaces the value by floor(value / d) and returns the remainder; d > 0.
  uint32_t Divide(uint32_t d) {
    uint64_t rest = 0;
    for (size_t i = limbs_.size(); i-- > 0;) {
      rest = (rest << 32) | limbs_[i];
      limbs_[i] = static_cast<uint32_t>(rest / d);
      rest %= d;
    }
    Trim();
    return static_cast<uint32_t>(rest);
  }

  void ShiftLeft(int64_t bits) {
    if (limbs_.empty() || bits <= 0) return;
    const int part = static_cast<int>(bits % 32);
    if (part != 0) {
      uint32_t carry = 0;
      for (uint32_t& limb : limbs_) {
        const uint32_t next = limb >> (32 - part);
        limb = (limb << part) | carry;
        carry = next;
      }
      if (carry != 0) limbs_.push_back(carry);
    }
    limbs_.insert(limbs_.begin(), static_cast<size_t>(bits / 32), 0u);
  }

  // floor(value / 2^bits)
  void ShiftRight(int64_t bits) {
    if (bits <= 0) return;
    const int64_t whole = bits / 32;
    if (whole >= static_cast<int64_t>(limbs_.size())) {
      limbs_.clear();
      return;
    }
    limbs_.erase(limbs_.begin(), limbs_.begin() + static_cast<std::ptrdiff_t>(whole));
    const int part = static_cast<int>(bits % 32);
    if (part != 0) {
      for (size_t i = 0; i < limbs_.size(); ++i) {
        const uint32_t high = i + 1 < limbs_.size() ? limbs_[i + 1] << (32 - part) : 0;
        limbs_[i] = (limbs_[i] >> part) | high;
      }
    }
    Trim();
  }

  // floor(value / 2^bits), for a result known to be below 2^32.
  uint32_t BitsFrom(int64_t bits) const {
    Natural high = *this;
    high.ShiftRight(bits);
    return static_cast<uint32_t>(high.ToU64Saturated());
  }

  // value mod 2^bits
  void KeepLow(int64_t bits) {
    const int64_t whole = bits / 32;
    const int part = static_cast<int>(bits % 32);
    if (whole >= static_cast<int64_t>(limbs_.size())) return;
    limbs_.resize(static_cast<size_t>(whole) + (part != 0 ? 1 : 0));
    if (part != 0) limbs_.back() &= (1u << part) - 1;
    Trim();
  }

 private:
  void Trim() {
    while (!limbs_.empty() && limbs_.back() == 0) limbs_.pop_back();
  }

  std::vector<uint32_t> limbs_;
};

// ---- exact values and powers of the base ----------------------------------------

// A base written as 2^twos * odd: 10 is 2 * 5, 16 is 2^4 * 1. Powers of the
// odd factor are multiplied or divided in word-sized chunks, those of two are
// shifts.
struct BaseFactors {
  int twos = 0;
  uint32_t odd = 1;
  uint32_t chunk = 1;  // the largest power of odd that fits 32 bits
  int chunkPower = 0;  // and its exponent
};

BaseFactors FactorBase(int base) {
  BaseFactors f;
  uint32_t b = static_cast<uint32_t>(base);
  while (b % 2 == 0) {
    b /= 2;
    ++f.twos;
  }
  f.odd = b;
  if (b > 1) {
    while (static_cast<uint64_t>(f.chunk) * b <= 0xFFFFFFFFu) {
      f.chunk *= b;
      ++f.chunkPower;
    }
  }
  return f;
}

void MultiplyByOddPower(Natural& n, const BaseFactors& f, int64_t p) {
  if (f.odd == 1) return;
  for (; p >= f.chunkPower; p -= f.chunkPower) n.Multiply(f.chunk);
  for (; p > 0; --p) n.Multiply(f.odd);
}

// floor(n / odd^p): dividing by the factors one after another gives the same
// floor as dividing by their product.
void DivideByOddPower(Natural& n, const BaseFactors& f, int64_t p) {
  if (f.odd == 1) return;
  for (; p >= f.chunkPower && !n.IsZero(); p -= f.chunkPower) n.Divide(f.chunk);
  for (; p > 0 && !n.IsZero(); --p) n.Divide(f.odd);
}

// An exact non-negative value num * 2^twos * B^powers. A finite extended
// value has powers 0; the rounded value of a carry is an integer times B^e.
struct Magnitude {
  Natural num;
  int64_t twos = 0;
  int64_t powers = 0;
};

Magnitude MagnitudeOf(Extended x) {
  Magnitude m;
  x = std::fabs(x);
  if (x == 0 || !std::isfinite(x)) return m;
  int exponent = 0;
  const Extended fraction = std::frexp(x, &exponent);  // [0.5, 1), all 64 bits
  uint64_t significand = static_cast<uint64_t>(std::ldexp(fraction, 64));
  int64_t twos = static_cast<int64_t>(exponent) - 64;
  while ((significand & 1) == 0) {
    significand >>= 1;
    ++twos;
  }
  m.num = Natural(significand);
  m.twos = twos;
  return m;
}

// floor(v * B^t * 2^extraTwos), exact.
Natural ScaledFloor(const Magnitude& v, int base, int64_t t, int extraTwos = 0) {
  const BaseFactors f = FactorBase(base);
  const int64_t p = v.powers + t;
  const int64_t shift = v.twos + extraTwos + static_cast<int64_t>(f.twos) * p;
  Natural n = v.num;
  // Multiply first, divide last, so that only one floor is ever taken.
  if (p > 0) MultiplyByOddPower(n, f, p);
  if (shift > 0) n.ShiftLeft(shift);
  if (p < 0) DivideByOddPower(n, f, -p);
  if (shift < 0) n.ShiftRight(-shift);
  return n;
}

// log2 of a positive big integer, to double precision.
double Log2(const Natural& n) {
  const int bits = n.BitLength();
  if (bits <= 64) return std::log2(static_cast<double>(n.ToU64Saturated()));
  Natural top = n;
  top.ShiftRight(bits - 64);
  return std::log2(static_cast<double>(top.ToU64Saturated())) + (bits - 64);
}

// The largest k with B^k <= v, for v > 0. A floating-point estimate settles it
// unless it lies near a whole number; then exact comparisons decide.
int LeadExponentOf(const Magnitude& v, int base) {
  const double log2Base = std::log2(static_cast<double>(base));
  const double estimate = (Log2(v.num) + static_cast<double>(v.twos)) / log2Base + static_cast<double>(v.powers);
  int k = static_cast<int>(std::floor(estimate));
  // The estimate is off by far less than 1e-9; stay well clear of that.
  const double margin = 1e-6;
  if (estimate - k > margin && k + 1 - estimate > margin) return k;
  while (ScaledFloor(v, base, -static_cast<int64_t>(k)).IsZero()) --k;      // B^k > v
  while (!ScaledFloor(v, base, -static_cast<int64_t>(k) - 1).IsZero()) ++k;  // B^(k+1) <= v
  return k;
}

int FloorDiv(int a, int b) {
  int q = a / b;
  if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
  return q;
}

int HelperBase(int base) { return base >= 2 && base <= 36 ? base : 10; }

// ---- the options as the formatter reads them ----------------------------------

struct Format {
  int base;
  bool fixed;
  int decs;
  bool commas;
  bool trail;
  bool allExp;
  int step;
};

// Options arrive from the registry and may be damaged: a base other than 8 or
// 16 writes base 10, the decimals stay within 0..9 and the step is at least 1.
// Any larger step is read as stored; a line it can't fit is written at step 1
// (see FormatNumber).
Format ReadOptions(const DisplayOptions& o) {
  Format f;
  f.base = o.Base == 8 || o.Base == 16 ? o.Base : 10;
  f.fixed = o.FixedOn != 0;
  f.decs = std::clamp<int>(o.Decs, 0, kMaxFraction);
  f.commas = o.CommasOn != 0;
  f.trail = o.TrailOn != 0;
  f.allExp = o.AllExpOn != 0;
  f.step = std::max<int>(o.bsZ, 1);
  return f;
}

std::string LabelPiece(char label) { return std::string(1, label) + ": "; }

// "+e12", "-e5", "+e1A": sign, "e", the magnitude in the base.
std::string ExponentText(int e, int base) {
  std::string text = e < 0 ? "-e" : "+e";
  return text + IntegerDigits(std::abs(static_cast<int64_t>(e)), base);
}

// ---- the line ---------------------------------------------------------------------

// The exponent shown for v: the stepped exponent of the leading digit `k`,
// unless the plain form fits the line. The width is an estimate from the
// exponent alone.
//
// "As many decimals as fit" (FixedOn off) must still show the number: a value
// whose leading digit lies past the last decimal the line can hold would
// read as zeros (1e-10 as "0.000000000", or "0" without trailing zeros), so
// it keeps its exponent.
int ShownExponent(bool negative, bool isZero, int k, const Format& fmt) {
  int e = FloorDiv(k, fmt.step) * fmt.step;
  const bool onlyZerosInPlain = !fmt.fixed && k < -kMaxFraction;
  if (e != 0 && !fmt.allExp && k < kPlainLimit && !onlyZerosInPlain && (!fmt.fixed || e >= -fmt.decs)) {
    const int sign = negative && !isZero ? 1 : 0;
    const int commas = fmt.commas && e > 0 ? e / 3 : 0;
    const int fraction = fmt.fixed ? fmt.decs + 1 : 0;
    if (kLabelWidth + sign + std::abs(k) + 1 + commas + fraction <= kLineBudget) e = 0;
  }
  return e;
}

// The mantissa's integer part from twice the mantissa with kMaxFraction
// places; FormatMagnitude keeps it below B^14, far below 2^63.
uint64_t WholePart(Natural twiceScaled, int base) {
  for (int j = 0; j < kMaxFraction; ++j) twiceScaled.Divide(static_cast<uint32_t>(base));
  twiceScaled.ShiftRight(1);
  return std::min<uint64_t>(twiceScaled.ToU64Saturated(), std::numeric_limits<int64_t>::max());
}

// The mantissa to `decimals` places, halves rounded up:
// floor((floor(2 * m * B^d) + 1) / 2). Its last `decimals` digits are the
// fraction (returned), what is left above them the rounded integer part.
std::string RoundedFraction(Natural rounded, int decimals, int base, uint64_t& roundedWhole) {
  for (int j = decimals; j < kMaxFraction; ++j) rounded.Divide(static_cast<uint32_t>(base));
  rounded.Add(1);
  rounded.ShiftRight(1);
  std::string digits(static_cast<size_t>(decimals), '0');
  for (int j = decimals - 1; j >= 0; --j) digits[j] = kDigitChars[rounded.Divide(static_cast<uint32_t>(base))];
  roundedWhole = rounded.ToU64Saturated();
  return digits;
}

// The line for the exact value v with the given sign, or "" when its integer
// part is too long for the line at this step. `carried` is set when v is
// already the rounded value of an earlier pass.
//
// With a large step the mantissa grows to as many digits as the step has
// (10^20 at step 100 is 10^20 times 10^0). An integer part of more than 13
// digits can't fit the line; that is said before any digit is worked out,
// which for a step in the thousands would take numbers of that many digits.
//
// When the fraction rounds up into the integer part, the rounded value (the
// next multiple of B^e) is shown as a number of its own: its form, exponent
// and decimals may differ (9.99996 becomes 10.0000, 999999.99999 becomes
// 1.0000+e6). It is kept exact, not rounded to an extended value: 0.00001 is
// stored a hair below 10^-5, and the extended value nearest 10^-5 is that
// same number again, which would lead back here. Held exactly, the rounded
// value is above the value shown, has no fraction at its own exponent (or a
// single digit when it is a power of the base) and never carries again.
std::string FormatMagnitude(bool negative, const Magnitude& v, char label, const Format& fmt, bool* carryRepaired,
                            bool carried) {
  const int base = fmt.base;
  const bool isZero = v.num.IsZero();
  const int k = isZero ? 0 : LeadExponentOf(v, base);
  const int e = ShownExponent(negative, isZero, k, fmt);
  if (k - e >= kPlainLimit) return "";  // more than 13 integer digits: see above

  // Twice the mantissa |v| / B^e, with kMaxFraction places and cut off: the
  // integer part and every rounding to at most kMaxFraction places follow
  // from it exactly.
  const Natural twiceScaled = ScaledFloor(v, base, kMaxFraction - static_cast<int64_t>(e), 1);
  uint64_t whole = WholePart(twiceScaled, base);

  const std::string signPiece = negative && !isZero ? "-" : "";
  const std::string exponentPiece = fmt.allExp || e != 0 ? ExponentText(e, base) : "";
  bool repaired = false;
  for (;;) {
    std::string integerPiece = IntegerDigits(static_cast<int64_t>(whole), base);
    if (fmt.commas) InsertCommas(integerPiece);

    // As many decimals as the line has room for, Decs at most when fixed,
    // never more than kMaxFraction. Zero or fewer leaves the point alone.
    const int used = kLabelWidth + static_cast<int>(signPiece.size() + integerPiece.size() + exponentPiece.size()) + 1;
    const int room = kLineBudget - used;
    const int decimals = std::min(fmt.fixed ? std::min(fmt.decs, room) : room, kMaxFraction);

    std::string fractionPiece = ".";
    if (decimals >= 0) {
      uint64_t roundedWhole = 0;
      const std::string digits = RoundedFraction(twiceScaled, decimals, base, roundedWhole);
      if (roundedWhole > whole && !repaired) {
        // The fraction rounded up into the integer part: the rounded value
        // as a number of its own (see above).
        if (!carried) {
          Magnitude next;
          next.num = Natural(roundedWhole);
          next.powers = e;
          return FormatMagnitude(negative, next, label, fmt, carryRepaired, true);
        }
        // Last resort should a rounded value round up once more: take the
        // carry in place, and say so (the exclamation beep), rather than
        // recurse. The fraction then rounds to zeros.
        if (carryRepaired) *carryRepaired = true;
        whole = roundedWhole;
        repaired = true;
        continue;
      }
      fractionPiece += digits;
    }

    if (!fmt.trail) {
      while (fractionPiece.size() > 1 && fractionPiece.back() == '0') fractionPiece.pop_back();
      if (fractionPiece == ".") fractionPiece.clear();
    }
    return LabelPiece(label) + signPiece + integerPiece + fractionPiece + exponentPiece;
  }
}

}  // namespace

// ---- public operations -----------------------------------------------------------

// Every line fits the display's 16 characters. At steps 1 and 3 the rules
// above see to that but for a lone point after an integer part that fills
// the line, which is dropped. A larger step (the options dialog takes any)
// makes mantissas of as many digits as the step, and exponents that are not
// one digit longer for it: a line that doesn't fit at the stored step is
// written at step 1, where every finite value fits.
std::string FormatNumber(Extended x, char label, const DisplayOptions& options, bool* carryRepaired) {
  if (carryRepaired) *carryRepaired = false;
  if (!std::isfinite(x)) return LabelPiece(label) + "Error";
  const bool negative = std::signbit(x);
  const Magnitude v = MagnitudeOf(x);
  Format fmt = ReadOptions(options);
  const size_t budget = kLineBudget;
  bool repaired = false;
  auto lineAtStep = [&](int step) {
    fmt.step = step;
    repaired = false;
    std::string line = FormatMagnitude(negative, v, label, fmt, &repaired, false);
    const bool plain = line.find('e') == std::string::npos;
    if (plain && line.size() == budget + 1 && line.back() == '.') line.pop_back();
    return line;
  };
  std::string line = lineAtStep(fmt.step);
  if (line.empty() || line.size() > budget) line = lineAtStep(1);
  if (carryRepaired) *carryRepaired = repaired;
  return line;
}

// A base outside 2..36 counts as 10; a value that is not finite gives 0.
int LeadExponent(Extended x, int base) {
  if (x == 0 || !std::isfinite(x)) return 0;
  return LeadExponentOf(MagnitudeOf(x), HelperBase(base));
}

// A step below 1 counts as 1.
int StepExponent(Extended x, int base, int step) {
  step = std::max(step, 1);
  return FloorDiv(LeadExponent(x, base), step) * step;
}

// A step that is not a positive finite number leaves a unchanged.
Extended RoundToStep(Extended a, Extended step) {
  if (!(step > 0) || !std::isfinite(step)) return a;
  return step * std::floor((a + step / 2) / step);
}

void InsertCommas(std::string& digits) {
  const size_t n = digits.size();
  std::string grouped;
  grouped.reserve(n + n / 3);
  for (size_t i = 0; i < n; ++i) {
    grouped += digits[i];
    const size_t left = n - i;
    if (left > 3 && left % 3 == 1) grouped += ',';
  }
  digits = std::move(grouped);
}

std::string IntegerDigits(int64_t v, int base) {
  if (base < 2 || base > 36) return "";
  // The magnitude as unsigned, so that INT64_MIN has one too.
  uint64_t magnitude = v < 0 ? 0 - static_cast<uint64_t>(v) : static_cast<uint64_t>(v);
  std::string digits;
  do {
    digits += kDigitChars[magnitude % static_cast<uint64_t>(base)];
    magnitude /= static_cast<uint64_t>(base);
  } while (magnitude != 0);
  if (v < 0) digits += '-';
  std::reverse(digits.begin(), digits.end());
  return digits;
}

// The digits are those of |r| after its point (an integer part is ignored);
// a value that is not finite, or a base outside 2..36, gives zeros or no
// digits at all.
std::string FractionDigits(Extended r, int base, int n) {
  std::string text = ".";
  if (n <= 0 || base < 2 || base > 36) return text;
  text.append(static_cast<size_t>(n), '0');
  if (!std::isfinite(r)) return text;
  const Magnitude m = MagnitudeOf(r);
  if (m.twos >= 0) return text;  // an integer (or zero): nothing after the point
  // The fraction is num / 2^bits; each digit is what one more factor B lifts
  // above the point. A dyadic fraction ends after finitely many digits in an
  // even base; the rest are zeros.
  const int64_t bits = -m.twos;
  Natural num = m.num;
  num.KeepLow(bits);
  for (int j = 1; j <= n && !num.IsZero(); ++j) {
    num.Multiply(static_cast<uint32_t>(base));
    text[static_cast<size_t>(j)] = kDigitChars[num.BitsFrom(bits)];
    num.KeepLow(bits);
  }
  return text;
}

}  // namespace nimbrel
