#include "app/History.h"

#include <cstring>

namespace nimbrel {

namespace {

// The ten bytes of an x87 extended value; the rest of a long double is
// padding with no meaning.
constexpr std::size_t kExtendedBytes = 10;

bool SameBits(Extended a, Extended b) { return std::memcmp(&a, &b, kExtendedBytes) == 0; }

}  // namespace

CalcState CalcState::Of(const Engine& engine, const EntryLine& entry, int base) {
  CalcState s;
  for (int k = 1; k <= kStackSize; ++k) s.levels[k - 1] = engine.Level(k);
  s.lastX = engine.LastX;
  s.memory = engine.Memory;
  s.mantText = entry.MantText;
  s.expText = entry.ExpText;
  s.mantLen = entry.MantLen;
  s.expLen = entry.ExpLen;
  s.mantNeg = entry.MantNeg;
  s.expNeg = entry.ExpNeg;
  s.pointEntered = entry.PointEntered;
  s.expEntry = entry.ExpEntry;
  s.freshEntry = entry.FreshEntry;
  s.entryBase = base;
  return s;
}

void CalcState::RestoreTo(Engine& engine, EntryLine& entry, int base) const {
  // Ten pushes, deepest first, set every level and bring StackTop round to
  // where it was.
  for (int k = kStackSize; k >= 1; --k) engine.Push(levels[k - 1]);
  engine.LastX = lastX;
  engine.Memory = memory;
  entry.MantText = mantText;
  entry.ExpText = expText;
  entry.MantLen = mantLen;
  entry.ExpLen = expLen;
  entry.MantNeg = mantNeg;
  entry.ExpNeg = expNeg;
  entry.PointEntered = pointEntered;
  entry.ExpEntry = expEntry;
  entry.FreshEntry = freshEntry;
  // Its digits would be read in the new base if typing went on.
  if (base != entryBase && entry.InProgress()) entry.ResetEntry();
}

bool CalcState::SameAs(const CalcState& o) const {
  for (int i = 0; i < kStackSize; ++i) {
    if (!SameBits(levels[i], o.levels[i])) return false;
  }
  if (!SameBits(lastX, o.lastX)) return false;
  for (int i = 0; i < kMemorySlots; ++i) {
    if (!SameBits(memory[i].value, o.memory[i].value) || memory[i].key != o.memory[i].key) return false;
  }
  return mantText == o.mantText && expText == o.expText && mantLen == o.mantLen && expLen == o.expLen &&
         mantNeg == o.mantNeg && expNeg == o.expNeg && pointEntered == o.pointEntered &&
         expEntry == o.expEntry && freshEntry == o.freshEntry;
}

void History::Keep(std::deque<CalcState>& steps, const CalcState& state) {
  steps.push_back(state);
  if (steps.size() > limit_) steps.pop_front();
}

void History::Record(const CalcState& before) {
  Keep(undo_, before);
  redo_.clear();
}

std::optional<CalcState> History::Undo(const CalcState& now) {
  if (undo_.empty()) return std::nullopt;
  CalcState back = std::move(undo_.back());
  undo_.pop_back();
  Keep(redo_, now);
  return back;
}

std::optional<CalcState> History::Redo(const CalcState& now) {
  if (redo_.empty()) return std::nullopt;
  CalcState forward = std::move(redo_.back());
  redo_.pop_back();
  Keep(undo_, now);
  return forward;
}

}  // namespace nimbrel
