// What a screen reader is told about the calculator: the display and the
// face keys as a small tree of named items, worked out from the
// application's state. The window serves it through Active Accessibility;
// this half knows nothing of that and is tested without a window.
//
//   client "Quarvel Calculator"
//     display "Display", value the X line ("X: 5.0000", or the number typed)
//       the other visible lines, Y first ("Y: 2.0000", ...)
//     the visible face keys, push buttons named by the legend shown now
//
// An item's id stays the same from one look to the next, whatever the
// layout, so that what changed can be told apart from what moved.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace nimbrel {

class Calculator;

enum class AccessibleRole { Client, StaticText, PushButton };

struct AccessibleItem {
  int id = 0;
  int parent = -1;  // the parent's id; -1 for the client
  AccessibleRole role = AccessibleRole::Client;
  std::string name;      // UTF-8, as a screen reader should say it
  std::string value;     // the display's X line; empty for the rest
  std::string shortcut;  // the keyboard key that does the same ("Insert")
  std::string action;    // the default action ("Press"); empty for none
  bool pressed = false;      // the Shift key while the shift is on
  bool unavailable = false;  // pressing it now does nothing
  bool focusable = false;    // the display: where a screen reader's focus goes
  bool operator==(const AccessibleItem&) const = default;
};

// Item ids: the client 0, the display 1, face key i (index in kFaceKeys)
// 2 + i, the display's line j (1 for Y up to 9) 100 + j.
constexpr int kAccessibleClient = 0;
constexpr int kAccessibleDisplay = 1;
constexpr int AccessibleKeyId(int faceKey) { return 2 + faceKey; }
constexpr int AccessibleLineId(int line) { return 100 + line; }
// The face key of an item id, or -1 when the item is no face key.
int FaceKeyOfAccessible(int id);

// A legend as words to be said: "sin", "arcsin", "10 to the x", "square
// root", "Enter". A legend the table lacks is said as it is written.
std::string_view LegendInWords(std::string_view legend);
// The name of the keyboard key that does what face key `faceKey` does.
std::string_view ShortcutOf(int faceKey);

// The items the calculator shows now: the client first, every parent before
// its children, children in their order. During About the client is empty.
std::vector<AccessibleItem> AccessibleItems(const Calculator& calc);

// What changed between two looks, so the window can tell screen readers.
enum class AccessibleChange {
  Name,      // an item's name (a key's legend, a line's text)
  Value,     // the display's X line
  State,     // pressed or unavailable
  Children,  // the parent's children came, went or were reordered
};
struct AccessibleChangeAt {
  int id;
  AccessibleChange kind;
  bool operator==(const AccessibleChangeAt&) const = default;
};

// The items as last looked at, and what that look found changed.
class AccessibleFace {
 public:
  // Looks at the calculator again. The first look changes nothing: it is
  // what later looks are compared with.
  void Look(const Calculator& calc);
  const std::vector<AccessibleItem>& Items() const { return items_; }
  // In the order of the new look's items; an item's Children change comes
  // before its other changes.
  const std::vector<AccessibleChangeAt>& Changes() const { return changes_; }

 private:
  std::vector<AccessibleItem> items_;
  std::vector<AccessibleChangeAt> changes_;
  bool looked_ = false;
};

}  // namespace nimbrel
