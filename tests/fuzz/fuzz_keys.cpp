// fuzz_keys: stored settings, then key presses (with Shift and Ctrl, down
// and up on their own too), clicks on the face's keys, About's timer and
// click, clipboard texts, and whatever is done in the memory window and the
// options dialog while they are open: all through the Calculator the window
// uses. After every event the numbers are finite, the shift is 1 or 3 and
// X's line fits; at the end every line fits and save, load, save agree.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "FuzzCommon.h"
#include "FuzzPlatform.h"
#include "FuzzSettings.h"
#include "core/KeyCodes.h"

namespace nimbrel::fuzz {
namespace {

// Every key the calculator knows, a few it doesn't, and the modifiers.
constexpr uint16_t kKeys[] = {
    '0', '1', '2', '3', '4', '5', '6', '7', '8', '9', 'A', 'B', 'C', 'D', 'E', 'F', 'K', 'Z',
    vk::Numpad0, vk::Numpad0 + 1, vk::Numpad0 + 5, vk::Numpad0 + 9, vk::Decimal, vk::Return, vk::Add,
    vk::Subtract, vk::Multiply, vk::Divide, vk::Back, vk::End, vk::Next, vk::Prior, vk::Home, vk::Insert,
    vk::Delete, vk::Up, vk::Down, vk::Left, vk::Right, vk::Oem5, vk::Scroll, vk::Pause, vk::NumLock,
    vk::F12, vk::OemPlus, vk::OemMinus, vk::Oem2, vk::Escape, vk::Space, vk::Control,
    'Y', vk::OemPeriod, vk::OemComma, vk::F10, vk::Apps};
constexpr int kKeyCount = sizeof kKeys / sizeof kKeys[0];

uint64_t keyPresses = 0;

void Report() { std::fprintf(stderr, "fuzz_keys: %llu key presses\n", static_cast<unsigned long long>(keyPresses)); }

// One key as the window takes it: the menu's shortcuts first, then the
// key-down handler, each fault going to AppExceptions; then the key-up.
void Press(FuzzPlatform& p, uint16_t key, bool shift, bool ctrl, bool down, bool up) {
  ++keyPresses;
  if (down) {
    if (key == vk::NumLock) p.numLock = !p.numLock;  // the keyboard flips its own toggle
    if (key == vk::Scroll) p.scrollLock = !p.scrollLock;
    p.calc.Guarded([&] {
      if (p.calc.MenuShortcut(key, shift, ctrl)) return;
      uint16_t code = key;
      p.calc.FormKeyDown(code, shift);
    });
  }
  if (up) p.calc.FormKeyUp(key);
}

void Event(FuzzPlatform& p, Bytes& bytes) {
  const uint8_t b = bytes.Byte();
  const bool shift = b & 8, ctrl = b & 16;
  switch (b % 8) {
    case 5:
      ++keyPresses;
      p.calc.Guarded([&] { p.calc.ClickFaceKey(bytes.Below(kFaceKeyCount)); });
      break;
    case 6: Press(p, kKeys[bytes.Below(kKeyCount)], shift, ctrl, !(b & 32), b & 32); break;
    case 7:
      switch ((b >> 5) % 4) {
        case 0: Press(p, bytes.Word(), shift, ctrl, true, true); break;
        case 1: if (p.calc.AboutShown()) p.calc.AboutTimerTimer(); break;
        case 2: p.calc.Image1Click(); break;
        default: p.clipboard = bytes.Text(40); break;
      }
      break;
    default: Press(p, kKeys[bytes.Below(kKeyCount)], shift, ctrl, true, true); break;
  }
}

}  // namespace
}  // namespace nimbrel::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace nimbrel;
  using namespace nimbrel::fuzz;
  static const bool reported = std::atexit(Report) == 0;
  (void)reported;
  Bytes bytes(data, size);
  MemoryRegistry registry;
  PlantSettings(bytes, registry, 12, 0);
  FuzzPlatform p(bytes);
  p.calc.Load(registry);  // every value planted has its right type
  for (int events = 0; !bytes.Empty() && events < 4096; ++events) {
    Event(p, bytes);
    CheckNumbers(p.calc.engine);
    CheckShift(p.calc.face);
    CheckedFormat(p.calc.engine.X(), 'X', p.calc.display.options);
  }
  CheckEveryLine(p.calc);
  CheckSaveLoadSave([&](MemoryRegistry& r) { p.calc.Save(r); });
  return 0;
}
