#include "core/XMath.h"

#include <cmath>

extern "C" {
#include <quadmath.h>
}

namespace nimbrel {

namespace {

using Quad = __float128;

const char* KindName(MathErrorKind k) {
  switch (k) {
    case MathErrorKind::Domain: return "DOMAIN";
    case MathErrorKind::Sing: return "SING";
    case MathErrorKind::Overflow: return "OVERFLOW";
  }
  return "?";
}

MathResult Error(const char* fn, MathErrorKind kind) { return MathResult{0, MathError{fn, kind}}; }

// Rounds a quad result to extended; a value beyond the extended range is the
// caller's overflow.
MathResult Rounded(const char* fn, Quad q) {
  Extended v = static_cast<Extended>(q);
  if (std::isinf(v)) return Error(fn, MathErrorKind::Overflow);
  return MathResult{v, std::nullopt};
}

bool IsInteger(Extended y) { return std::floor(y) == y; }

}  // namespace

std::string MathError::Text() const { return std::string(function) + ": " + KindName(kind) + " error"; }

namespace {

// The logarithm's domain: negative numbers, and a pole at 0.
std::optional<MathResult> LogDomain(Extended x) {
  if (x < 0) return Error("logl", MathErrorKind::Domain);
  if (x == 0) return Error("logl", MathErrorKind::Sing);
  return std::nullopt;
}

}  // namespace

MathResult XLog(Extended x) {
  if (auto e = LogDomain(x)) return *e;
  return Rounded("logl", logq(static_cast<Quad>(x)));
}

MathResult XLog10(Extended x) {
  if (auto e = LogDomain(x)) return *e;
  // ln x over ln 10 at quad precision, rounded once: exact powers of ten come
  // out as whole numbers.
  return Rounded("logl", logq(static_cast<Quad>(x)) / logq(10.0Q));
}

MathResult XExp(Extended x) { return Rounded("expl", expq(static_cast<Quad>(x))); }

MathResult XPow(Extended base, Extended exponent) {
  if (base < 0 && !IsInteger(exponent)) return Error("powl", MathErrorKind::Domain);
  if (base == 0 && exponent < 0) return Error("powl", MathErrorKind::Sing);
  return Rounded("powl", powq(static_cast<Quad>(base), static_cast<Quad>(exponent)));
}

MathResult XSqrt(Extended x) {
  if (x < 0) return Error("sqrtl", MathErrorKind::Domain);
  return MathResult{std::sqrt(x), std::nullopt};  // fsqrt: correctly rounded
}

Extended XSin(Extended x) { return static_cast<Extended>(sinq(static_cast<Quad>(x))); }
Extended XCos(Extended x) { return static_cast<Extended>(cosq(static_cast<Quad>(x))); }
Extended XTan(Extended x) {
  Quad q = static_cast<Quad>(x);
  return static_cast<Extended>(sinq(q) / cosq(q));
}

Extended XAsin(Extended x, Extended scale) {
  return static_cast<Extended>(asinq(static_cast<Quad>(x)) * static_cast<Quad>(scale));
}
Extended XAcos(Extended x, Extended scale) {
  return static_cast<Extended>(acosq(static_cast<Quad>(x)) * static_cast<Quad>(scale));
}
Extended XAtan(Extended x, Extended scale) {
  return static_cast<Extended>(atanq(static_cast<Quad>(x)) * static_cast<Quad>(scale));
}

}  // namespace nimbrel
