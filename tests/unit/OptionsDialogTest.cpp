// The options dialog's rules and OK's steps, without a window.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FakePlatform.h"
#include "core/Engine.h"
#include "core/KeyCodes.h"
#include "app/OptionsDialog.h"

namespace nimbrel {
namespace {

struct RecordingEffects : OptionsEffects {
  bool CreateStartupLink() override {
    calls.push_back("create link");
    return linkCanBeMade;
  }
  void DeleteStartupLink() override { calls.push_back("delete link"); }
  void ShowTrayIcon(bool shown) override { calls.push_back(shown ? "tray add" : "tray delete"); }
  void ChangeHotKey(uint16_t hotKey) override { calls.push_back("hotkey " + std::to_string(hotKey)); }
  void SetCalculatorKey(bool on) override { calls.push_back(on ? "calculator key on" : "calculator key off"); }
  std::vector<std::string> calls;
  bool linkCanBeMade = true;
};

class OptionsDialogTest : public ::testing::Test {
 protected:
  void TypeDigits(const char* digits) {
    for (const char* c = digits; *c; ++c) entry.EntryKey(static_cast<uint16_t>(*c));
  }
  void Ok(const OptionsDraft& draft) { ApplyOptions(draft, options, entry, launch, effects); }

  Engine engine;
  DisplayOptions options;
  EntryLine entry{engine, options};
  WindowSettings launch;
  RecordingEffects effects;
};

TEST(DialogInteger, TakesWhatTheFieldsMayHold) {
  struct Case {
    const char* text;
    int value;
  };
  for (const Case& c : std::vector<Case>{{"4", 4}, {"  12", 12}, {"-3", -3}, {"+7", 7}, {"0", 0}, {"$1F", 31},
                                         {"32767", 32767}, {"-32768", -32768}, {"007", 7}}) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(DialogInteger(c.text), c.value);
  }
}

TEST(DialogInteger, RefusesAnythingElseQuotingTheText) {
  for (const char* text : {"", " ", "2.5", "4 ", "x", "-", "$", "1e3", "32768", "-32769", "99999999999", "$G"}) {
    SCOPED_TRACE(text);
    try {
      DialogInteger(text);
      ADD_FAILURE() << "accepted";
    } catch (const ConversionError& e) {
      EXPECT_EQ(std::string(e.what()), "'" + std::string(text) + "' is not a valid integer value");
    }
  }
}

TEST(OptionsDraft, OpensOnTheSettingsWithTheNotationPresetApplied) {
  DisplayOptions o;
  o.Base = 16;
  o.Decs = 6;
  o.TrailOn = 0;
  o.AllExpOn = 0;
  o.bsZ = 5;
  o.Notation = kEngineering;
  o.Angles = 2;
  WindowSettings w;
  w.TrayIcon = 0;
  w.Hidden = 1;
  const OptionsDraft d = DraftFrom(o, w);
  EXPECT_EQ(d.baseItem, 2);
  EXPECT_EQ(d.decs, "6");
  EXPECT_EQ(d.angles, 2);
  // Engineering shows its preset, whatever was stored, and locks it.
  EXPECT_TRUE(d.trail);
  EXPECT_TRUE(d.allExp);
  EXPECT_EQ(d.bsZ, "3");
  EXPECT_FALSE(d.customEnabled);
  // With the tray icon off, "Launch Hidden" keeps its stored tick, greyed.
  EXPECT_TRUE(d.hidden);
  EXPECT_FALSE(d.hiddenEnabled);
  // Any base but 8 and 10 shows as hexadecimal.
  o.Base = 7;
  EXPECT_EQ(DraftFrom(o, w).baseItem, 2);
  o.Base = 8;
  EXPECT_EQ(DraftFrom(o, w).baseItem, 0);
}

TEST(OptionsDraft, NotationPresetsAndCustomKeepsTheLast) {
  OptionsDraft d;
  d.trail = false;
  d.allExp = true;
  d.bsZ = "7";
  ChooseNotation(d, kCustom);
  EXPECT_EQ(std::vector<std::string>({d.trail ? "t" : "-", d.allExp ? "e" : "-", d.bsZ}),
            std::vector<std::string>({"-", "e", "7"}));
  EXPECT_TRUE(d.customEnabled);
  ChooseNotation(d, kStandard);
  EXPECT_EQ(std::vector<std::string>({d.trail ? "t" : "-", d.allExp ? "e" : "-", d.bsZ}),
            std::vector<std::string>({"-", "-", "1"}));
  EXPECT_FALSE(d.customEnabled);
  ChooseNotation(d, kScientific);
  EXPECT_EQ(std::vector<std::string>({d.trail ? "t" : "-", d.allExp ? "e" : "-", d.bsZ}),
            std::vector<std::string>({"t", "e", "1"}));
  ChooseNotation(d, kEngineering);
  ChooseNotation(d, kCustom);  // the Engineering preset, now editable
  EXPECT_EQ(std::vector<std::string>({d.trail ? "t" : "-", d.allExp ? "e" : "-", d.bsZ}),
            std::vector<std::string>({"t", "e", "3"}));
  EXPECT_TRUE(d.customEnabled);
}

TEST(OptionsDraft, TheTrayIconRuleGreysAndClearsLaunchHidden) {
  OptionsDraft d;
  d.hidden = true;
  TickTrayIcon(d, false);
  EXPECT_FALSE(d.hidden);
  EXPECT_FALSE(d.hiddenEnabled);
  TickTrayIcon(d, true);
  EXPECT_FALSE(d.hidden);  // enabled again, but left unticked
  EXPECT_TRUE(d.hiddenEnabled);
}

TEST_F(OptionsDialogTest, OkStoresEverySettingAndTheStepsWithEffectsOnlyOnChange) {
  OptionsDraft d = DraftFrom(options, launch);
  d.baseItem = 0;
  d.fixed = false;
  d.decs = "2";
  d.commas = false;
  ChooseNotation(d, kEngineering);
  d.angles = 0;
  d.startUp = true;
  d.hidden = false;
  Ok(d);
  EXPECT_EQ(options.Base, 8);
  EXPECT_EQ(options.FixedOn, 0);
  EXPECT_EQ(options.Decs, 2);
  EXPECT_EQ(options.CommasOn, 0);
  EXPECT_EQ(options.TrailOn, 1);
  EXPECT_EQ(options.AllExpOn, 1);
  EXPECT_EQ(options.bsZ, 3);
  EXPECT_EQ(options.Angles, 0);
  EXPECT_EQ(options.Notation, kEngineering);
  EXPECT_EQ(launch.StartUp, 1);
  EXPECT_EQ(effects.calls, std::vector<std::string>{"create link"});  // the tray icon was already on

  // The same draft again: no link call, even if the link has gone meanwhile.
  effects.calls.clear();
  Ok(d);
  EXPECT_TRUE(effects.calls.empty());

  d.startUp = false;
  TickTrayIcon(d, false);
  Ok(d);
  EXPECT_EQ(effects.calls, (std::vector<std::string>{"delete link", "tray delete"}));
  EXPECT_EQ(launch.StartUp, 0);
  EXPECT_EQ(launch.TrayIcon, 0);
}

// The hotkey and the Calculator key are stored whether or not the system
// takes them, and touched only when changed.
TEST_F(OptionsDialogTest, TheHotKeyAndTheCalculatorKeyChangeOnlyWhenChanged) {
  launch.HotKey = 0x64B;  // Ctrl+Alt+K
  OptionsDraft d = DraftFrom(options, launch);
  EXPECT_EQ(d.hotKey, 0x64B);
  EXPECT_FALSE(d.calcKey);
  Ok(d);
  EXPECT_TRUE(effects.calls.empty());
  d.hotKey = 0x371;  // Ctrl+Shift+F2
  d.calcKey = true;
  Ok(d);
  EXPECT_EQ(effects.calls, (std::vector<std::string>{"hotkey 881", "calculator key on"}));
  EXPECT_EQ(launch.HotKey, 0x371);
  EXPECT_EQ(launch.CalcKey, 1);
  EXPECT_TRUE(DraftFrom(options, launch).calcKey) << "shown ticked next time";
  effects.calls.clear();
  d.hotKey = 0;
  d.calcKey = false;
  Ok(d);
  EXPECT_EQ(effects.calls, (std::vector<std::string>{"hotkey 0", "calculator key off"}));
  EXPECT_EQ(launch.HotKey, 0);
  EXPECT_EQ(launch.CalcKey, 0);
}

TEST_F(OptionsDialogTest, KeepTheTapeIsTheSettingAsTicked) {
  OptionsDraft d = DraftFrom(options, launch);
  EXPECT_TRUE(d.tapeKept) << "kept at first";
  d.tapeKept = false;
  Ok(d);
  EXPECT_EQ(launch.TapeKept, 0);
  EXPECT_FALSE(DraftFrom(options, launch).tapeKept);
}

TEST_F(OptionsDialogTest, StartUpIsOnOnlyWhenTheLinkWasMade) {
  // The Startup folder can't be written: the failure was shown by the link
  // maker, and the option stays off, so that the next OK tries again.
  effects.linkCanBeMade = false;
  OptionsDraft d = DraftFrom(options, launch);
  d.startUp = true;
  d.hidden = true;
  Ok(d);
  EXPECT_EQ(launch.StartUp, 0);
  EXPECT_EQ(launch.Hidden, 1) << "the other launch flags still follow the dialog";
  Ok(d);
  EXPECT_EQ(effects.calls, (std::vector<std::string>{"create link", "create link"}));
  // Once the folder takes the link, the option is on.
  effects.linkCanBeMade = true;
  Ok(d);
  EXPECT_EQ(launch.StartUp, 1);
  EXPECT_EQ(effects.calls.size(), 3u);
}

TEST_F(OptionsDialogTest, OnlyANewBaseEndsTheNumberBeingTyped) {
  TypeDigits("12");
  OptionsDraft d = DraftFrom(options, launch);
  Ok(d);
  EXPECT_TRUE(entry.InProgress());
  d.baseItem = 2;
  Ok(d);
  EXPECT_FALSE(entry.InProgress());
  EXPECT_EQ(options.Base, 16);
}

TEST_F(OptionsDialogTest, ABadFieldStopsOkAtItsStep) {
  OptionsDraft d = DraftFrom(options, launch);
  d.baseItem = 2;
  d.fixed = false;
  d.decs = "2.5";
  d.commas = false;
  d.startUp = true;
  EXPECT_THROW(Ok(d), ConversionError);
  EXPECT_EQ(options.Base, 16);    // applied before the failing step
  EXPECT_EQ(options.FixedOn, 0);
  EXPECT_EQ(options.Decs, 4);     // the rest as it was
  EXPECT_EQ(options.CommasOn, 1);
  EXPECT_EQ(launch.StartUp, 0);
  EXPECT_TRUE(effects.calls.empty());

  d.decs = "3";
  ChooseNotation(d, kCustom);
  d.bsZ = "";
  d.angles = 2;
  try {
    Ok(d);
    ADD_FAILURE() << "accepted an empty step";
  } catch (const ConversionError& e) {
    EXPECT_STREQ(e.what(), "'' is not a valid integer value");
  }
  EXPECT_EQ(options.Decs, 3);
  EXPECT_EQ(options.CommasOn, 0);
  EXPECT_EQ(options.bsZ, 1);
  EXPECT_EQ(options.Angles, 1);
  EXPECT_TRUE(effects.calls.empty());
}

TEST_F(OptionsDialogTest, LaunchHiddenIsAlwaysStored) {
  launch.TrayIcon = 0;
  launch.Hidden = 1;
  Ok(DraftFrom(options, launch));  // greyed and ticked: stays 1
  EXPECT_EQ(launch.Hidden, 1);
  EXPECT_TRUE(effects.calls.empty());
}

}  // namespace
}  // namespace nimbrel
