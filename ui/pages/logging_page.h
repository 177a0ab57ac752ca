// CLoggingPage: whether the plug-in writes events to the host's log at all,
// and which: blocked requests, allowed requests, configuration changes.
// Turning logging off greys the event boxes but keeps their ticks.
#pragma once

#include "config/plugin_configuration.h"
#include "resources/resource_ids.h"
#include "ui/framework/tab_page.h"

namespace avex::ui {

class CLoggingPage : public CTabPage {
 public:
  static constexpr int kIcon = 14;

  explicit CLoggingPage(PluginConfiguration& configuration);

  bool Apply();

  BEGIN_MSG_MAP(CLoggingPage)
    MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
    COMMAND_HANDLER(IDC_LOGGING_OFF, BN_CLICKED, OnChoiceClicked)
    COMMAND_HANDLER(IDC_LOGGING_ON, BN_CLICKED, OnChoiceClicked)
    CHAIN_MSG_MAP(CTabPage)
  END_MSG_MAP()

 protected:
  DataExchangeTable DataExchangeFields() override;

 private:
  LRESULT OnInitDialog(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
  LRESULT OnChoiceClicked(WORD, WORD, HWND, BOOL&);
  void EnableEventBoxes();

  LoggingSettings& logging_;
  int choice_;  // 0 "do not log", 1 "log these events"
  bool logBlocked_;
  bool logAllowed_;
  bool logConfigurationChanges_;
};

}  // namespace avex::ui
