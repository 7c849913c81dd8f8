#include "app/Tape.h"

#include <utility>

#include "core/Engine.h"

namespace nimbrel {

namespace {

struct Named {
  int op;
  std::string_view name;
};

// The names the help page gives the keys.
constexpr Named kOperationNames[] = {
    {opEnter, "ENTER"},          {opAdd, "+"},
    {opSubtract, "\u2212"},      {opMultiply, "\u00D7"},
    {opDivide, "\u00F7"},        {opPower, "y\u02E3"},
    {opPi, "\u03C0"},            {opLog, "LOG"},
    {opTenPower, "10\u02E3"},    {opLn, "LN"},
    {opExp, "e\u02E3"},          {opSin, "SIN"},
    {opCos, "COS"},              {opTan, "TAN"},
    {opArcSin, "ASIN"},          {opArcCos, "ACOS"},
    {opArcTan, "ATAN"},          {opExchange, "x\u2194y"},
    {opPopOff, "DROP"},          {opNegate, "\u00B1"},
    {opInverse, "1/x"},          {opRoot, "\u221Ax"},
    {opSquare, "x\u00B2"},       {opFactorial, "n!"},
    {opLastX, "LASTx"},          {opRollDown, "R\u2193"},
    {opRollUp, "R\u2191"},
};

constexpr std::string_view kAngleWords[] = {"degrees", "radians", "gradients"};

}  // namespace

std::string TapeLine(std::string_view typed, std::string_view name, std::string_view outcome) {
  std::string line(typed);
  line += '\t';
  line += name;
  if (!outcome.empty()) {
    line += '\t';
    line += outcome;
  }
  return line;
}

std::string_view OperationName(int op) {
  for (const Named& n : kOperationNames) {
    if (n.op == op) return n.name;
  }
  return {};
}

std::string OptionsText(const DisplayOptions& o) {
  std::string text = "base " + std::to_string(o.Base);
  text += o.FixedOn ? ", " + std::to_string(o.Decs) + " decimals" : ", decimals as fit";
  if (o.CommasOn) text += ", commas";
  if (o.TrailOn) text += ", trailing zeros";
  if (o.AllExpOn) text += ", exponent always";
  text += ", exponent step " + std::to_string(o.bsZ);
  if (o.Angles >= 0 && o.Angles <= 2) text += ", " + std::string(kAngleWords[o.Angles]);
  return text;
}

void Tape::Open(TapeFile* file, bool kept) {
  file_ = file;
  kept_ = kept;
  if (!file_) return;
  if (!kept_) return file_->Remove();
  std::string text;
  if (const std::string why = file_->Read(text); !why.empty()) return Failed(why);
  std::deque<std::string> found;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::erase(line, '\0');  // a zero would end the line in the window
    found.push_back(std::move(line));
  }
  fileLines_ = found.size();
  const std::deque<std::string> sinceStart = std::exchange(lines_, std::move(found));
  for (const std::string& line : sinceStart) Add(line);
  Cut();
  Changed(Change::Reset);
}

void Tape::SetKept(bool kept) {
  if (kept == kept_) return;
  kept_ = kept;
  const bool hadNotice = !notice_.empty();
  notice_.clear();  // asked again, the file gets another try
  if (file_ && kept_) RewriteFile();
  if (file_ && !kept_) {
    file_->Remove();
    fileLines_ = 0;
  }
  if (hadNotice && notice_.empty()) Changed(Change::Reset);
}

void Tape::Add(std::string line) {
  lines_.push_back(std::move(line));
  if (Writing()) {
    if (fileLines_ + 1 > 2 * kTapeSteps) {
      Cut();
      RewriteFile();
    } else if (const std::string why = file_->Append(lines_.back() + "\r\n"); !why.empty()) {
      Failed(why);
    } else {
      ++fileLines_;
    }
  }
  // In memory too the old steps go a thousand at a time, so that the window
  // only rarely has to take its whole text anew.
  if (lines_.size() > 2 * kTapeSteps) {
    Cut();
    Changed(Change::Reset);
  } else {
    Changed(Change::Added);
  }
}

void Tape::Clear() {
  lines_.clear();
  if (Writing()) RewriteFile();
  Changed(Change::Reset);
}

std::string Tape::Text() const {
  std::string text;
  for (const std::string& line : lines_) text += line + "\r\n";
  return text;
}

void Tape::Cut() {
  while (lines_.size() > kTapeSteps) lines_.pop_front();
}

void Tape::RewriteFile() {
  if (const std::string why = file_->Rewrite(Text()); !why.empty()) return Failed(why);
  fileLines_ = lines_.size();
}

void Tape::Failed(const std::string& why) {
  if (!notice_.empty()) return;
  notice_ = why;
  Changed(Change::Reset);
}

void Tape::Changed(Change change) {
  if (onChange) onChange(change);
}

}  // namespace nimbrel
