// Popup menus made from tables: each row is an item (or, with id 0, a
// separator line), with its shortcut's text and its radio group.
#pragma once

#include <windows.h>

#include <span>

namespace nimbrel::win {

struct MenuItem {
  int id;                          // 0: a separator line
  const char* caption = nullptr;
  const char* shortcut = nullptr;  // shown right-aligned; the keys themselves are the owner's
  int radioGroup = 0;              // items of one nonzero group check one another out
};

class PopupMenu {
 public:
  explicit PopupMenu(std::span<const MenuItem> items);
  ~PopupMenu();
  PopupMenu(const PopupMenu&) = delete;
  PopupMenu& operator=(const PopupMenu&) = delete;

  // A check mark on or off.
  void Check(int id, bool checked);
  // Greyed (false) or usable again.
  void Enable(int id, bool enabled);
  // The radio mark on this item, off the others of its group.
  void CheckRadio(int id);
  // The default (bold) item.
  void SetDefault(int id);
  // Opens centred on the point (screen coordinates), or with its top-left
  // corner there, and waits for a choice; the chosen item's WM_COMMAND goes
  // to the owner.
  void Track(HWND owner, POINT at, bool centred = true);

 private:
  std::span<const MenuItem> items_;
  HMENU menu_;
};

}  // namespace nimbrel::win
