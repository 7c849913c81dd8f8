// The calculator's face as a screen reader reads it: a window with the
// real display and face-key controls, laid out as the main window lays them
// out, over the real calculator, read through oleacc as a client reads it
// (AccessibleObjectFromWindow, AccessibleObjectFromEvent), with the events
// caught by a WinEvent hook.
#include <windows.h>
#include <oleacc.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "app/AccessibleFace.h"
#include "app/Calculator.h"
#include "app/NullPlatform.h"
#include "components/ModeButton_win.h"
#include "core/KeyCodes.h"
#include "core/Scale.h"
#include "display/StackWindow_win.h"
#include "forms/FaceAccess_win.h"
#include "win/Window_win.h"
#include "AccessibleText_win.h"

namespace nimbrel {
namespace {

// ---- a window with the face, laid out as the main window does it

class FaceWindow : public win::Window, public NullPlatform {
 public:
  explicit FaceWindow(int dpi) : scale_(dpi) {
    for (int i = 0; i < kFaceKeyCount; ++i) {
      keys_.push_back(std::make_unique<ModeButtonControl>(calc.face, i, [this, i] { calc.ClickFaceKey(i); }, nullptr));
    }
    display_ = std::make_unique<StackWindowControl>(calc.display, RGB(123, 154, 191));
    calc.face.onChange = [this](int) { access_.Changed(); };
    CreateWindowOf(GetModuleHandleA(nullptr), {"NimbrelAccessibleTest"}, 0, WS_POPUP, "Quarvel Calculator", 40, 30,
                   scale_(321), scale_(233));
    const Scale& s = scale_;
    for (int i = 0; i < kFaceKeyCount; ++i) {
      const FaceKey& k = kFaceKeys[i];
      keys_[i]->PlaceKey(hwnd_, {s(k.left), s(k.top), s(k.left) + s(k.width), s(k.top) + s(k.height)});
    }
    calc.ChooseSize(WindowSize::Large);
    ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
  }

  // Each key down and up, as the window gets them; then the messages that
  // came of them.
  void Press(std::initializer_list<uint16_t> keys) {
    for (uint16_t key : keys) {
      uint16_t code = key;
      calc.Guarded([&] { calc.FormKeyDown(code, false); });
      calc.FormKeyUp(key);
    }
    Pump();
  }
  static void Pump() {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
  }
  void Destroy() { DestroyWindow(hwnd_); }
  const Scale& scale() const { return scale_; }

  // ---- the platform: the layouts, and a look after each repaint
  void ApplySize(WindowSize size) override {
    const bool large = size == WindowSize::Large;
    calc.face.ShowFaceKeys(large);
    const Scale& s = scale_;
    const int left = large ? 144 : 8;
    display_->Place(hwnd_, {s(left), s(8), s(left) + s(169), s(8) + s(size == WindowSize::Medium ? 185 : 41)});
  }
  void ShowAbout() override { calc.face.ShowFaceKeys(false); }
  void PaintStack() override { access_.Changed(); }

  Calculator calc{*this};

 private:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    LRESULT result = 0;
    if (access_.Message(hwnd_, message, wParam, lParam, result)) return result;
    return Default(message, wParam, lParam);
  }
  void OnException(const char*) override {}

