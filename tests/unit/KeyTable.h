// Key sequences written as nimbrel-cli takes them ("2 enter 3 +",
// "shift+VK_F10", "ctrl+Z"), for tables of keys and the display lines they
// leave.
#pragma once

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "cli/CliSession.h"
#include "cli/KeyNames.h"

namespace nimbrel {

using Lines = std::vector<std::string>;

// Calls `press` with each key of `keys` in turn; a token nimbrel-cli would
// refuse fails the test and ends the sequence there.
template <class PressKey>
void ForEachKey(const std::string& keys, PressKey press) {
  std::istringstream tokens(keys);
  std::string token;
  while (tokens >> token) {
    const auto key = ParseKey(token);
    if (!key) {
      ADD_FAILURE() << "bad token " << token;
      return;
    }
    press(*key);
  }
}

// Presses the keys and returns what the CLI would print: the events, then
// the display's last `lines` lines (X last), then "shift on".
inline Lines Press(CliSession& s, const std::string& keys, int lines = 2) {
  Lines out;
  ForEachKey(keys, [&](const KeyPress& key) {
    s.Press(key);
    for (auto& e : s.TakeEvents()) out.push_back(e);
  });
  for (auto& l : s.Display(lines)) out.push_back(l);
  return out;
}

struct KeyCase {
  const char* keys;
  Lines expected;
};

// Each case from a fresh calculator (after `setup`, when given).
inline void RunTable(const std::vector<KeyCase>& cases, void (*setup)(CliSession&) = nullptr) {
  for (const auto& c : cases) {
    SCOPED_TRACE(c.keys);
    CliSession s;
    if (setup) setup(s);
    EXPECT_EQ(Press(s, c.keys), c.expected);
  }
}

}  // namespace nimbrel
