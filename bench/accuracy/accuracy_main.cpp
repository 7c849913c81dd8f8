// nimbrel-accuracy: the engine's results against exact values from MPFR.
//
//   nimbrel-accuracy --write-args FILE
//       writes the benchmark's arguments for nimbrel-accuracy-eval and stops
//   nimbrel-accuracy [--windows-results FILE]
//       runs every argument through this build's engine, and prints, per
//       operation and angle unit, how far the results are from the exact
//       values; with --windows-results, the same table for the results that
//       nimbrel-accuracy-eval.exe produced for the same arguments
//
// The error of one result is |engine - exact| in units of the last place of
// a 64-bit significand in the exact value's binade (2^(e-63) for an exact
// value in [2^e, 2^(e+1)), at least 2^-16445), computed in MPFR at 256 bits.
// A correctly rounded result is within 0.5.
//
// Arguments the engine rejects (Calculate returns true) or that fault are
// counted, not compared. A figure is never a failure: the program exits 0
// whatever the errors are, 2 on unusable input files.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "accuracy/Cases.h"
#include "accuracy/Generate.h"
#include "accuracy/Reference.h"

using namespace nimbrel;
using namespace nimbrel::bench;

namespace {

constexpr size_t kWanted = 10000;    // compared arguments each row should reach
constexpr size_t kListedPerRow = 5;  // results over 1 ulp listed per row
constexpr size_t kListedOverHalf = 3;  // results over 0.5 ulp (not correctly rounded) listed per row

std::string Hex(XBits x) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%La", ValueOf(x));
  return buf;
}

std::string Arguments(const Row& row, const Case& c) {
  if (row.operands == 2) return "Y=" + Hex(c.y) + " X=" + Hex(c.x);
  return Hex(c.x);
}

// An error for the table: fixed decimals, or exponent form when large.
std::string Ulps(double e, int decimals) {
  char buf[48];
  if (e < 1e5) std::snprintf(buf, sizeof buf, "%.*f", decimals, e);
  else std::snprintf(buf, sizeof buf, "%.2e", e);
  return buf;
}

std::string Exact(mpfr_srcptr v) {
  char buf[128];
  mpfr_snprintf(buf, sizeof buf, "%.24Rg", v);
  return buf;
}

// Whether rejecting the case is what the exact value calls for: a result
// that is no number (domain errors, 0/0) or beyond the extended range once
// rounded (overflow, poles, division by zero).
bool RejectionExpected(mpfr_srcptr exact) {
  return !mpfr_number_p(exact) || !NearestExtended(exact).IsFinite();
}

struct Stats {
  size_t compared = 0, rejected = 0, faults = 0, overHalf = 0, overOne = 0;
  size_t unexpectedSkips = 0;  // rejected although the result is a finite extended value
  size_t differs = 0;          // outcome differs from the native build's
  double maxError = -1, sumError = 0;
  size_t maxAt = 0;
  std::vector<size_t> overOneAt;   // the first few over 1 ulp
  std::vector<size_t> overHalfAt;  // the first few over 0.5 ulp and not over 1
  std::vector<size_t> unexpectedAt;
};

struct Build {
  std::string title;
  std::vector<Outcome> outcomes;
  std::vector<Stats> stats;  // one per row
};

void Account(Stats& s, size_t index, const Outcome& o, mpfr_srcptr exact) {
  if (o.kind != Outcome::Done) {
    (o.kind == Outcome::Fault ? s.faults : s.rejected)++;
    if (!RejectionExpected(exact)) {
      ++s.unexpectedSkips;
      if (s.unexpectedAt.size() < kListedPerRow) s.unexpectedAt.push_back(index);
    }
    return;
  }
  const double err = UlpError(o.value, exact);
  ++s.compared;
  s.sumError += err;
  if (err > 0.5) ++s.overHalf;
  if (err > 0.5 && err <= 1 && s.overHalfAt.size() < kListedOverHalf) s.overHalfAt.push_back(index);
  if (err > 1) {
    ++s.overOne;
    if (s.overOneAt.size() < kListedPerRow) s.overOneAt.push_back(index);
  }
  if (!(err <= s.maxError)) {  // also takes the first NaN or infinity
    s.maxError = err;
    s.maxAt = index;
  }
}

bool SameOutcome(const Outcome& a, const Outcome& b) {
  if (a.kind != b.kind) return false;
  if (a.kind == Outcome::Done) return a.value == b.value;
  if (a.kind == Outcome::Fault) return a.fault == b.fault;
  return a.messages == b.messages;
}

void PrintTable(const Build& b, const CaseSet& set, bool withDiffers) {
  const auto& rows = Rows();
  std::printf("\n== %s\n", b.title.c_str());
  std::printf("%-5s %-4s %8s %8s %6s %9s %9s %6s %4s%s  %s\n", "op", "unit", "compared", "rejected", "faults",
              "max ulp", "mean ulp", ">0.5", ">1", withDiffers ? " differs" : "", "argument at max");
  size_t worstRow = 0, rowsOverOne = 0, shortRows = 0;
  for (size_t r = 0; r < rows.size(); ++r) {
    const Stats& s = b.stats[r];
    const double mean = s.compared ? s.sumError / static_cast<double>(s.compared) : 0;
    std::string at = s.compared ? Arguments(rows[r], set.cases[s.maxAt]) : "-";
    std::printf("%-5s %-4s %8zu %8zu %6zu %9s %9s %6zu %4zu", rows[r].name, rows[r].unitName, s.compared, s.rejected,
                s.faults, Ulps(std::max(s.maxError, 0.0), 3).c_str(), Ulps(mean, 4).c_str(), s.overHalf, s.overOne);
    if (withDiffers) std::printf(" %7zu", s.differs);
    std::printf("  %s\n", at.c_str());
    if (s.maxError > b.stats[worstRow].maxError) worstRow = r;
    if (s.overOne) ++rowsOverOne;
    if (s.compared < kWanted) ++shortRows;
  }
  std::printf("worst: %s %s, %s ulp; rows with results over 1 ulp: %zu of %zu\n", rows[worstRow].name,
              rows[worstRow].unitName, Ulps(b.stats[worstRow].maxError, 3).c_str(), rowsOverOne, rows.size());
  if (shortRows) std::printf("note: %zu rows compared fewer than %zu arguments\n", shortRows, kWanted);
}

