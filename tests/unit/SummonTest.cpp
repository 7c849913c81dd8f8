// The hotkey's meaning in each state of the window, and how the key is
// named and registered.
#include <gtest/gtest.h>

#include "FakePlatform.h"
#include "app/Calculator.h"
#include "app/Summon.h"

namespace nimbrel {
namespace {

constexpr SummonAction kForward = SummonAction::BringForward, kAway = SummonAction::PutAway,
                       kMinimise = SummonAction::Minimise, kDialog = SummonAction::RaiseDialog;

TEST(HotKey, WhatAPressDoesInEachState) {
  const struct {
    const char* state;
    WindowFacts now;
    bool trayIcon;
    SummonAction hotKey, showRequest;
  } cases[] = {
      // dialog, foreground, shown, minimised
      {"in front, with the tray icon", {false, true, true, false}, true, kAway, kForward},
      {"in front, without it", {false, true, true, false}, false, kMinimise, kForward},
      {"behind other windows", {false, false, true, false}, true, kForward, kForward},
      {"hidden in the tray (or never shown)", {false, false, false, false}, true, kForward, kForward},
      {"minimised", {false, false, true, true}, true, kForward, kForward},
      {"minimised, still the foreground", {false, true, true, true}, false, kForward, kForward},
      {"the options dialog open", {true, false, true, false}, true, kDialog, kDialog},
      {"a dialog open and in front", {true, true, true, false}, false, kDialog, kDialog},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(HotKeyAction(c.now, c.trayIcon), c.hotKey) << c.state;
    EXPECT_EQ(ShowRequestAction(c.now), c.showRequest) << c.state;
  }
}

TEST(HotKey, NamedAsTheControlShowsItAndRegisteredWithTheSameModifiers) {
  const struct {
    uint16_t value;
    const char* key;
    const char* text;
    unsigned modifiers;  // MOD_ALT 1, MOD_CONTROL 2, MOD_SHIFT 4, MOD_NOREPEAT 0x4000
  } cases[] = {
      {0x64B, "K", "Ctrl + Alt + K", 0x4003},
      {0x171, "F2", "Shift + F2", 0x4004},
      {0x771, "F2", "Ctrl + Shift + Alt + F2", 0x4007},
      {0xA2D, "Insert", "Ctrl + Insert", 0x4002},  // extended: no modifier of its own
      {0x07B, "F12", "F12", 0x4000},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(HotKeyText(c.value, {"Ctrl", "Shift", "Alt", c.key}), c.text);
    EXPECT_EQ(HotKeyModifiers(c.value), c.modifiers) << c.text;
  }
  EXPECT_EQ(HotKeyText(0x64B, {"Strg", "Umschalt", "Alt", "K"}), "Strg + Alt + K");  // a German keyboard's words
  EXPECT_EQ(HotKeyTakenMessage("Ctrl + Alt + K"), "Ctrl + Alt + K is already used by another program.");
}

// Brought forward, the number being typed ends and stays in X: the next
// digit starts a new one. Put away, nothing changes.
TEST(HotKey, BroughtForwardTheNumberBeingTypedEnds) {
  FakePlatform platform;
  Calculator calc(platform);
  uint16_t key = '4';
  calc.DispatchKey(key);
  key = '2';
  calc.DispatchKey(key);
  EXPECT_EQ(calc.HotKeyPressed({false, true, true, false}), kAway);
  EXPECT_TRUE(calc.display.entry.InProgress());
  EXPECT_EQ(calc.HotKeyPressed({false, false, false, false}), kForward);
  EXPECT_FALSE(calc.display.entry.InProgress());
  key = '7';
  calc.DispatchKey(key);
  EXPECT_EQ(calc.engine.X(), 7);
  EXPECT_EQ(calc.engine.Y(), 42);
}

}  // namespace
}  // namespace nimbrel
