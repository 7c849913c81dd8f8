// nimbrel-cli: the Quarvel Calculator without a window, for scripts, for
// checking results, and for anyone at a terminal.
#include <cstdio>
#include <cstdlib>
#ifdef _WIN32
#include <io.h>
#define isatty _isatty
#else
#include <unistd.h>
#endif
#include <iostream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "cli/CliSession.h"
#include "cli/KeyNames.h"
#include "cli/CliSettings.h"

namespace {

const char kUsage[] =
    "usage: nimbrel-cli [--set NAME=VALUE]... [--lines N] [--clipboard TEXT] [--tape] [KEY]...\n"
    "\n"
    "Runs the Quarvel Calculator's keys without its window. Each KEY is one key\n"
    "press (down, then up). With no KEY it reads lines of keys from standard\n"
    "input and prints the events and the display after each line.\n"
    "\n"
    "KEY   a virtual-key name (VK_RETURN, VK_ADD, VK_NUMPAD0..VK_NUMPAD9, VK_INSERT, ...),\n"
    "      a character 0-9 or A-Z, or #N for the decimal code N; prefixed with\n"
    "      shift+ and/or ctrl+ for held modifiers. ctrl+VK_INSERT copies,\n"
    "      shift+VK_INSERT pastes, ctrl+shift+VK_INSERT copies the stack,\n"
    "      ctrl+Z undoes, ctrl+Y redoes.\n"
    "      Aliases: + - * / . enter\n"
    "      Operations by name, each what its key or shortcut does (a shifted one\n"
    "      presses the shift key first when needed): sin cos tan asin acos atan\n"
    "      ln exp log alog inv pow sqrt sq fact pi chs eex swap drop rolldown\n"
    "      rollup lastx sto rcl copy paste copystack undo redo\n"
    "      The scientific keys are the navigation keys: VK_INSERT sin, VK_HOME cos,\n"
    "      VK_PRIOR tan, VK_DELETE ln, VK_OEM_5 log, VK_SCROLL 1/x, VK_PAUSE sqrt,\n"
    "      VK_END change sign, VK_NEXT exponent, VK_UP x<>y, VK_DOWN drop\n"
    "      (shifted: roll down), VK_F11 roll up, VK_LEFT store, VK_RIGHT recall,\n"
    "      VK_NUMLOCK or VK_F12 shift.\n"
    "--set NAME=VALUE  a saved setting by its registry name before the keys:\n"
    "      Base, FixedOn, Decs, CommasOn, TrailOn, AllExpOn, bsZ, Angles, Notation,\n"
    "      Stack0..Stack9, MValue1..MValue9, MKey1..MKey9, Left, Top, OnTop,\n"
    "      Small, Medium, Large, StartUp, Hidden, TrayIcon. Others take the\n"
    "      first-start defaults.\n"
    "--lines N  display lines to print (default 10, the tall display; 2 for the\n"
    "      short one).\n"
    "--clipboard TEXT  the clipboard's text before the first key.\n"
    "--tape  after the display, a line \"tape:\" and the tape's lines: the\n"
    "      number typed, the operation and its result, separated by tabs.\n"
    "\n"
    "Output: one line per event as it happens (beep, beep exclamation,\n"
    "message CAPTION: TEXT, error TEXT, clipboard TEXT, help Contents, about,\n"
    "options, ontop, size Small|Medium|Large, memory STORE|RECALL, memory close,\n"
    "tape open|close),\n"
    "then the display lines, top first and X last, then \"shift on\" if it is on.\n";

int Fail(const std::string& what) {
  std::cerr << "nimbrel-cli: " << what << "\n";
  return 2;
}

void Print(const std::vector<std::string>& lines) {
  for (const std::string& line : lines) std::cout << line << "\n";
}

// What the command line asks for.
struct Arguments {
  std::vector<std::pair<std::string, std::string>> sets;
  std::vector<nimbrel::KeyPress> keys;
  int lines = 10;
  std::string clipboard;
  bool help = false;
  bool tape = false;
};

// Reads the arguments; the error's text when one is wrong.
std::string ParseArguments(int argc, char** argv, Arguments& a) {
  using nimbrel::ParseKey;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
    if (arg == "--help" || arg == "-h") {
      a.help = true;  // nothing after it is read
      return "";
    } else if (arg == "--set") {
      const char* v = value();
      const std::string text = v ? v : "";
      const size_t eq = text.find('=');
      if (!v || eq == std::string::npos || eq == 0) return "--set needs NAME=VALUE, got '" + text + "'";
      a.sets.emplace_back(text.substr(0, eq), text.substr(eq + 1));
    } else if (arg == "--lines") {
      const char* v = value();
      char* end = nullptr;
      const long n = v ? std::strtol(v, &end, 10) : 0;
      if (!v || *end || n < 1 || n > 10) return "--lines needs a number from 1 to 10";
      a.lines = static_cast<int>(n);
    } else if (arg == "--clipboard") {
      const char* v = value();
      if (!v) return "--clipboard needs a text";
      a.clipboard = v;
    } else if (arg == "--tape") {
      a.tape = true;
    } else if (arg.size() > 2 && arg.substr(0, 2) == "--") {
      return "unknown option '" + arg + "'";
    } else if (auto key = ParseKey(arg)) {
      a.keys.push_back(*key);
    } else {
      return "unknown key '" + arg + "'";
    }
  }
  return "";
}

// Interactive: one line of keys at a time. A person at a terminal gets a
// prompt and a blank line between answers; a pipe gets the bare lines.
void Converse(nimbrel::CliSession& session, int lines) {
  const bool person = isatty(0) != 0;
  auto prompt = [&] {
    if (person) std::cout << "> " << std::flush;
  };
  if (person) {
    std::cout << "Quarvel Calculator: type keys separated by blanks, then Enter (--help lists them).\n";
    Print(session.Display(lines));
  }
  std::string line;
  prompt();
  while (std::getline(std::cin, line)) {
    std::istringstream tokens(line);
    std::vector<nimbrel::KeyPress> pressed;
    std::string token;
    bool bad = false;
    while (tokens >> token) {
      if (auto key = nimbrel::ParseKey(token)) {
        pressed.push_back(*key);
      } else {
        std::cerr << "nimbrel-cli: unknown key '" << token << "'\n";
        bad = true;
      }
    }
    if (!bad) {
      for (const nimbrel::KeyPress& key : pressed) session.Press(key);
      Print(session.TakeEvents());
      Print(session.Display(lines));
      if (person) std::cout << "\n";
    }
    prompt();
  }
}

}  // namespace

int main(int argc, char** argv) {
  using namespace nimbrel;
  Arguments a;
  if (std::string error = ParseArguments(argc, argv, a); !error.empty()) return Fail(error);
  if (a.help) {
    std::cout << kUsage;
    return 0;
  }
  CliSession session;
  session.clipboard = a.clipboard;
  if (std::string error = ApplySettings(a.sets, session); !error.empty()) return Fail(error);
  if (a.keys.empty()) {
    Converse(session, a.lines);
    return 0;
  }
  for (const KeyPress& key : a.keys) {
    session.Press(key);
    Print(session.TakeEvents());
  }
  Print(session.Display(a.lines));
  if (a.tape) {
    std::cout << "tape:\n";
    for (const std::string& line : session.calc.tape.Lines()) std::cout << line << "\n";
  }
  return 0;
}
