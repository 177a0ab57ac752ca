#include "ui/framework/button_menu.h"

namespace avex::ui {

UINT ChooseFromButtonMenu(HWND owner, HWND button, const std::vector<MenuChoice>& choices) {
  HMENU menu = CreatePopupMenu();
  if (menu == nullptr) return 0;
  for (const MenuChoice& choice : choices) AppendMenuA(menu, MF_STRING, choice.command, choice.text.c_str());
  RECT bounds = {};
  GetWindowRect(button, &bounds);
  const BOOL chosen = TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RETURNCMD | TPM_NONOTIFY, bounds.left,
                                     bounds.bottom, 0, owner, nullptr);
  DestroyMenu(menu);
  return static_cast<UINT>(chosen);
}

}  // namespace avex::ui
