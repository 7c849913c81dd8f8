// A short demonstration of the calculator's core, until the window exists:
// types 2 Enter 3 + and a few more keys, printing the X line after each.
#include <cstdio>
#include <string>

#include "core/Engine.h"
#include "core/NullPlatform.h"
#include "display/EntryLine.h"
#include "display/NumberFormat.h"

namespace {

class ConsolePlatform : public nimbrel::NullPlatform {
 public:
  void Beep() override { std::puts("  (beep)"); }
  void BeepExclamation() override { std::puts("  (beep exclamation)"); }
  void ShowMessage(const std::string& caption, const std::string& text) override {
    std::printf("  [%s] %s\n", caption.c_str(), text.c_str());
  }
  void ReportMathError(const std::string& text) override { std::printf("  [Nimbrel.exe] %s\n", text.c_str()); }
  void ShowError(const std::string& text) override { std::printf("  [Error] %s\n", text.c_str()); }
};

}  // namespace

int main() {
  using namespace nimbrel;
  ConsolePlatform platform;
  Engine engine(platform);
  DisplayOptions options;
  EntryLine entry(engine, platform, options);

  auto show = [&](const char* what) {
    const std::string line = entry.InProgress() ? entry.EntryText() : FormatNumber(engine.X(), 'X', options, platform);
    std::printf("%-12s %s\n", what, line.c_str());
  };
  auto op = [&](const char* what, int code) {
    try {
      engine.Calculate(code, options.Angles);
    } catch (const FloatingPointFault& fault) {
      std::printf("  [Error] %s\n", fault.what());
    }
    entry.ResetEntry();
    if (code == opEnter) entry.FreshEntry = 0;
    show(what);
  };
  auto key = [&](const char* what, uint16_t code) {
    entry.EntryKey(code);
    show(what);
  };

  std::puts("Quarvel Calculator core demo (the window comes later)");
  key("2", '2');
  op("Enter", opEnter);
  key("3", '3');
  op("+", opAdd);
  op("sqrt", opRoot);
  op("x^2", opSquare);
  key("0", '0');
  op("/", opDivide);
  op("pi", opPi);
  op("sin", opSin);
  return 0;
}
