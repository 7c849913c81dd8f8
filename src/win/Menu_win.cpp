#include "win/Menu_win.h"

#include <string>

namespace nimbrel::win {

PopupMenu::PopupMenu(std::span<const MenuItem> items) : items_(items), menu_(CreatePopupMenu()) {
  for (const MenuItem& item : items_) {
    if (item.id == 0) {
      AppendMenuA(menu_, MF_SEPARATOR, 0, nullptr);
      continue;
    }
    std::string text = item.caption;
    if (item.shortcut) text = text + '\t' + item.shortcut;
    AppendMenuA(menu_, MF_STRING, static_cast<UINT_PTR>(item.id), text.c_str());
  }
}

PopupMenu::~PopupMenu() { DestroyMenu(menu_); }

void PopupMenu::Check(int id, bool checked) {
  CheckMenuItem(menu_, static_cast<UINT>(id), MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

void PopupMenu::Enable(int id, bool enabled) {
  EnableMenuItem(menu_, static_cast<UINT>(id), MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

void PopupMenu::CheckRadio(int id) {
  int group = 0, first = 0, last = 0;
  for (const MenuItem& item : items_) {
    if (item.id == id) group = item.radioGroup;
  }
  if (group == 0) return Check(id, true);
  for (const MenuItem& item : items_) {
    if (item.radioGroup != group) continue;
    if (first == 0) first = item.id;
    last = item.id;
  }
  CheckMenuRadioItem(menu_, static_cast<UINT>(first), static_cast<UINT>(last), static_cast<UINT>(id), MF_BYCOMMAND);
}

void PopupMenu::SetDefault(int id) { SetMenuDefaultItem(menu_, static_cast<UINT>(id), FALSE); }

void PopupMenu::Track(HWND owner, POINT at, bool centred) {
  TrackPopupMenu(menu_, (centred ? TPM_CENTERALIGN : TPM_LEFTALIGN) | TPM_RIGHTBUTTON, at.x, at.y, 0, owner, nullptr);
}

}  // namespace nimbrel::win
