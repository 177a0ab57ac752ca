#include "ui/framework/tab_dialog.h"

#include "plugin/plugin_application.h"

namespace avex::ui {

bool CTabDialog::RequestHelp() {
  CTabSheet* sheet = GetTabSheet();
  CTabPage* page = sheet != nullptr ? sheet->GetActivePage() : nullptr;
  application_.ContextHelpRequest();
  return page != nullptr;
}

LRESULT CTabDialog::OnHelpMessage(UINT, WPARAM, LPARAM, BOOL& handled) {
  handled = RequestHelp() ? TRUE : FALSE;
  return TRUE;
}

}  // namespace avex::ui
