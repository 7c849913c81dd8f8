// Transcendental functions of the calculator, each rounded once to extended.
//
// They are computed in quad precision (libquadmath) and rounded back, so the
// native and the Windows builds give the same, nearly correctly rounded bits.
// The C library's own long double functions differ between runtimes, and so
// do their error reports; the domain, pole and overflow decisions are made
// here, explicitly, the way the C standard describes them for logl, expl,
// powl and sqrtl.
#pragma once

#include <optional>
#include <string>

#include "core/Extended.h"

namespace nimbrel {

enum class MathErrorKind { Domain, Sing, Overflow };

// A math-library error: which function failed and how.
struct MathError {
  const char* function;  // "logl", "expl", "powl", "sqrtl"
  MathErrorKind kind;
  // "logl: SING error"
  std::string Text() const;
};

// The result or the error of one library call. An underflow is no error:
// the result is the (possibly subnormal or zero) rounded value.
struct MathResult {
  Extended value = 0;
  std::optional<MathError> error;
};

MathResult XLog(Extended x);               // natural logarithm
MathResult XLog10(Extended x);             // ln x / ln 10, errors as XLog
MathResult XExp(Extended x);               // e^x
MathResult XPow(Extended base, Extended exponent);  // as C's pow
MathResult XSqrt(Extended x);

// Trigonometry in radians; defined for every finite argument.
Extended XSin(Extended x);
Extended XCos(Extended x);
Extended XTan(Extended x);  // sine over cosine of the same argument
// Inverse functions times `scale` (1 for radians, or a radians-to-unit
// constant), the product rounded once. asin/acos need |x| <= 1.
Extended XAsin(Extended x, Extended scale);
Extended XAcos(Extended x, Extended scale);
Extended XAtan(Extended x, Extended scale);

}  // namespace nimbrel
