#include "forms/FaceAccess_win.h"

#include <unordered_map>

#include "display/StackWindow.h"

namespace nimbrel {

FaceAccess::FaceAccess(Calculator& calc, const std::unique_ptr<StackWindowControl>& display,
                       const std::vector<std::unique_ptr<ModeButtonControl>>& keys, const Scale& scale)
    : calc_(calc), display_(display), keys_(keys), scale_(scale),
      lookMessage_(RegisterWindowMessageA("Nimbrel.AccessibleLook")) {}

bool FaceAccess::Message(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  hwnd_ = hwnd;
  if (message == lookMessage_ && lookMessage_ != 0) {
    TellChanges();
    return true;
  }
  if (message == WM_SETFOCUS && server_.Asked()) {
    server_.Notify(EVENT_OBJECT_FOCUS, kAccessibleDisplay);  // where the focus goes within
    return false;
  }
  if (message == WM_DESTROY) {
    server_.Disconnect();
    return false;
  }
  const bool first = !server_.Asked();
  if (!server_.Message(hwnd, message, wParam, lParam, result)) return false;
  if (first && server_.Asked()) face_.Look(calc_);  // what later looks are compared with
  return true;
}

void FaceAccess::Changed() {
  if (!server_.Asked() || lookPending_ || !hwnd_) return;
  lookPending_ = PostMessageA(hwnd_, lookMessage_, 0, 0) != 0;
}

void FaceAccess::TellChanges() {
  lookPending_ = false;
  face_.Look(calc_);
  for (const AccessibleChangeAt& change : face_.Changes()) {
    switch (change.kind) {
      case AccessibleChange::Name: server_.Notify(EVENT_OBJECT_NAMECHANGE, change.id); break;
      case AccessibleChange::Value: server_.Notify(EVENT_OBJECT_VALUECHANGE, change.id); break;
      case AccessibleChange::State: server_.Notify(EVENT_OBJECT_STATECHANGE, change.id); break;
      case AccessibleChange::Children: server_.Notify(EVENT_OBJECT_REORDER, change.id); break;
    }
  }
}

std::vector<win::AccessibleNode> FaceAccess::Nodes() {
  const std::vector<AccessibleItem> items = AccessibleItems(calc_);
  std::vector<win::AccessibleNode> nodes;
  std::unordered_map<int, int> indexOf;  // item id -> node index (parents come first)
  for (const AccessibleItem& item : items) {
    win::AccessibleNode node;
    node.key = item.id;
    node.parent = item.parent < 0 ? -1 : indexOf.at(item.parent);
    node.role = item.role == AccessibleRole::PushButton   ? ROLE_SYSTEM_PUSHBUTTON
                : item.role == AccessibleRole::StaticText ? ROLE_SYSTEM_STATICTEXT
                                                          : ROLE_SYSTEM_CLIENT;
    node.name = item.name;
    node.value = item.value;
    node.shortcut = item.shortcut;
    node.action = item.action;
    node.pressed = item.pressed;
    node.unavailable = item.unavailable;
    node.focusable = item.focusable;
    node.readOnly = item.role == AccessibleRole::StaticText;
    node.bounds = Bounds(item);
    indexOf[item.id] = static_cast<int>(nodes.size());
    nodes.push_back(std::move(node));
  }
  return nodes;
}

RECT FaceAccess::Bounds(const AccessibleItem& item) const {
  RECT r{};
  if (item.id == kAccessibleClient) {
    GetClientRect(hwnd_, &r);
    return r;
  }
  const int key = FaceKeyOfAccessible(item.id);
  if (key >= 0) return keys_[key]->bounds();
  r = display_->bounds();
  if (item.id == kAccessibleDisplay) return r;
  // One of the lines above X, where the display writes it.
  const int j = item.id - AccessibleLineId(0);
  const int edge = scale_.Line();
  const int top = r.bottom - scale_(kXLineRise) - scale_(kLinePitch) * j;
  return RECT{r.left + edge, top, r.right - edge, top + scale_(kLinePitch)};
}

void FaceAccess::DoDefaultAction(long key) {
  const int index = FaceKeyOfAccessible(static_cast<int>(key));
  // The layout may have changed since the action was asked for.
  if (index < 0 || !calc_.face.Key(index).Visible) return;
  calc_.Guarded([&] { calc_.ClickFaceKey(index); });
}

}  // namespace nimbrel
