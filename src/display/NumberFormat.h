// Number-to-text for every display line, the Copy command and the memory slots.
//
// A line is the label, ": ", then the number in plain form ("X: -1,234.5678")
// or exponent form, where the exponent follows the mantissa as sign, "e" and
// digits ("Y: 4.5000-e7"), all written in the display base. Each line fits a
// budget of 16 characters, label included.
#pragma once

#include <cstdint>
#include <string>

#include "core/Extended.h"
#include "display/DisplayOptions.h"

namespace nimbrel {

constexpr int kLineBudget = 16;   // characters of one display line, label included
constexpr int kMaxFraction = 9;   // never more decimals than this
constexpr int kPlainLimit = 13;   // plain form only while LeadExponent < 13

// The display line for x under the options. `carryRepaired`, when given, is
// set when a rounding carry had to be repaired in place (the calculator
// sounds the exclamation beep for it). A value that is not finite gives a
// short text ("X: Error") rather than a number. The line is never longer
// than kLineBudget: a value that doesn't fit at the stored exponent step is
// written at step 1.
std::string FormatNumber(Extended x, char label, const DisplayOptions& options, bool* carryRepaired = nullptr);

// Largest integer k with B^k <= |x|; 0 for x = 0. Exact at powers of B.
int LeadExponent(Extended x, int base);

// LeadExponent rounded down to a multiple of step (floor(k / step) * step).
int StepExponent(Extended x, int base, int step);

// The nearest multiple of step, halves rounded up: step * floor((a + step/2) / step).
Extended RoundToStep(Extended a, Extended step);

// Commas between groups of three characters, counted from the right, in place.
void InsertCommas(std::string& digits);

// v written in base 2..36 ("0"-"9", "A"-"Z"), "-" before a negative value.
// A base outside 2..36 gives the empty text.
std::string IntegerDigits(int64_t v, int base);

// "." followed by the first n base-B digits of r (0 <= r < 1), each cut off,
// not rounded. For n <= 0 just ".".
std::string FractionDigits(Extended r, int base, int n);

}  // namespace nimbrel
