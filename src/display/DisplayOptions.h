// The display options: how every number on the calculator is written.
// Signed 16-bit fields, as they are kept in the registry. Values may arrive
// damaged from there; FormatNumber guards what it reads.
#pragma once

#include <cstdint>

namespace nimbrel {

struct DisplayOptions {
  int16_t Base = 10;      // 8, 10 or 16; anything else formats as 10
  int16_t FixedOn = 1;    // show Decs decimals (as many as fit)
  int16_t Decs = 4;       // 0..9 decimals when FixedOn
  int16_t CommasOn = 1;   // comma between groups of three integer digits
  int16_t TrailOn = 1;    // keep trailing zeros of the fraction
  int16_t AllExpOn = 0;   // always show the exponent, even "+e0"
  int16_t bsZ = 1;        // exponent step: 1 scientific, 3 engineering
  int16_t Notation = 3;   // options dialog preset; not read by the formatter
  int16_t Angles = 1;     // angle unit; not read by the formatter
};

}  // namespace nimbrel
