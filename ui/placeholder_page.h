// CPlaceholderPage: a page whose template is shown with every control greyed
// out, for pages that do not work yet; an administrator sees what will be
// there and that it cannot be used.
#pragma once

#include "ui/tab_page.h"

namespace avex::ui {

class CPlaceholderPage : public CTabPage {
 public:
  CPlaceholderPage(int templateId, int icon) : CTabPage(templateId) { SetIcon(icon); }

  BEGIN_MSG_MAP(CPlaceholderPage)
    MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
    CHAIN_MSG_MAP(CTabPage)
  END_MSG_MAP()

 private:
  LRESULT OnInitDialog(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) {
    CTabPage::OnInitDialog(message, wParam, lParam, handled);
    DisableAllControls();
    return TRUE;
  }
};

}  // namespace avex::ui
