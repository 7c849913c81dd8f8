// The entry line: the number being typed, in the display base.
//
// Every accepted key replaces X with the value typed so far (pop, push), so
// X always holds what the line shows and an operation simply works on X.
#pragma once

#include <cstdint>
#include <string>

#include "core/Engine.h"
#include "core/Extended.h"
#include "core/KeyCodes.h"
#include "display/DisplayOptions.h"

namespace nimbrel {

constexpr int kMaxMantissa = 13;  // mantissa characters, the point included
constexpr int kMaxExponent = 3;   // exponent digits

// Whether `code` is a digit of `base` (or the decimal point) for the entry:
// base 8 "0"-"7", base 10 "0"-"9", base 16 "0"-"9" and "A"-"F"; any other
// base accepts nothing.
bool IsEntryDigit(uint16_t code, int base);

// Reads digits from the last character to the first: "12.34" in base 10 is
// 12.34, "FF.8" in base 16 is 255.5, "." is 0; "-" negates what is read so
// far, other characters are skipped, digits are not checked against the base.
// Worked at quad precision and rounded once.
Extended ParseDigits(const std::string& text, int base);

class EntryLine {
 public:
  EntryLine(Engine& engine, const DisplayOptions& options) : engine_(engine), options_(options) {}

  // One key: a digit, the point (vk::Decimal), change sign (vk::End),
  // exponent (vk::Next) or backspace (vk::Back). Does not repaint. False
  // for a refused key, which changes nothing: the caller beeps.
  bool EntryKey(uint16_t code);

  // Whether `code` would change the sign of X itself rather than of the
  // number being typed: change sign with no digit typed.
  bool NegatesX(uint16_t code) const;

  // "X: -12.5+e3": the typed characters as they stand.
  std::string EntryText() const;

  // The typed mantissa times the base to the typed exponent.
  Extended EntryValue() const;

  // Ends the entry; the next digit starts a new stack level.
  void ResetEntry();

  // An entry is being typed, so the display shows EntryText.
  bool InProgress() const { return MantLen != 0 || ExpEntry != 0; }

  std::string MantText;  // mantissa characters typed, at most 13
  std::string ExpText;   // exponent digits typed, at most 3
  int16_t MantLen = 0;   // 0: no entry in progress
  int16_t ExpLen = 0;
  int16_t MantNeg = 0;
  int16_t ExpNeg = 0;
  int16_t PointEntered = 0;
  int16_t ExpEntry = 0;
  int16_t FreshEntry = 1;  // 1: the next digit pushes; 0: it replaces X

 private:
  struct Snapshot;
  Snapshot Save() const;
  void Restore(const Snapshot& snapshot);
  enum class Character { NotOne, Accepted, Refused };
  Character AcceptCharacter(uint16_t code);
  // Replaces X with the entry's value, or, when that value is not finite,
  // restores `before` and returns false.
  bool Commit(const Snapshot& before, bool pushNew);

  Engine& engine_;
  const DisplayOptions& options_;
};

}  // namespace nimbrel
