// How a window's graphic controls share its mouse: the topmost visible
// control under the pointer takes a press, a left press keeps every later
// move and the release even off the control, and a right press keeps
// nothing. A real (hidden) window holds the capture.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "components/ModeButton_win.h"
#include "app/FaceKeys.h"
#include "win/GraphicControl_win.h"

namespace {

using nimbrel::win::GraphicControl;
using nimbrel::win::GraphicControls;

// Records what reaches it as "name:event x,y".
class Recorder : public GraphicControl {
 public:
  Recorder(std::string name, std::vector<std::string>& log) : name_(std::move(name)), log_(log) {}
  void Paint(HDC) const override {}
  bool MouseDown(UINT message, int x, int y) override {
    Note(message == WM_LBUTTONDOWN ? "left-down" : "right-down", x, y);
    return message == WM_LBUTTONDOWN;
  }
  void MouseMove(int x, int y) override { Note("move", x, y); }
  void MouseUp(UINT message, int x, int y) override { Note(message == WM_LBUTTONUP ? "left-up" : "right-up", x, y); }

 private:
  void Note(const char* what, int x, int y) {
    log_.push_back(name_ + ":" + what + " " + std::to_string(x) + "," + std::to_string(y));
  }
  std::string name_;
  std::vector<std::string>& log_;
};

class GraphicControlsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window_ = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 200, 100, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window_, nullptr);
    controls_.Add(under_, {0, 0, 200, 100});
    controls_.Add(left_, {10, 10, 50, 40});
    controls_.Add(right_, {100, 10, 140, 40});
  }
  void TearDown() override {
    ReleaseCapture();
    DestroyWindow(window_);
  }

  HWND window_ = nullptr;
  std::vector<std::string> log_;
  GraphicControls controls_{window_};
  Recorder under_{"under", log_}, left_{"left", log_}, right_{"right", log_};
};

TEST_F(GraphicControlsTest, ThePressGoesToTheTopmostVisibleControlInItsOwnCoordinates) {
  controls_.Mouse(WM_LBUTTONDOWN, 12, 15);
  controls_.Mouse(WM_LBUTTONUP, 12, 15);
  left_.SetVisible(false);
  controls_.Mouse(WM_RBUTTONDOWN, 12, 15);
  controls_.Mouse(WM_RBUTTONUP, 12, 15);
  controls_.Mouse(WM_LBUTTONDOWN, 139, 39);
  controls_.Mouse(WM_LBUTTONUP, 140, 40);  // just outside, but it holds the mouse
  EXPECT_EQ(log_, (std::vector<std::string>{"left:left-down 2,5", "left:left-up 2,5", "under:right-down 12,15",
                                             "under:right-up 12,15", "right:left-down 39,29", "right:left-up 40,30"}));
}

TEST_F(GraphicControlsTest, ALeftPressKeepsTheMouseUntilItsRelease) {
  controls_.Mouse(WM_MOUSEMOVE, 20, 20);  // nobody holds the mouse: no one hears a move
  controls_.Mouse(WM_LBUTTONDOWN, 20, 20);
  EXPECT_EQ(GetCapture(), window_);
  controls_.Mouse(WM_MOUSEMOVE, 120, 20);   // over another control
  controls_.Mouse(WM_RBUTTONDOWN, 120, 20);  // a second button changes nothing
  controls_.Mouse(WM_RBUTTONUP, 120, 20);
  controls_.Mouse(WM_LBUTTONUP, 120, 20);
  EXPECT_EQ(GetCapture(), nullptr);
  controls_.Mouse(WM_MOUSEMOVE, 20, 20);
  EXPECT_EQ(log_, (std::vector<std::string>{"left:left-down 10,10", "left:move 110,10", "left:right-down 110,10",
                                             "left:right-up 110,10", "left:left-up 110,10"}));
}

TEST_F(GraphicControlsTest, ARightPressKeepsNothing) {
  controls_.Mouse(WM_RBUTTONDOWN, 20, 20);
  EXPECT_EQ(GetCapture(), nullptr);
  controls_.Mouse(WM_MOUSEMOVE, 120, 20);
  controls_.Mouse(WM_RBUTTONUP, 120, 20);
  EXPECT_EQ(log_, (std::vector<std::string>{"left:right-down 10,10", "right:right-up 20,10"}));
}

TEST_F(GraphicControlsTest, ALostCaptureEndsTheHold) {
  controls_.Mouse(WM_LBUTTONDOWN, 20, 20);
  controls_.CaptureLost();
  controls_.Mouse(WM_MOUSEMOVE, 120, 20);
  controls_.Mouse(WM_LBUTTONUP, 120, 20);
  EXPECT_EQ(log_, (std::vector<std::string>{"left:left-down 10,10", "right:left-up 20,10"}));
}

TEST(GraphicControl, APlainControlRunsItsClickOnALeftPress) {
  HWND window = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  GraphicControls controls{window};
  nimbrel::win::Picture picture;
  int clicks = 0;
  picture.onClick = [&] { ++clicks; };
  controls.Add(picture, {0, 0, 100, 100});
  controls.Mouse(WM_RBUTTONDOWN, 5, 5);
  controls.Mouse(WM_LBUTTONDOWN, 5, 5);
  controls.Mouse(WM_LBUTTONUP, 5, 5);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(GetCapture(), nullptr);
  DestroyWindow(window);
}

TEST(FaceKeys, HiddenKeysLetEveryClickThroughToTheFace) {
  // The thirty keys over the face picture, as the main window lays them out
  // at 100 %. Hidden (the Small and Medium layouts, About), none of them may
  // take a click meant for what lies under it.
  HWND window = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 321, 233, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  std::vector<std::string> log;
  GraphicControls controls{window};
  Recorder face{"face", log};
  controls.Add(face, {0, 0, 321, 233});
  nimbrel::FaceState state;
  std::vector<int> clicked;
  std::vector<std::unique_ptr<nimbrel::ModeButtonControl>> keys;
  for (int i = 0; i < nimbrel::kFaceKeyCount; ++i) {
    const nimbrel::FaceKey& k = nimbrel::kFaceKeys[i];
    keys.push_back(std::make_unique<nimbrel::ModeButtonControl>(state, i, [&clicked, i] { clicked.push_back(i); },
                                                                 nullptr));
    controls.Add(*keys.back(), {k.left, k.top, k.left + k.width, k.top + k.height});
  }
  const auto clickEveryKey = [&] {
    for (const nimbrel::FaceKey& k : nimbrel::kFaceKeys) {
      const int x = k.left + k.width / 2, y = k.top + k.height / 2;
      controls.Mouse(WM_LBUTTONDOWN, x, y);
      controls.Mouse(WM_LBUTTONUP, x, y);
    }
  };

  state.ShowFaceKeys(false);
  clickEveryKey();
  EXPECT_TRUE(clicked.empty());
  EXPECT_EQ(log.size(), 2u * nimbrel::kFaceKeyCount) << "the face under them had every press and release";
  for (int i = 0; i < nimbrel::kFaceKeyCount; ++i) EXPECT_FALSE(state.Key(i).Down) << nimbrel::kFaceKeys[i].name;

  state.ShowFaceKeys(true);
  log.clear();
  clickEveryKey();
  std::vector<int> all(nimbrel::kFaceKeyCount);
  for (int i = 0; i < nimbrel::kFaceKeyCount; ++i) all[i] = i;
  EXPECT_EQ(clicked, all);
  EXPECT_TRUE(log.empty());
  DestroyWindow(window);
}

}  // namespace
