#include "display/EntryLine.h"

#include <cmath>

extern "C" {
#include <quadmath.h>
}

namespace nimbrel {

namespace {

using Quad = __float128;

int DisplayBase(int base) { return base == 8 || base == 16 ? base : 10; }

Quad ParseDigitsQ(const std::string& text, int base) {
  Quad v = 0;
  Quad q = 1;
  for (auto it = text.rbegin(); it != text.rend(); ++it) {
    const char c = *it;
    if (c >= '0' && c <= '9') {
      v += (c - '0') * q;
      q *= base;
    } else if (c >= 'A' && c <= 'Z') {
      v += (c - 'A' + 10) * q;
      q *= base;
    } else if (c == '-') {
      v = -v;
    } else if (c == '.') {
      v /= q;
      q = 1;
    }
  }
  return v;
}

// base^e at quad precision: exact for the power-of-two bases.
Quad PowerOf(int base, long e) {
  if (base == 16) return ldexpq(1, static_cast<int>(4 * e));
  if (base == 8) return ldexpq(1, static_cast<int>(3 * e));
  return powq(base, e);
}

}  // namespace

bool IsEntryDigit(uint16_t code, int base) {
  if (code == vk::Decimal) return base == 8 || base == 10 || base == 16;
  switch (base) {
    case 8: return code >= '0' && code <= '7';
    case 10: return code >= '0' && code <= '9';
    case 16: return (code >= '0' && code <= '9') || (code >= 'A' && code <= 'F');
    default: return false;
  }
}

Extended ParseDigits(const std::string& text, int base) {
  return static_cast<Extended>(ParseDigitsQ(text, base));
}

struct EntryLine::Snapshot {
  std::string mant, exp;
  int16_t mantLen, expLen, mantNeg, expNeg, point, expEntry, fresh;
};

EntryLine::Snapshot EntryLine::Save() const {
  return {MantText, ExpText, MantLen, ExpLen, MantNeg, ExpNeg, PointEntered, ExpEntry, FreshEntry};
}

void EntryLine::Restore(const Snapshot& s) {
  MantText = s.mant;
  ExpText = s.exp;
  MantLen = s.mantLen;
  ExpLen = s.expLen;
  MantNeg = s.mantNeg;
  ExpNeg = s.expNeg;
  PointEntered = s.point;
  ExpEntry = s.expEntry;
  FreshEntry = s.fresh;
}

Extended EntryLine::EntryValue() const {
  const int base = DisplayBase(options_.Base);
  Quad m = ParseDigitsQ(MantText, base);
  if (MantNeg) m = -m;
  long e = static_cast<long>(ParseDigitsQ(ExpText, base));
  if (ExpNeg) e = -e;
  // One rounding for the whole number, so typing 0.1 gives the same value
  // as pasting it.
  return static_cast<Extended>(m * PowerOf(base, e));
}

std::string EntryLine::EntryText() const {
  std::string text = "X: ";
  if (MantNeg) text += '-';
  text += MantLen ? MantText : "0";
  if (ExpEntry) {
    text += ExpNeg ? "-e" : "+e";
    text += ExpLen ? ExpText : "0";
  }
  return text;
}

void EntryLine::ResetEntry() {
  MantText.clear();
  ExpText.clear();
  MantLen = ExpLen = 0;
  MantNeg = ExpNeg = PointEntered = ExpEntry = 0;
  FreshEntry = 1;
}

bool EntryLine::Commit(const Snapshot& before, bool pushNew) {
  const Extended value = EntryValue();
  if (!std::isfinite(value)) {
    // A long base-16 mantissa with a large exponent leaves the extended
    // range: refuse the key rather than put an infinity on the stack.
    Restore(before);
    return false;
  }
  if (!pushNew) engine_.Pop();
  engine_.Push(value);
  return true;
}

// Step 1 of a key: a character for the entry. NotOne when the key is not a
// character of the current base or a limit leaves it to the other keys.
EntryLine::Character EntryLine::AcceptCharacter(uint16_t code) {
  if (!IsEntryDigit(code, options_.Base)) return Character::NotOne;
  if ((!ExpEntry && MantLen >= kMaxMantissa) || ExpLen >= kMaxExponent ||
      (ExpEntry && MantLen + ExpLen + 2 >= kMaxMantissa)) {
    return Character::NotOne;
  }
  const Snapshot before = Save();
  char c = static_cast<char>(code);
  if (code == vk::Decimal) {
    if (PointEntered || ExpEntry) return Character::Refused;
    c = '.';
    PointEntered = 1;
  }
  if (!ExpEntry) {
    MantText += c;
    ++MantLen;
  } else {
    if (c == '0' && ExpLen == 0) return Character::Refused;  // no leading zero in the exponent
    ExpText += c;
    ++ExpLen;
  }
  const bool pushNew = FreshEntry != 0;
  FreshEntry = 0;
  return Commit(before, pushNew) ? Character::Accepted : Character::Refused;
}

bool EntryLine::NegatesX(uint16_t code) const { return code == vk::End && MantLen == 0; }

bool EntryLine::EntryKey(uint16_t code) {
  const Character character = AcceptCharacter(code);
  if (character != Character::NotOne) return character == Character::Accepted;

  if (NegatesX(code)) {
    engine_.Calculate(opNegate, options_.Angles);  // the entry stays idle
    return true;
  }
  const Snapshot before = Save();
  switch (code) {
    case vk::End:
      if (ExpEntry) ExpNeg = !ExpNeg; else MantNeg = !MantNeg;
      return Commit(before, false);

    case vk::Next:
      if (MantLen == 0 || ExpEntry) return false;
      ExpEntry = 1;
      return true;

    case vk::Back:
      if (!ExpEntry) {
        if (MantLen == 0) return true;
        if (MantText.back() == '.') PointEntered = 0;
        MantText.pop_back();
        --MantLen;
      } else {
        if (ExpLen == 0) {
          ExpEntry = 0;
          return true;
        }
        ExpText.pop_back();
        --ExpLen;
      }
      return Commit(before, false);

    default:
      return false;
  }
}

}  // namespace nimbrel
