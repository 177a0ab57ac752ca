#include "ui/framework/tab_dialog.h"

#include "plugin/plugin_application.h"

namespace avex::ui {

bool CTabDialog::RequestHelp() {
  CTabSheet* sheet = GetTabSheet();
  CTabPage* page = sheet != nullptr ? sheet->GetActivePage() : nullptr;
  if (page != nullptr) {
    application_.ContextHelpRequest(kHelpContextBase + static_cast<uint32_t>(page->TemplateId()), HELP_CONTEXT);
    return true;
  }
  application_.ContextHelpRequest(kHelpContextBase + static_cast<uint32_t>(TemplateId()), HELP_CONTEXT);
  return false;
}

LRESULT CTabDialog::OnHelpMessage(UINT, WPARAM, LPARAM, BOOL& handled) {
  handled = RequestHelp() ? TRUE : FALSE;
  return TRUE;
}

}  // namespace avex::ui
