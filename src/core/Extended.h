// The calculator's number: the x87 80-bit extended type.
#pragma once

#include <cfloat>

namespace nimbrel {

using Extended = long double;

static_assert(LDBL_MANT_DIG == 64, "long double must be the 80-bit extended type (64-bit significand)");
static_assert(LDBL_MAX_EXP == 16384, "long double must have the 15-bit extended exponent");

}  // namespace nimbrel
