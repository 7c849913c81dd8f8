// The main window's content for screen readers: the application's
// accessible items (app/AccessibleFace) placed where the display and the
// face keys are drawn, served through Active Accessibility, and the events
// that tell screen readers what an action changed.
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "app/AccessibleFace.h"
#include "app/Calculator.h"
#include "components/ModeButton_win.h"
#include "core/Scale.h"
#include "display/StackWindow_win.h"
#include "win/Accessible_win.h"

namespace nimbrel {

class FaceAccess : public win::AccessibleSource {
 public:
  // The controls are the window's, read at every question.
  FaceAccess(Calculator& calc, const std::unique_ptr<StackWindowControl>& display,
             const std::vector<std::unique_ptr<ModeButtonControl>>& keys, const Scale& scale);

  // WM_GETOBJECT and this class's own messages: true when it took the
  // message. It also sees the focus arrive and the window go.
  bool Message(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
  // Something shown may have changed. Once a client has asked, the window
  // looks again when the present message is done, and tells clients what
  // changed: one look for everything an action did.
  void Changed();

  std::vector<win::AccessibleNode> Nodes() override;
  void DoDefaultAction(long key) override;

 private:
  RECT Bounds(const AccessibleItem& item) const;
  void TellChanges();

  Calculator& calc_;
  const std::unique_ptr<StackWindowControl>& display_;
  const std::vector<std::unique_ptr<ModeButtonControl>>& keys_;
  const Scale& scale_;
  HWND hwnd_ = nullptr;
  UINT lookMessage_;
  bool lookPending_ = false;
  AccessibleFace face_;  // as the clients were last told
  win::AccessibleServer server_{*this};
};

}  // namespace nimbrel
