#include "accuracy/Cases.h"

#include <cstdlib>
#include <cstring>

namespace nimbrel::bench {

namespace {

constexpr const char* kArgumentsMagic = "# nimbrel-accuracy arguments 1";
constexpr const char* kResultsMagic = "# nimbrel-accuracy results 1";

// One line without its end (LF or CRLF); false at the end of the file.
bool ReadLine(std::FILE* f, std::string& line) {
  line.clear();
  int c;
  bool any = false;
  while ((c = std::fgetc(f)) != EOF) {
    any = true;
    if (c == '\n') break;
    line.push_back(static_cast<char>(c));
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return any;
}

bool StartsWith(const std::string& s, const char* prefix) {
  return s.compare(0, std::strlen(prefix), prefix) == 0;
}

bool ParseInt(const char*& p, long& out) {
  while (*p == ' ' || *p == '\t') ++p;
  char* end;
  const long v = std::strtol(p, &end, 10);
  if (end == p) return false;
  p = end;
  out = v;
  return true;
}

bool AtEnd(const char* p) {
  while (*p == ' ' || *p == '\t') ++p;
  return *p == '\0';
}

void HashBytes(uint64_t& h, const void* data, size_t n) {
  const auto* b = static_cast<const unsigned char*>(data);
  for (size_t i = 0; i < n; ++i) {
    h ^= b[i];
    h *= 0x100000001b3ull;
  }
}

}  // namespace

Outcome Evaluate(Engine& engine, const Case& c) {
  engine.Push(ValueOf(c.y));
  engine.Push(ValueOf(c.x));
  Outcome o;
  try {
    const CalcOutcome done = engine.Calculate(c.op, c.unit);
    o.kind = done.rejected ? Outcome::Rejected : Outcome::Done;
    if (!done.rejected) o.value = BitsOf(engine.X());
    o.messages = done.report != CalcOutcome::Report::None ? 1 : 0;
  } catch (const FloatingPointFault& fault) {
    o.kind = Outcome::Fault;
    o.fault = fault.what();
  }
  return o;
}

uint64_t HashCases(const std::vector<Case>& cases) {
  uint64_t h = 0xcbf29ce484222325ull;
  for (const Case& c : cases) {
    const int32_t op = c.op, unit = c.unit;
    HashBytes(h, &op, sizeof op);
    HashBytes(h, &unit, sizeof unit);
    HashBytes(h, &c.y.se, sizeof c.y.se);
    HashBytes(h, &c.y.sig, sizeof c.y.sig);
    HashBytes(h, &c.x.se, sizeof c.x.se);
    HashBytes(h, &c.x.sig, sizeof c.x.sig);
  }
  return h;
}

void WriteArguments(std::FILE* f, const std::vector<Case>& cases) {
  std::fprintf(f, "%s\n# count %llu\n", kArgumentsMagic, static_cast<unsigned long long>(cases.size()));
  for (const Case& c : cases)
    std::fprintf(f, "%d %d %s %s\n", c.op, c.unit, ToText(c.y).c_str(), ToText(c.x).c_str());
}

bool ReadArguments(std::FILE* f, std::vector<Case>& cases, std::string& error) {
  cases.clear();
  std::string line;
  if (!ReadLine(f, line) || line != kArgumentsMagic) {
    error = "not an arguments file (first line should be \"" + std::string(kArgumentsMagic) + "\")";
    return false;
  }
  size_t declared = 0;
  bool haveCount = false;
  size_t lineNo = 1;
  while (ReadLine(f, line)) {
    ++lineNo;
    if (line.empty()) continue;
    if (line[0] == '#') {
      unsigned long long n;
      if (std::sscanf(line.c_str(), "# count %llu", &n) == 1) {
        declared = static_cast<size_t>(n);
        haveCount = true;
        cases.reserve(declared);
      }
      continue;
    }
    const char* p = line.c_str();
    long op, unit;
    Case c;
    if (!ParseInt(p, op) || !ParseInt(p, unit) || !ParseBits(p, c.y) || !ParseBits(p, c.x) || !AtEnd(p)) {
      error = "malformed arguments line " + std::to_string(lineNo) + ": " + line;
      return false;
    }
    c.op = static_cast<int>(op);
    c.unit = static_cast<int>(unit);
    cases.push_back(c);
  }
  if (!haveCount || declared != cases.size()) {
    error = "arguments file is truncated: " + std::to_string(cases.size()) + " cases, " +
            std::to_string(declared) + " declared";
    return false;
  }
  return true;
}

void WriteResults(std::FILE* f, const ResultsHeader& header, const std::vector<Outcome>& outcomes) {
  std::fprintf(f, "%s\n# build %s\n# x87-control %s\n# count %llu hash %016llx\n", kResultsMagic,
               header.build.c_str(), header.x87Control.c_str(), static_cast<unsigned long long>(outcomes.size()),
               static_cast<unsigned long long>(header.hash));
  for (const Outcome& o : outcomes) {
    switch (o.kind) {
      case Outcome::Done: std::fprintf(f, "done %s\n", ToText(o.value).c_str()); break;
      case Outcome::Rejected: std::fprintf(f, "rejected %d\n", o.messages); break;
      case Outcome::Fault: std::fprintf(f, "fault %s\n", o.fault.c_str()); break;
    }
  }
  std::fprintf(f, "# end\n");
}

bool ReadResults(std::FILE* f, ResultsHeader& header, std::vector<Outcome>& outcomes, std::string& error) {
  outcomes.clear();
  std::string line;
  if (!ReadLine(f, line) || line != kResultsMagic) {
    error = "not a results file (first line should be \"" + std::string(kResultsMagic) + "\")";
    return false;
  }
  bool haveCount = false, ended = false;
  size_t lineNo = 1;
  while (ReadLine(f, line)) {
    ++lineNo;
    if (line.empty()) continue;
    if (line[0] == '#') {
      unsigned long long n, h;
      if (StartsWith(line, "# build ")) {
        header.build = line.substr(8);
      } else if (StartsWith(line, "# x87-control ")) {
        header.x87Control = line.substr(14);
      } else if (std::sscanf(line.c_str(), "# count %llu hash %llx", &n, &h) == 2) {
        header.count = static_cast<size_t>(n);
        header.hash = h;
        haveCount = true;
        outcomes.reserve(header.count);
      } else if (line == "# end") {
        ended = true;
      }
      continue;
    }
    Outcome o;
    const char* p = line.c_str();
    if (StartsWith(line, "done ")) {
      p += 5;
      o.kind = Outcome::Done;
      if (!ParseBits(p, o.value) || !AtEnd(p)) p = nullptr;
    } else if (StartsWith(line, "rejected ")) {
      p += 9;
      o.kind = Outcome::Rejected;
      long m;
      if (ParseInt(p, m) && AtEnd(p)) o.messages = static_cast<int>(m);
      else p = nullptr;
    } else if (StartsWith(line, "fault ")) {
      o.kind = Outcome::Fault;
      o.fault = line.substr(6);
    } else {
      p = nullptr;
    }
    if (p == nullptr) {
      error = "malformed results line " + std::to_string(lineNo) + ": " + line;
      return false;
    }
    outcomes.push_back(std::move(o));
  }
  if (!haveCount || !ended || header.count != outcomes.size()) {
    error = "results file is incomplete: " + std::to_string(outcomes.size()) + " results, " +
            std::to_string(header.count) + " declared" + (ended ? "" : ", no end line");
    return false;
  }
  return true;
}

std::string BuildDescription() {
  std::string s = "gcc " __VERSION__;
#if defined(__MINGW64__)
  s += ", x86_64 Windows (MinGW-w64)";
#elif defined(__MINGW32__)
  s += ", i686 Windows (MinGW-w64)";
#elif defined(__x86_64__) && defined(__linux__)
  s += ", x86_64 Linux";
#elif defined(__i386__) && defined(__linux__)
  s += ", i686 Linux";
#endif
  return s;
}

std::string X87ControlWord() {
#if defined(__i386__) || defined(__x86_64__)
  unsigned short cw = 0;
  __asm__ volatile("fnstcw %0" : "=m"(cw));
  char buf[8];
  std::snprintf(buf, sizeof buf, "%04x", static_cast<unsigned>(cw));
  return buf;
#else
  return "none";
#endif
}

}  // namespace nimbrel::bench
