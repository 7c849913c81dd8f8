// nimbrel-accuracy-eval ARGUMENTS RESULTS
//
// The portable half of the accuracy benchmark: runs every case of an
// arguments file (written by `nimbrel-accuracy --write-args`) through the
// stack engine and writes the engine's results, as exact bits, to RESULTS.
// It needs no MPFR, so it builds for Windows as well; nimbrel-accuracy then
// compares its results with the exact values (`--windows-results`).
#include <cstdio>
#include <string>
#include <vector>

#include "accuracy/Cases.h"

using namespace nimbrel;
using namespace nimbrel::bench;

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s ARGUMENTS RESULTS\n", argv[0]);
    return 2;
  }
  std::FILE* in = std::fopen(argv[1], "rb");
  if (!in) {
    std::perror(argv[1]);
    return 2;
  }
  std::vector<Case> cases;
  std::string error;
  const bool ok = ReadArguments(in, cases, error);
  std::fclose(in);
  if (!ok) {
    std::fprintf(stderr, "%s: %s\n", argv[1], error.c_str());
    return 2;
  }

  ResultsHeader header;
  header.build = BuildDescription();
  header.x87Control = X87ControlWord();
  header.hash = HashCases(cases);

  Engine engine;
  std::vector<Outcome> outcomes;
  outcomes.reserve(cases.size());
  for (const Case& c : cases) outcomes.push_back(Evaluate(engine, c));
  header.count = outcomes.size();

  std::FILE* out = std::fopen(argv[2], "wb");
  if (!out) {
    std::perror(argv[2]);
    return 2;
  }
  WriteResults(out, header, outcomes);
  if (std::fclose(out) != 0) {
    std::perror(argv[2]);
    return 2;
  }
  std::printf("%llu cases evaluated (%s, x87 control word %s)\n", static_cast<unsigned long long>(cases.size()),
              header.build.c_str(), header.x87Control.c_str());
  return 0;
}
