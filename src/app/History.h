// Undo and redo: the calculator's numbers as they stood before each step.
//
// A state is what a user builds up by calculating: the ten stack levels,
// last X, the nine memory slots (value and letter) and the number being
// typed. The display options and the window are no part of it, so undo
// never changes them. The history keeps the state before each of the last
// `limit` steps (the oldest goes first) and, after an undo, the states to go
// forward to again; a new step drops those.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>

#include "core/Engine.h"
#include "display/EntryLine.h"

namespace nimbrel {

constexpr std::size_t kUndoLimit = 500;

struct CalcState {
  std::array<Extended, kStackSize> levels{};  // level 1 (X) first
  Extended lastX = 0;
  std::array<MemorySlot, kMemorySlots> memory{};
  // The entry line's fields.
  std::string mantText, expText;
  int16_t mantLen = 0, expLen = 0, mantNeg = 0, expNeg = 0, pointEntered = 0, expEntry = 0, freshEntry = 1;
  // The base the number was being typed in; not compared.
  int entryBase = 10;

  static CalcState Of(const Engine& engine, const EntryLine& entry, int base);
  // Puts the state back. A number that was being typed in another base than
  // `base` comes back as a finished number (its value stays in X).
  void RestoreTo(Engine& engine, EntryLine& entry, int base) const;
  // Bit for bit: -0 differs from 0, and a NaN equals the same NaN.
  bool SameAs(const CalcState& other) const;
};

class History {
 public:
  explicit History(std::size_t limit = kUndoLimit) : limit_(limit) {}

  // A step was taken from `before`: it can be undone; the redo steps go.
  void Record(const CalcState& before);
  // The state changed within a step already recorded (the number being
  // typed): nothing to record, but the redo steps go.
  void DropRedo() { redo_.clear(); }

  // The state to go back (or forward) to, given the state now; nothing when
  // there is no step to undo (redo).
  std::optional<CalcState> Undo(const CalcState& now);
  std::optional<CalcState> Redo(const CalcState& now);

  bool CanUndo() const { return !undo_.empty(); }
  bool CanRedo() const { return !redo_.empty(); }
  std::size_t UndoSteps() const { return undo_.size(); }
  std::size_t RedoSteps() const { return redo_.size(); }

 private:
  void Keep(std::deque<CalcState>& steps, const CalcState& state);
  std::size_t limit_;
  std::deque<CalcState> undo_, redo_;  // the latest at the back
};

}  // namespace nimbrel
