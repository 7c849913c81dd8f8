// The calculator face: its thirty keys as data, and their state.
//
// One table describes every key (name, place, frames, legends, the code its
// click sends, the raw key codes that draw it pressed). The Win32 face, the
// art generator and the dispatcher all read it. The state of each key (frame
// shown, drawn pressed, visible) lives in FaceState; the shift state is
// nothing but the frame shown by the Shift key: 1 off, 3 on.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string_view>

namespace nimbrel {

struct FaceKey {
  std::string_view name;
  int16_t left, top, width, height;  // client pixels of the Large layout
  int16_t frames;                    // frames in the key's picture strip
  std::string_view legend1, legend2; // what frame 1 and frame 2 show
  uint16_t sends;                    // the code its click hands to DispatchKey
  std::array<uint16_t, 2> shownBy;   // raw key codes that draw it pressed (0: none)
};

constexpr int kFaceKeyCount = 30;
extern const std::array<FaceKey, kFaceKeyCount> kFaceKeys;

// Index of the key of that name in kFaceKeys, or -1.
int FaceKeyIndex(std::string_view name);

// Frames of the Shift key.
constexpr int16_t kShiftOff = 1;
constexpr int16_t kShiftOn = 3;

class FaceState {
 public:
  struct KeyState {
    int16_t CurrentGlyph = 1;
    bool Down = false;
    bool Visible = true;
  };

  // Called after a key's state changed, with its index in kFaceKeys, so the
  // window can repaint that key at once.
  std::function<void(int)> onChange;

  const KeyState& Key(int index) const { return keys_[index]; }
  const KeyState& Key(std::string_view name) const { return keys_[FaceKeyIndex(name)]; }
  void SetGlyph(int index, int16_t glyph);
  void SetDown(int index, bool down);

  bool ShiftOn() const { return Key("Shift").CurrentGlyph == kShiftOn; }

  // Draw pressed / released the key whose shownBy lists the raw code.
  void PressFaceKey(uint16_t code);
  void ReleaseFaceKey(uint16_t code);
  // Release the key of that name (after actions that may swallow the key-up).
  void ReleaseNamed(std::string_view name);

  // Second legends on the sixteen dual-legend keys, Shift on.
  void ShowShifted();
  // Shift released and off, first legends everywhere.
  void ShowUnshifted();
  // All thirty keys shown (Large layout) or hidden.
  void ShowFaceKeys(bool visible);

 private:
  std::array<KeyState, kFaceKeyCount> keys_{};
};

// The sixteen keys that show a second legend while the shift is on, in the
// order they are switched (the roll-down key, the latest, last).
constexpr int kDualLegendCount = 16;
extern const std::array<std::string_view, kDualLegendCount> kDualLegendKeys;

}  // namespace nimbrel
