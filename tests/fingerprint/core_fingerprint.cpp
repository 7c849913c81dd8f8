// Prints the core's results for a fixed, varied set of inputs, one per line,
// with every number as its exact bits. The test script runs the native and
// the Windows build and compares the two outputs byte for byte: the core
// must compute the same bits and the same texts on both.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "core/Engine.h"
#include "display/ClipboardText.h"
#include "display/EntryLine.h"
#include "display/NumberFormat.h"

namespace {

using nimbrel::Extended;

// What the calculator would tell the user, in the words of the record.
std::string Told(const nimbrel::CalcOutcome& o) {
  using Report = nimbrel::CalcOutcome::Report;
  return o.report == Report::MathError ? " err:" + o.message : o.report == Report::OutOfRange ? " msg:" + o.message : "";
}

std::string Hex(Extended v) {
  unsigned char raw[10];
  std::memcpy(raw, &v, 10);
  char buf[24];
  std::snprintf(buf, sizeof buf, "%02X%02X:%02X%02X%02X%02X%02X%02X%02X%02X", raw[9], raw[8], raw[7], raw[6],
                raw[5], raw[4], raw[3], raw[2], raw[1], raw[0]);
  return buf;
}

uint64_t state = 0x5EED5EED12345678ULL;
uint64_t Next() {  // splitmix64: the same sequence everywhere
  uint64_t z = (state += 0x9E3779B97F4A7C15ULL);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
  return z ^ (z >> 31);
}

// A finite extended value with a random significand and an exponent drawn
// from [lo, hi].
Extended Random(int lo, int hi) {
  const uint64_t mant = Next() | 0x8000000000000000ULL;
  const int e = lo + static_cast<int>(Next() % static_cast<uint64_t>(hi - lo + 1));
  uint16_t se = static_cast<uint16_t>(e + 16383);
  if (Next() & 1) se |= 0x8000;
  unsigned char raw[sizeof(Extended)] = {};
  std::memcpy(raw, &mant, 8);
  std::memcpy(raw + 8, &se, 2);
  Extended v;
  std::memcpy(&v, raw, sizeof v);
  return v;
}

}  // namespace

int main() {
  std::vector<Extended> values = {0, -0.0L, 1, -1, 0.5L, 2, 10, 1000, 1e-5L, 0.1L, 2.0L / 3, 9.99996L, 999999.99999L,
                                  1e13L, 1e4000L, LDBL_MAX, LDBL_MIN, 0x1p-16445L, nimbrel::kPi, 11356.5L, 1754, 1755};
  for (int i = 0; i < 400; ++i) values.push_back(Random(-40, 40));
  for (int i = 0; i < 100; ++i) values.push_back(Random(-16440, 16383));
  for (int i = 0; i < 100; ++i) values.push_back(Random(-3, 0));

  // Every operation in every unit, with each value as X and its neighbour as Y.
  const int ops[] = {3, 4, 5, 6, 7, 10, 11, 12, 14, 15, 16, 17, 18, 19, 26, 27, 28, 30, 31};
  for (size_t i = 0; i < values.size(); ++i) {
    for (int op : ops) {
      for (int unit = 0; unit < 3; ++unit) {
        if (unit > 0 && (op < 14 || op > 19)) continue;
        if (op == 31 && !(values[i] > 0 && values[i] < 3000)) continue;
        nimbrel::Engine engine;
        engine.Push(values[(i + 1) % values.size()]);
        engine.Push(values[i]);
        std::string outcome, told;
        try {
          const nimbrel::CalcOutcome done = engine.Calculate(op, unit);
          outcome = done.rejected ? "rejected" : Hex(engine.X());
          told = Told(done);
        } catch (const nimbrel::FloatingPointFault& f) {
          outcome = std::string("fault ") + f.what();
        }
        std::printf("op %d %d %s -> %s%s\n", op, unit, Hex(values[i]).c_str(), outcome.c_str(), told.c_str());
      }
    }
  }

  // Formatting under a spread of option sets.
  nimbrel::DisplayOptions sets[6];
  sets[1].FixedOn = 0;
  sets[2].TrailOn = 0; sets[2].CommasOn = 0;
  sets[3].AllExpOn = 1; sets[3].bsZ = 3;
  sets[4].Base = 16; sets[4].Decs = 9;
  sets[5].Base = 8; sets[5].FixedOn = 0; sets[5].bsZ = 2;
  for (Extended v : values) {
    for (const auto& o : sets) {
      bool repaired = false;
      const std::string line = nimbrel::FormatNumber(v, 'X', o, &repaired);
      std::printf("fmt %s %d%d%d%d%d%d%d [%s]%s\n", Hex(v).c_str(), o.Base, o.FixedOn, o.Decs, o.CommasOn, o.TrailOn,
                  o.AllExpOn, o.bsZ, line.c_str(), repaired ? " beep!" : "");
    }
  }

  // Typed numbers and pasted texts.
  const char* typed[] = {"1.1", "0.1", "123456789.123", "1x123", "7xs321", "FFFFFFFxsFFF", "1.ABCDEFx2",
                         "3.14159265358", "17.777x77", "9999999999999"};
  for (const char* keys : typed) {
    for (int base : {8, 10, 16}) {
      nimbrel::Engine engine;
      nimbrel::DisplayOptions o;
      o.Base = static_cast<int16_t>(base);
      nimbrel::EntryLine entry(engine, o);
      std::string events;
      for (const char* k = keys; *k; ++k) {
        const uint16_t code = *k == '.' ? nimbrel::vk::Decimal : *k == 'x' ? nimbrel::vk::Next
                              : *k == 's' ? nimbrel::vk::End : static_cast<uint16_t>(*k);
        if (!entry.EntryKey(code)) events += " beep";
      }
      std::printf("entry %d %s -> %s [%s]%s\n", base, keys, Hex(engine.X()).c_str(), entry.EntryText().c_str(),
                  events.c_str());
    }
  }
  const char* pasted[] = {"0.1", "1,234.5000", "1.5000e+20", "3.141592653589793238462643", "1e-4940",
                          "4.9e-4951", "2.2250738585072014e-308", "1.18973149535723176502e+4932", "1e5000",
                          "123456789012345678901234567890"};
  for (const char* text : pasted) {
    const auto v = nimbrel::PasteValue(text);
    std::printf("paste %s -> %s\n", text, v ? Hex(*v).c_str() : "refused");
  }
  return 0;
}
