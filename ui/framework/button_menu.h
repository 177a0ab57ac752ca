// The pop-up menus the pages open from a button ("Set...", "Import Body",
// "Classify..."): shown just below the button's lower left corner, and the
// chosen command handed back rather than sent.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace avex::ui {

struct MenuChoice {
  UINT command;  // not 0, which stands for no choice
  std::string text;
};

// The command of the item chosen, 0 when the menu was dismissed or could
// not be shown. Runs the menu's own modal loop on the calling thread.
UINT ChooseFromButtonMenu(HWND owner, HWND button, const std::vector<MenuChoice>& choices);

}  // namespace avex::ui