void PrintDetails(const Build& b, const CaseSet& set, const std::vector<size_t>& rowOf) {
  const auto& rows = Rows();
  bool header = false;
  Mp exact;
  for (size_t r = 0; r < rows.size(); ++r) {
    const Stats& s = b.stats[r];
    auto list = [&](const std::vector<size_t>& at, const char* what) {
      for (size_t i : at) {
        if (!header) {
          std::printf("\n-- %s: details\n", b.title.c_str());
          header = true;
        }
        const Case& c = set.cases[i];
        const Outcome& o = b.outcomes[i];
        ReferenceValue(exact, c);
        std::printf("%s %s %s: %s\n   exact  %s\n", rows[rowOf[i]].name, rows[rowOf[i]].unitName, what,
                    Arguments(rows[r], c).c_str(), Exact(exact).c_str());
        if (o.kind == Outcome::Done)
          std::printf("   engine %s (%s), %.17g ulp\n", Hex(o.value).c_str(), ToText(o.value).c_str(),
                      UlpError(o.value, exact));
        else
          std::printf("   engine %s\n", o.kind == Outcome::Fault ? o.fault.c_str() : "rejected");
      }
    };
    list(s.overOneAt, "over 1 ulp");
    list(s.overHalfAt, "over 0.5 ulp");
    list(s.unexpectedAt, "rejected with a representable result");
  }
}

void Usage(const char* argv0) {
  std::fprintf(stderr,
               "usage: %s --write-args FILE\n"
               "       %s [--windows-results FILE]\n",
               argv0, argv0);
}

}  // namespace

int main(int argc, char** argv) {
  const char* writeArgs = nullptr;
  const char* windowsResults = nullptr;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--write-args") && i + 1 < argc) {
      writeArgs = argv[++i];
    } else if (!std::strcmp(argv[i], "--windows-results") && i + 1 < argc) {
      windowsResults = argv[++i];
    } else {
      Usage(argv[0]);
      return 2;
    }
  }

  const CaseSet set = GenerateCases();
  const auto& rows = Rows();

  if (writeArgs) {
    std::FILE* f = std::fopen(writeArgs, "wb");
    if (!f) {
      std::perror(writeArgs);
      return 2;
    }
    WriteArguments(f, set.cases);
    if (std::fclose(f) != 0) {
      std::perror(writeArgs);
      return 2;
    }
    std::printf("%zu arguments written to %s\n", set.cases.size(), writeArgs);
    return 0;
  }

  std::vector<size_t> rowOf(set.cases.size());
  for (size_t r = 0; r < rows.size(); ++r)
    for (size_t i = set.begin[r]; i < set.begin[r + 1]; ++i) rowOf[i] = r;

  std::vector<Build> builds(1);
  {
    Build& native = builds[0];
    native.title = "native, in this process: " + BuildDescription() + ", x87 control word " + X87ControlWord();
    Engine engine;
    native.outcomes.reserve(set.cases.size());
    for (const Case& c : set.cases) native.outcomes.push_back(Evaluate(engine, c));
  }
  if (windowsResults) {
    std::FILE* f = std::fopen(windowsResults, "rb");
    if (!f) {
      std::perror(windowsResults);
      return 2;
    }
    Build windows;
    ResultsHeader header;
    std::string error;
    const bool ok = ReadResults(f, header, windows.outcomes, error);
    std::fclose(f);
    if (!ok) {
      std::fprintf(stderr, "%s: %s\n", windowsResults, error.c_str());
      return 2;
    }
    if (header.count != set.cases.size() || header.hash != HashCases(set.cases)) {
      std::fprintf(stderr, "%s: results are for other arguments (write them again with --write-args)\n",
                   windowsResults);
      return 2;
    }
    windows.title = "Windows, from nimbrel-accuracy-eval's results: " + header.build + ", x87 control word " +
                    header.x87Control;
    builds.push_back(std::move(windows));
  }

  for (Build& b : builds) b.stats.assign(rows.size(), Stats{});
  Mp exact;
  for (size_t i = 0; i < set.cases.size(); ++i) {
    ReferenceValue(exact, set.cases[i]);
    for (size_t k = 0; k < builds.size(); ++k) {
      Stats& s = builds[k].stats[rowOf[i]];
      Account(s, i, builds[k].outcomes[i], exact);
      if (k > 0 && !SameOutcome(builds[k].outcomes[i], builds[0].outcomes[i])) ++s.differs;
    }
  }

  std::printf("Accuracy of the stack engine against MPFR (%d-bit), in ulps of a 64-bit significand\n",
              static_cast<int>(kReferencePrecision));
  std::printf("%zu arguments over %zu operations; a correctly rounded result is within 0.5 ulp\n",
              set.cases.size(), rows.size());
  for (size_t k = 0; k < builds.size(); ++k) PrintTable(builds[k], set, k > 0);
  for (const Build& b : builds) PrintDetails(b, set, rowOf);
  if (builds.size() > 1) {
    size_t differs = 0;
    for (const Stats& s : builds[1].stats) differs += s.differs;
    std::printf("\nnative and Windows outcomes differ for %zu of %zu arguments\n", differs, set.cases.size());
  }
  return 0;
}
