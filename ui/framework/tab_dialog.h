// CTabDialog: a dialog that holds a tab sheet. It answers the window's help
// request (F1) by asking the application's help handler for the active
// page's topic.
#pragma once

#include "ui/framework/dialog.h"
#include "ui/framework/tab_sheet.h"

namespace avex {
class PluginApplication;
}

namespace avex::ui {

class CTabDialog : public Dialog {
 public:
  CTabDialog(int templateId, PluginApplication& application) : Dialog(templateId), application_(application) {}

  virtual CTabSheet* GetTabSheet() = 0;

  // The help request: true when it was handled for the active page.
  bool RequestHelp();

  BEGIN_MSG_MAP(CTabDialog)
    MESSAGE_HANDLER(WM_HELP, OnHelpMessage)
    CHAIN_MSG_MAP(Dialog)
  END_MSG_MAP()

 protected:
  PluginApplication& Application() { return application_; }

 private:
  LRESULT OnHelpMessage(UINT, WPARAM, LPARAM, BOOL& handled);

  PluginApplication& application_;
};

}  // namespace avex::ui
