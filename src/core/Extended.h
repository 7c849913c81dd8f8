// The calculator's number: the x87 80-bit extended type.
#pragma once

#include <cfloat>

namespace nimbrel {

using Extended = long double;

static_assert(LDBL_MANT_DIG == 64, "long double must be the 80-bit extended type (64-bit significand)");
static_assert(LDBL_MAX_EXP == 16384, "long double must have the 15-bit extended exponent");

#ifdef _WIN32
// Every Windows build evaluates double expressions in x87 extended
// precision, as the 32-bit release does; the x86_64 test build is made so
// (-mfpmath=387) to behave alike.
static_assert(FLT_EVAL_METHOD == 2, "Windows builds must evaluate floating-point expressions in extended precision");
#endif

}  // namespace nimbrel
