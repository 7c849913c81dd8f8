// The tape: what was computed, one step a line, as paper would have it.
//
// A line is three fields joined by tabs, so that it reads in any editor and
// pastes into a spreadsheet as columns: the number typed for the step (empty
// when none was), the operation's name as the help page gives it, and the
// result as Copy writes X, or the message the step was rejected with. Undo
// and redo are steps of their own; nothing is ever taken back.
//
// The tape keeps the newest steps in memory and, when the user keeps it,
// in a file between runs, written as steps happen: appended, and cut to the
// newest kTapeSteps in one rewrite when it has grown past twice that. A file
// that can't be read or written never stops the calculator: the tape goes
// on in memory, with a notice saying once why it isn't kept.
#pragma once

#include <cstddef>
#include <deque>
#include <functional>
#include <string>
#include <string_view>

#include "display/DisplayOptions.h"

namespace nimbrel {

constexpr std::size_t kTapeSteps = 1000;

// Where the tape is kept between runs. Each call returns why it failed, in
// words for the user, or "" when it didn't.
class TapeFile {
 public:
  virtual ~TapeFile() = default;
  // The file's text, whole lines only ("" when there is no file yet); of a
  // very large file only its newest part.
  virtual std::string Read(std::string& text) = 0;
  virtual std::string Append(const std::string& text) = 0;
  virtual std::string Rewrite(const std::string& text) = 0;
  // The file (and its folder, when that is left empty) removed.
  virtual void Remove() = 0;
};

// One line of the tape.
std::string TapeLine(std::string_view typed, std::string_view name, std::string_view outcome);

// An engine operation's name on the tape ("+", "SIN", "R↓"); "" for a code
// that has none.
std::string_view OperationName(int op);

// The display options as the line that an options change writes, saying how
// the numbers after it read: "base 16, 4 decimals, commas, trailing zeros,
// exponent step 1, radians".
std::string OptionsText(const DisplayOptions& options);

class Tape {
 public:
  enum class Change { Added, Reset };

  // Starts keeping the tape in `file` (kept: the newest steps found there
  // come before the lines so far, which are then written), or, not kept,
  // removes the file.
  void Open(TapeFile* file, bool kept);
  // The user's choice changed: kept, the lines so far are written; not
  // kept, the file is removed and nothing more goes to disk.
  void SetKept(bool kept);
  // A step's line at the end.
  void Add(std::string line);
  // Every line gone, in memory and in the file.
  void Clear();

  const std::deque<std::string>& Lines() const { return lines_; }
  // The lines, each ended by CRLF.
  std::string Text() const;
  // Why the tape isn't kept; "" while it is (or the user keeps it off).
  const std::string& Notice() const { return notice_; }

  // After each change: a line added at the end, or the text changed as a
  // whole (lines cut, cleared, the file's lines read, a notice).
  std::function<void(Change)> onChange;

 private:
  bool Writing() const { return file_ && kept_ && notice_.empty(); }
  void Cut();  // back to the newest kTapeSteps lines
  void RewriteFile();
  void Failed(const std::string& why);
  void Changed(Change change);

  std::deque<std::string> lines_;
  TapeFile* file_ = nullptr;
  bool kept_ = false;
  std::size_t fileLines_ = 0;  // lines in the file as it stands
  std::string notice_;
};

}  // namespace nimbrel
