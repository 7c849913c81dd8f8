#include "app/FaceKeys.h"

#include "core/KeyCodes.h"

namespace nimbrel {

const std::array<FaceKey, kFaceKeyCount> kFaceKeys = {{
    {"Log", 16, 16, 33, 25, 2, "LOG", "10\u02E3", vk::Oem5, {vk::Oem5, 0}},
    {"Inverse", 56, 16, 33, 25, 2, "1/x", "y\u02E3", vk::Scroll, {vk::Scroll, 0}},
    {"Root", 96, 16, 33, 25, 2, "\u221Ax", "x\u00B2", vk::Pause, {vk::Pause, 0}},
    {"SIN", 16, 64, 33, 25, 2, "SIN", "ASIN", vk::Insert, {vk::Insert, 0}},
    {"COS", 56, 64, 33, 25, 2, "COS", "ACOS", vk::Home, {vk::Home, 0}},
    {"TAN", 96, 64, 33, 25, 2, "TAN", "ATAN", vk::Prior, {vk::Prior, 0}},
    {"Ln", 16, 96, 33, 25, 2, "LN", "e\u02E3", vk::Delete, {vk::Delete, 0}},
    {"Neg", 56, 96, 33, 25, 2, "\u00B1", "\u03C0", vk::End, {vk::End, 0}},
    {"Exp", 96, 96, 33, 25, 2, "E", "N!", vk::Next, {vk::Next, 0}},
    {"Exchange", 56, 160, 33, 25, 2, "x\u21C4y", "LAST X", vk::Up, {vk::Up, 0}},
    {"Store", 16, 192, 33, 25, 1, "STO", "", vk::Left, {vk::Left, 0}},
    {"PopOff", 56, 192, 33, 25, 2, "\u2193", "R\u2193", vk::Down, {vk::Down, 0}},
    {"Recall", 96, 192, 33, 25, 1, "RCL", "", vk::Right, {vk::Right, 0}},
    {"Shift", 152, 64, 33, 25, 3, "", "", vk::NumLock, {0, 0}},
    {"Divide", 192, 64, 33, 25, 2, "\u00F7", "ON TOP", vk::Divide, {vk::Divide, 0}},
    {"Multiply", 232, 64, 33, 25, 1, "\u00D7", "", vk::Multiply, {vk::Multiply, 0}},
    {"Subtract", 272, 64, 33, 25, 2, "\u2212", "SIZE", vk::Subtract, {vk::Subtract, 0}},
    {"Seven", 152, 96, 33, 25, 1, "7", "", vk::Numpad0 + 7, {'7', vk::Numpad0 + 7}},
    {"Eight", 192, 96, 33, 25, 1, "8", "", vk::Numpad0 + 8, {'8', vk::Numpad0 + 8}},
    {"Nine", 232, 96, 33, 25, 1, "9", "", vk::Numpad0 + 9, {'9', vk::Numpad0 + 9}},
    {"Add", 272, 96, 33, 57, 2, "+", "OPTIONS", vk::Add, {vk::Add, 0}},
    {"Four", 152, 128, 33, 25, 1, "4", "", vk::Numpad0 + 4, {'4', vk::Numpad0 + 4}},
    {"Five", 192, 128, 33, 25, 1, "5", "", vk::Numpad0 + 5, {'5', vk::Numpad0 + 5}},
    {"Six", 232, 128, 33, 25, 1, "6", "", vk::Numpad0 + 6, {'6', vk::Numpad0 + 6}},
    {"One", 152, 160, 33, 25, 1, "1", "", vk::Numpad0 + 1, {'1', vk::Numpad0 + 1}},
    {"Two", 192, 160, 33, 25, 1, "2", "", vk::Numpad0 + 2, {'2', vk::Numpad0 + 2}},
    {"Three", 232, 160, 33, 25, 1, "3", "", vk::Numpad0 + 3, {'3', vk::Numpad0 + 3}},
    {"Enter", 272, 160, 33, 57, 2, "ENTER", "ABOUT", vk::Return, {vk::Return, 0}},
    {"Zero", 152, 192, 73, 25, 2, "0", "HELP", vk::Numpad0 + 0, {'0', vk::Numpad0 + 0}},
    {"Decimal", 232, 192, 33, 25, 1, ".", "", vk::Decimal, {vk::Decimal, 0}},
}};

const std::array<std::string_view, kDualLegendCount> kDualLegendKeys = {
    "Log", "Inverse", "Root", "SIN", "COS", "TAN", "Ln", "Neg",
    "Exp", "Exchange", "Zero", "Enter", "Add", "Subtract", "Divide", "PopOff"};

int FaceKeyIndex(std::string_view name) {
  for (int i = 0; i < kFaceKeyCount; ++i) {
    if (kFaceKeys[i].name == name) return i;
  }
  return -1;
}

namespace {

int KeyShownBy(uint16_t code) {
  if (code == 0) return -1;
  for (int i = 0; i < kFaceKeyCount; ++i) {
    if (kFaceKeys[i].shownBy[0] == code || kFaceKeys[i].shownBy[1] == code) return i;
  }
  return -1;
}

}  // namespace

void FaceState::SetGlyph(int index, int16_t glyph) {
  keys_[index].CurrentGlyph = glyph;
  if (onChange) onChange(index);
}

void FaceState::SetDown(int index, bool down) {
  keys_[index].Down = down;
  if (onChange) onChange(index);
}

void FaceState::PressFaceKey(uint16_t code) {
  const int i = KeyShownBy(code);
  if (i >= 0) SetDown(i, true);
}

void FaceState::ReleaseFaceKey(uint16_t code) {
  const int i = KeyShownBy(code);
  if (i >= 0) SetDown(i, false);
}

void FaceState::ReleaseNamed(std::string_view name) { SetDown(FaceKeyIndex(name), false); }

void FaceState::ShowShifted() {
  for (auto name : kDualLegendKeys) SetGlyph(FaceKeyIndex(name), 2);
  SetGlyph(FaceKeyIndex("Shift"), kShiftOn);
}

void FaceState::ShowUnshifted() {
  SetDown(FaceKeyIndex("Shift"), false);
  for (auto name : kDualLegendKeys) SetGlyph(FaceKeyIndex(name), 1);
  SetGlyph(FaceKeyIndex("Shift"), kShiftOff);
}

void FaceState::ShowFaceKeys(bool visible) {
  for (int i = 0; i < kFaceKeyCount; ++i) {
    keys_[i].Visible = visible;
    if (onChange) onChange(i);
  }
}

}  // namespace nimbrel
