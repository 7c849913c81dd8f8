#include "core/FaceKeys.h"

namespace nimbrel {

// Codes: VK_OEM_5 220, VK_SCROLL 145, VK_PAUSE 19, VK_INSERT 45, VK_HOME 36,
// VK_PRIOR 33, VK_DELETE 46, VK_END 35, VK_NEXT 34, VK_UP 38, VK_LEFT 37,
// VK_DOWN 40, VK_RIGHT 39, VK_NUMLOCK 144, VK_DIVIDE 111, VK_MULTIPLY 106,
// VK_SUBTRACT 109, VK_ADD 107, VK_RETURN 13, VK_DECIMAL 110, keypad 0-9 96-105.
const std::array<FaceKey, kFaceKeyCount> kFaceKeys = {{
    {"Log", 16, 16, 33, 25, 2, "LOG", "10\u02E3", 220, {220, 0}},
    {"Inverse", 56, 16, 33, 25, 2, "1/x", "y\u02E3", 145, {145, 0}},
    {"Root", 96, 16, 33, 25, 2, "\u221Ax", "x\u00B2", 19, {19, 0}},
    {"SIN", 16, 64, 33, 25, 2, "SIN", "ASIN", 45, {45, 0}},
    {"COS", 56, 64, 33, 25, 2, "COS", "ACOS", 36, {36, 0}},
    {"TAN", 96, 64, 33, 25, 2, "TAN", "ATAN", 33, {33, 0}},
    {"Ln", 16, 96, 33, 25, 2, "LN", "e\u02E3", 46, {46, 0}},
    {"Neg", 56, 96, 33, 25, 2, "\u00B1", "\u03C0", 35, {35, 0}},
    {"Exp", 96, 96, 33, 25, 2, "E", "N!", 34, {34, 0}},
    {"Exchange", 56, 160, 33, 25, 2, "x\u21C4y", "LAST X", 38, {38, 0}},
    {"Store", 16, 192, 33, 25, 1, "STO", "", 37, {37, 0}},
    {"PopOff", 56, 192, 33, 25, 1, "\u2193", "", 40, {40, 0}},
    {"Recall", 96, 192, 33, 25, 1, "RCL", "", 39, {39, 0}},
    {"Shift", 152, 64, 33, 25, 3, "", "", 144, {0, 0}},
    {"Divide", 192, 64, 33, 25, 2, "\u00F7", "ON TOP", 111, {111, 0}},
    {"Multiply", 232, 64, 33, 25, 1, "\u00D7", "", 106, {106, 0}},
    {"Subtract", 272, 64, 33, 25, 2, "\u2212", "SIZE", 109, {109, 0}},
    {"Seven", 152, 96, 33, 25, 1, "7", "", 103, {55, 103}},
    {"Eight", 192, 96, 33, 25, 1, "8", "", 104, {56, 104}},
    {"Nine", 232, 96, 33, 25, 1, "9", "", 105, {57, 105}},
    {"Add", 272, 96, 33, 57, 2, "+", "OPTIONS", 107, {107, 0}},
    {"Four", 152, 128, 33, 25, 1, "4", "", 100, {52, 100}},
    {"Five", 192, 128, 33, 25, 1, "5", "", 101, {53, 101}},
    {"Six", 232, 128, 33, 25, 1, "6", "", 102, {54, 102}},
    {"One", 152, 160, 33, 25, 1, "1", "", 97, {49, 97}},
    {"Two", 192, 160, 33, 25, 1, "2", "", 98, {50, 98}},
    {"Three", 232, 160, 33, 25, 1, "3", "", 99, {51, 99}},
    {"Enter", 272, 160, 33, 57, 2, "ENTER", "ABOUT", 13, {13, 0}},
    {"Zero", 152, 192, 73, 25, 2, "0", "HELP", 96, {48, 96}},
    {"Decimal", 232, 192, 33, 25, 1, ".", "", 110, {110, 0}},
}};

const std::array<std::string_view, 15> kDualLegendKeys = {
    "Log", "Inverse", "Root", "SIN", "COS", "TAN", "Ln", "Neg",
    "Exp", "Exchange", "Zero", "Enter", "Add", "Subtract", "Divide"};

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