  Scale scale_;
  std::unique_ptr<StackWindowControl> display_;
  std::vector<std::unique_ptr<ModeButtonControl>> keys_;
  FaceAccess access_{calc, display_, keys_, scale_};
};

// ---- the client's side

template <class I>
class Held {
 public:
  Held() = default;
  explicit Held(I* p) : p_(p) {}
  ~Held() {
    if (p_) p_->Release();
  }
  Held(Held&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
  Held& operator=(Held&& o) noexcept {
    std::swap(p_, o.p_);
    return *this;
  }
  I* operator->() const { return p_; }
  I* get() const { return p_; }
  I** put() { return &p_; }
  explicit operator bool() const { return p_ != nullptr; }

 private:
  I* p_ = nullptr;
};

VARIANT Child(long id) { return testing_win::ChildId(id); }
std::string Utf8(BSTR text) { return testing_win::TakeUtf8(text, "(null)"); }

std::string Name(IAccessible* object, long child = CHILDID_SELF) {
  BSTR text = nullptr;
  if (FAILED(object->get_accName(Child(child), &text))) return "(failed)";
  return Utf8(text);
}
std::string Value(IAccessible* object, long child = CHILDID_SELF) {
  BSTR text = nullptr;
  if (FAILED(object->get_accValue(Child(child), &text))) return "(failed)";
  return Utf8(text);
}
long Role(IAccessible* object, long child = CHILDID_SELF) {
  VARIANT v;
  VariantInit(&v);
  return SUCCEEDED(object->get_accRole(Child(child), &v)) && v.vt == VT_I4 ? v.lVal : -1;
}
long State(IAccessible* object, long child = CHILDID_SELF) {
  VARIANT v;
  VariantInit(&v);
  return SUCCEEDED(object->get_accState(Child(child), &v)) && v.vt == VT_I4 ? v.lVal : -1;
}
long ChildCount(IAccessible* object) {
  LONG count = -1;
  return SUCCEEDED(object->get_accChildCount(&count)) ? count : -1;
}

Held<IAccessible> AsAccessible(IDispatch* dispatch) {
  Held<IAccessible> object;
  if (dispatch) {
    dispatch->QueryInterface(__uuidof(IAccessible), reinterpret_cast<void**>(object.put()));
    dispatch->Release();
  }
  return object;
}

Held<IAccessible> ClientOf(HWND hwnd) {
  Held<IAccessible> client;
  const HRESULT got =
      AccessibleObjectFromWindow(hwnd, OBJID_CLIENT, __uuidof(IAccessible), reinterpret_cast<void**>(client.put()));
  EXPECT_EQ(got, S_OK);
  return client;
}

Held<IAccessible> ChildObject(IAccessible* parent, long child) {
  IDispatch* dispatch = nullptr;
  if (parent->get_accChild(Child(child), &dispatch) != S_OK) return {};
  return AsAccessible(dispatch);
}

// A face key's child id under the client: after the display, in the face
// table's order (all thirty show in Large).
long KeyChild(std::string_view name) { return 2 + FaceKeyIndex(name); }

struct ComScope {
  ComScope() { CoInitialize(nullptr); }
  ~ComScope() { CoUninitialize(); }
};

class Accessible : public ::testing::TestWithParam<int> {
 protected:
  ComScope com_;
  FaceWindow window_{GetParam()};
  HWND hwnd() const { return window_.handle(); }
};

TEST_P(Accessible, TheDisplaysValueIsTheXLine) {
  window_.Press({'2', vk::Return, '3', vk::Add});
  Held<IAccessible> client = ClientOf(hwnd());
  ASSERT_TRUE(client);
  EXPECT_EQ(Name(client.get()), "Quarvel Calculator");
  EXPECT_EQ(Role(client.get()), ROLE_SYSTEM_CLIENT);
  EXPECT_EQ(ChildCount(client.get()), 31) << "the display and thirty keys";
  Held<IAccessible> display = ChildObject(client.get(), 1);
  ASSERT_TRUE(display);
  EXPECT_EQ(Name(display.get()), "Display");
  EXPECT_EQ(Role(display.get()), ROLE_SYSTEM_STATICTEXT);
  EXPECT_EQ(Value(display.get()), "X: 5.0000");
  EXPECT_EQ(Value(client.get(), 1), "X: 5.0000") << "asked of the client for its child";
  // Its one other line in Large, Y.
  ASSERT_EQ(ChildCount(display.get()), 1);
  EXPECT_EQ(Name(display.get(), 1), "Y: 0.0000");
  window_.Press({'7'});
  EXPECT_EQ(Value(display.get()), "X: 7") << "read afresh at every question";
  EXPECT_EQ(Name(display.get(), 1), "Y: 5.0000");
}

TEST_P(Accessible, KeysArePushButtonsNamedByTheirLegendNow) {
  Held<IAccessible> client = ClientOf(hwnd());
  ASSERT_TRUE(client);
  const long sin = KeyChild("SIN"), shift = KeyChild("Shift"), seven = KeyChild("Seven");
  EXPECT_EQ(Role(client.get(), sin), ROLE_SYSTEM_PUSHBUTTON);
  EXPECT_EQ(Name(client.get(), sin), "sin");
  EXPECT_EQ(Name(client.get(), KeyChild("Log")), "log");
  EXPECT_EQ(Name(client.get(), seven), "7");
  BSTR text = nullptr;
  ASSERT_EQ(client->get_accKeyboardShortcut(Child(sin), &text), S_OK);
  EXPECT_EQ(Utf8(text), "Insert");
  ASSERT_EQ(client->get_accDefaultAction(Child(sin), &text), S_OK);
  EXPECT_EQ(Utf8(text), "Press");
  EXPECT_EQ(State(client.get(), shift) & STATE_SYSTEM_PRESSED, 0);
  EXPECT_EQ(State(client.get(), seven) & STATE_SYSTEM_UNAVAILABLE, 0);
  IDispatch* none = reinterpret_cast<IDispatch*>(1);
  EXPECT_EQ(client->get_accChild(Child(sin), &none), S_FALSE) << "a key is a plain element of the client";
  EXPECT_EQ(none, nullptr);

  window_.Press({vk::F12});
  EXPECT_EQ(Name(client.get(), sin), "arcsin");
  EXPECT_EQ(Name(client.get(), KeyChild("Log")), "10 to the x");
  EXPECT_EQ(State(client.get(), shift) & STATE_SYSTEM_PRESSED, STATE_SYSTEM_PRESSED);
  EXPECT_EQ(State(client.get(), seven) & STATE_SYSTEM_UNAVAILABLE, STATE_SYSTEM_UNAVAILABLE);
  EXPECT_EQ(Name(client.get(), 0), "Quarvel Calculator");
  EXPECT_EQ(client->get_accName(Child(32), &text), E_INVALIDARG) << "no child 32";
}

TEST_P(Accessible, PlacesAreScreenPixelsAtTheWindowsScale) {
  Held<IAccessible> client = ClientOf(hwnd());
  ASSERT_TRUE(client);
  POINT origin{0, 0};
  ClientToScreen(hwnd(), &origin);
  const Scale& s = window_.scale();
  const FaceKey& k = kFaceKeys[FaceKeyIndex("Add")];
  LONG x = 0, y = 0, w = 0, h = 0;
  ASSERT_EQ(client->accLocation(&x, &y, &w, &h, Child(KeyChild("Add"))), S_OK);
  EXPECT_EQ(std::make_tuple(x, y, w, h),
            std::make_tuple(origin.x + s(k.left), origin.y + s(k.top), s(k.width), s(k.height)));
  ASSERT_EQ(client->accLocation(&x, &y, &w, &h, Child(1)), S_OK);
  EXPECT_EQ(std::make_tuple(x, y, w, h), std::make_tuple(origin.x + s(144), origin.y + s(8), s(169), s(41)));

  // What lies under a point: a key by its child id, the display as an
  // object, and in it the Y line.
  VARIANT hit;
  VariantInit(&hit);
  ASSERT_EQ(client->accHitTest(origin.x + s(k.left) + 2, origin.y + s(k.top) + 2, &hit), S_OK);
  EXPECT_EQ(hit.vt, VT_I4);
  EXPECT_EQ(hit.lVal, KeyChild("Add"));
  ASSERT_EQ(client->accHitTest(origin.x + s(150), origin.y + s(14), &hit), S_OK);
  ASSERT_EQ(hit.vt, VT_DISPATCH);
  Held<IAccessible> display = AsAccessible(hit.pdispVal);
  ASSERT_TRUE(display);
  EXPECT_EQ(Name(display.get()), "Display");
  ASSERT_EQ(display->accHitTest(origin.x + s(150), origin.y + s(14), &hit), S_OK);
  EXPECT_EQ(hit.vt, VT_I4);
  EXPECT_EQ(hit.lVal, 1) << "the Y line";
  ASSERT_EQ(client->accHitTest(origin.x + s(140), origin.y + s(60), &hit), S_OK);
  EXPECT_EQ(hit.vt, VT_I4);
  EXPECT_EQ(hit.lVal, CHILDID_SELF) << "between the keys";
  EXPECT_EQ(client->accHitTest(origin.x - 5, origin.y - 5, &hit), S_FALSE);
}

TEST_P(Accessible, NavigationWalksTheChildrenInOrder) {
  Held<IAccessible> client = ClientOf(hwnd());
  ASSERT_TRUE(client);
  VARIANT to;
  VariantInit(&to);
  ASSERT_EQ(client->accNavigate(NAVDIR_FIRSTCHILD, Child(CHILDID_SELF), &to), S_OK);
  ASSERT_EQ(to.vt, VT_DISPATCH) << "the display, an object of its own";
  Held<IAccessible> display = AsAccessible(to.pdispVal);
  EXPECT_EQ(Name(display.get()), "Display");
  ASSERT_EQ(client->accNavigate(NAVDIR_LASTCHILD, Child(CHILDID_SELF), &to), S_OK);
  EXPECT_EQ(to.vt, VT_I4);
  EXPECT_EQ(to.lVal, 31);
  EXPECT_EQ(Name(client.get(), to.lVal), "point");
  ASSERT_EQ(client->accNavigate(NAVDIR_NEXT, Child(KeyChild("SIN")), &to), S_OK);
  EXPECT_EQ(Name(client.get(), to.lVal), "cos");
  ASSERT_EQ(client->accNavigate(NAVDIR_PREVIOUS, Child(2), &to), S_OK);
  ASSERT_EQ(to.vt, VT_DISPATCH);
  AsAccessible(to.pdispVal);
  EXPECT_EQ(client->accNavigate(NAVDIR_NEXT, Child(31), &to), S_FALSE) << "nothing after the last";
  // From the display itself to its next sibling, the first key.
  ASSERT_EQ(display->accNavigate(NAVDIR_NEXT, Child(CHILDID_SELF), &to), S_OK);
  ASSERT_EQ(to.vt, VT_DISPATCH);
  Held<IAccessible> log = AsAccessible(to.pdispVal);
  EXPECT_EQ(Name(log.get()), "log");
  // Up again.
  IDispatch* up = nullptr;
  ASSERT_EQ(display->get_accParent(&up), S_OK);
  Held<IAccessible> parent = AsAccessible(up);
  EXPECT_EQ(Name(parent.get()), "Quarvel Calculator");
  ASSERT_EQ(client->get_accParent(&up), S_OK);
  Held<IAccessible> frame = AsAccessible(up);
  // The window's own object, made by oleacc (Wine's gives no role).
  EXPECT_TRUE(frame) << "the window's own object";
}

TEST_P(Accessible, TheFocusIsTheDisplay) {
  SetFocus(hwnd());
  ASSERT_EQ(GetFocus(), hwnd());
  Held<IAccessible> client = ClientOf(hwnd());
  ASSERT_TRUE(client);
  VARIANT focus;
  VariantInit(&focus);
  ASSERT_EQ(client->get_accFocus(&focus), S_OK);
  ASSERT_EQ(focus.vt, VT_DISPATCH);
  Held<IAccessible> display = AsAccessible(focus.pdispVal);
  EXPECT_EQ(Name(display.get()), "Display");
  EXPECT_EQ(State(display.get()) & (STATE_SYSTEM_FOCUSED | STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_READONLY),
            STATE_SYSTEM_FOCUSED | STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_READONLY);
  SetFocus(nullptr);
  EXPECT_EQ(client->get_accFocus(&focus), S_FALSE);
  EXPECT_EQ(focus.vt, VT_EMPTY);
  EXPECT_EQ(State(display.get()) & STATE_SYSTEM_FOCUSED, 0);
}

TEST_P(Accessible, TheLayoutsAndAbout) {
  Held<IAccessible> client = ClientOf(hwnd());
  ASSERT_TRUE(client);
  window_.Press({'1', vk::Return, '2'});
  window_.calc.ChooseSize(Platform::WindowSize::Medium);
  EXPECT_EQ(ChildCount(client.get()), 1) << "Medium: the display alone";
  Held<IAccessible> display = ChildObject(client.get(), 1);
  ASSERT_TRUE(display);
  EXPECT_EQ(ChildCount(display.get()), 9);
  EXPECT_EQ(Name(display.get(), 1), "Y: 1.0000");
  EXPECT_EQ(Name(display.get(), 9), "9: 0.0000");
  window_.Press({vk::F12, vk::Return});  // About
  ASSERT_TRUE(window_.calc.AboutShown());
  EXPECT_EQ(ChildCount(client.get()), 0);
  EXPECT_EQ(Value(display.get()), "(failed)") << "a display that doesn't show";
  window_.calc.Image1Click();
  EXPECT_EQ(Value(display.get()), "X: 2") << "and shows again, the entry still going";
}

TEST_P(Accessible, TheDefaultActionPressesTheKeyAfterTheCall) {
  Held<IAccessible> client = ClientOf(hwnd());
  ASSERT_TRUE(client);
  ASSERT_EQ(client->accDoDefaultAction(Child(KeyChild("Seven"))), S_OK);
  EXPECT_EQ(Value(client.get(), 1), "X: 0.0000") << "not inside the call";
  FaceWindow::Pump();
  EXPECT_EQ(Value(client.get(), 1), "X: 7");
  EXPECT_EQ(client->accDoDefaultAction(Child(1)), DISP_E_MEMBERNOTFOUND) << "the display has none";
}

TEST_P(Accessible, ObjectsHeldAfterTheWindowIsGoneSaySo) {
  Held<IAccessible> client = ClientOf(hwnd());
  ASSERT_TRUE(client);
  Held<IAccessible> display = ChildObject(client.get(), 1);
  ASSERT_TRUE(display);
  window_.Destroy();
  BSTR text = nullptr;
  EXPECT_EQ(client->get_accName(Child(CHILDID_SELF), &text), RPC_E_DISCONNECTED);
  EXPECT_EQ(display->get_accValue(Child(CHILDID_SELF), &text), RPC_E_DISCONNECTED);
  LONG count = 0;
  EXPECT_EQ(client->get_accChildCount(&count), RPC_E_DISCONNECTED);
}

// ---- events

struct Event {
  DWORD event;
  LONG object, child;
  bool operator==(const Event&) const = default;
};
std::vector<Event>* caught = nullptr;
HWND watched = nullptr;

void CALLBACK Caught(HWINEVENTHOOK, DWORD event, HWND hwnd, LONG object, LONG child, DWORD, DWORD) {
  if (caught && hwnd == watched && event != EVENT_OBJECT_LOCATIONCHANGE) caught->push_back({event, object, child});
}

class Events : public Accessible {
 protected:
  void SetUp() override {
    caught = &events_;
    watched = hwnd();
    hook_ = SetWinEventHook(EVENT_OBJECT_CREATE, EVENT_OBJECT_VALUECHANGE, nullptr, Caught, GetCurrentProcessId(), 0,
                            WINEVENT_OUTOFCONTEXT);
    ASSERT_NE(hook_, nullptr);
  }
  void TearDown() override {
    UnhookWinEvent(hook_);
    caught = nullptr;
  }
  std::vector<Event> Take() {
    FaceWindow::Pump();
    std::vector<Event> out;
    out.swap(events_);
    return out;
  }
  std::vector<Event> events_;
  HWINEVENTHOOK hook_ = nullptr;
};

// What a screen reader does with an event: the object it is about.
std::string NameFromEvent(HWND hwnd, const Event& e, bool value) {
  IAccessible* object = nullptr;
  VARIANT child;
  VariantInit(&child);
  if (FAILED(AccessibleObjectFromEvent(hwnd, e.object, e.child, &object, &child))) return "(failed)";
  Held<IAccessible> held(object);
  return value ? Value(object, child.lVal) : Name(object, child.lVal);
}

TEST_P(Events, NoneBeforeAClientAsks) {
  Take();
  window_.Press({'2', vk::Return});
  EXPECT_EQ(Take(), std::vector<Event>{});
}

TEST_P(Events, EachKeyTellsTheNewValue) {
  Held<IAccessible> client = ClientOf(hwnd());
  ASSERT_TRUE(client);
  Take();
  const Event valueChange{EVENT_OBJECT_VALUECHANGE, OBJID_CLIENT, 1};
  const std::vector<std::pair<uint16_t, const char*>> steps = {
      {'2', "X: 2"}, {vk::Return, "X: 2.0000"}, {'3', "X: 3"}, {vk::Add, "X: 5.0000"}};
  for (const auto& [key, value] : steps) {
    SCOPED_TRACE(value);
    window_.Press({key});
    const std::vector<Event> events = Take();
    EXPECT_EQ(std::count(events.begin(), events.end(), valueChange), 1);
    EXPECT_EQ(NameFromEvent(hwnd(), valueChange, true), value);
  }
}

TEST_P(Events, TheShiftRenamesKeys) {
  Held<IAccessible> client = ClientOf(hwnd());
  ASSERT_TRUE(client);
  Take();
  window_.Press({vk::F12});
  const std::vector<Event> events = Take();
  const Event sin{EVENT_OBJECT_NAMECHANGE, OBJID_CLIENT, KeyChild("SIN")};
  ASSERT_EQ(std::count(events.begin(), events.end(), sin), 1);
  EXPECT_EQ(NameFromEvent(hwnd(), sin, false), "arcsin");
  EXPECT_EQ(std::count_if(events.begin(), events.end(), [](const Event& e) { return e.event == EVENT_OBJECT_NAMECHANGE; }),
            kDualLegendCount);
  const Event shift{EVENT_OBJECT_STATECHANGE, OBJID_CLIENT, KeyChild("Shift")};
  EXPECT_EQ(std::count(events.begin(), events.end(), shift), 1);
}

TEST_P(Events, ALineAboveXThroughTheDisplaysOwnObject) {
  Held<IAccessible> client = ClientOf(hwnd());
  ASSERT_TRUE(client);
  window_.calc.ChooseSize(Platform::WindowSize::Medium);
  window_.Press({'4', vk::Return});
  const std::vector<Event> first = Take();
  ASSERT_FALSE(first.empty());
  EXPECT_EQ(first.front(), (Event{EVENT_OBJECT_REORDER, OBJID_CLIENT, CHILDID_SELF})) << "the keys went";
  window_.Press({vk::Return});  // 4 in X, Y and Z
  const Event z{EVENT_OBJECT_NAMECHANGE, kAccessibleDisplay, 2};
  const std::vector<Event> events = Take();
  ASSERT_EQ(std::count(events.begin(), events.end(), z), 1);
  EXPECT_EQ(NameFromEvent(hwnd(), z, false), "Z: 4.0000");
}

INSTANTIATE_TEST_SUITE_P(AtEachScale, Accessible, ::testing::Values(96, 144, 192));
INSTANTIATE_TEST_SUITE_P(AtEachScale, Events, ::testing::Values(96, 192));

}  // namespace
}  // namespace nimbrel
