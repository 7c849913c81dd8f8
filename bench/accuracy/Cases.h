// The accuracy benchmark's cases, how one case runs through the engine,
// and the two text files the benchmark's programs exchange.
//
// Arguments file (written by nimbrel-accuracy, read by the evaluator):
//   # nimbrel-accuracy arguments 1
//   # count N
//   OP UNIT YBITS XBITS            one line per case, e.g.
//   14 1 0000:0000000000000000 4000:c90fdaa22168c000
// OP is the engine's operation code, UNIT the angle unit; Y is pushed
// before X, also for one-operand operations (it is then 0).
//
// Results file (written by the evaluator, read by nimbrel-accuracy), one
// line per case in the same order:
//   # nimbrel-accuracy results 1
//   # build TEXT                   the compiler and target of the evaluator
//   # x87-control HHHH             the FPU control word it ran with
//   # count N hash HHHHHHHHHHHHHHHH
//   done XBITS                     the new X
//   rejected M                     Calculate returned true; M platform messages
//   fault TEXT                     FloatingPointFault with that message
//   # end
// The hash is taken over the arguments as read, so that results are never
// matched against a different argument set.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "accuracy/ExtendedBits.h"
#include "core/Engine.h"

namespace nimbrel::bench {

struct Case {
  int op = 0;
  int unit = auRadians;
  XBits y;  // pushed first
  XBits x;  // pushed last: X
};

struct Outcome {
  enum Kind { Done, Rejected, Fault };
  Kind kind = Done;
  XBits value;        // X after the operation (Done)
  int messages = 0;   // messages the calculator would show for it
  std::string fault;  // the fault's text (Fault)
};

// Pushes Y and X, applies the case's operation and reads X back.
Outcome Evaluate(Engine& engine, const Case& c);

// FNV-1a over the cases' fields.
uint64_t HashCases(const std::vector<Case>& cases);

void WriteArguments(std::FILE* f, const std::vector<Case>& cases);
// False with a message in `error` on a malformed file.
bool ReadArguments(std::FILE* f, std::vector<Case>& cases, std::string& error);

struct ResultsHeader {
  std::string build;
  std::string x87Control;
  size_t count = 0;
  uint64_t hash = 0;
};

void WriteResults(std::FILE* f, const ResultsHeader& header, const std::vector<Outcome>& outcomes);
bool ReadResults(std::FILE* f, ResultsHeader& header, std::vector<Outcome>& outcomes, std::string& error);

// A short description of the compiler and target this file was built with.
std::string BuildDescription();

// The x87 control word in force, in hex ("037f"): its precision field
// decides whether + - * / and the square root round to 64 bits.
std::string X87ControlWord();

}  // namespace nimbrel::bench
