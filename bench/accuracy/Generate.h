// The accuracy benchmark's arguments: one row per operation and angle unit,
// each with about twelve thousand arguments spread over the operation's
// domain, with extra weight where accuracy is hard to get (cancellation,
// the ends of the exponent range, near 1 for the logarithms, the overflow
// edge of the exponentials and powers, and near multiples of pi/2 for the
// trigonometry, including huge arguments).
//
// Everything is derived from a fixed-seed splitmix64 generator, integer
// arithmetic and MPFR, never from the FPU or a library's random
// distributions, so the same cases come out on every run and machine.
#pragma once

#include <cstddef>
#include <vector>

#include "accuracy/Cases.h"

namespace nimbrel::bench {

struct Row {
  int op;
  int unit;          // auRadians for the operations without an angle
  const char* name;  // "sin"
  const char* unitName;  // "rad", "deg", "grad" or "-"
  int operands;      // 1 or 2 (Y and X)
};

// The table's rows, in print order.
const std::vector<Row>& Rows();

struct CaseSet {
  std::vector<Case> cases;
  // cases [begin[i], begin[i + 1]) belong to Rows()[i]; begin has one more
  // entry than there are rows.
  std::vector<size_t> begin;
};

CaseSet GenerateCases();

}  // namespace nimbrel::bench
