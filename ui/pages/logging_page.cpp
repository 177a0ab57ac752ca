#include "ui/pages/logging_page.h"

namespace avex::ui {

CLoggingPage::CLoggingPage(PluginConfiguration& configuration)
    : CTabPage(IDD_LOGGING),
      logging_(configuration.logging),
      choice_(configuration.logging.enabled != 0 ? 1 : 0),
      logBlocked_(configuration.logging.logBlocked),
      logAllowed_(configuration.logging.logAllowed),
      logConfigurationChanges_(configuration.logging.logConfigurationChanges) {
  SetIcon(kIcon);
}

DataExchangeTable CLoggingPage::DataExchangeFields() {
  return {RadioField(IDC_LOGGING_OFF, &choice_), CheckField(IDC_LOG_BLOCKED, &logBlocked_),
          CheckField(IDC_LOG_ALLOWED, &logAllowed_),
          CheckField(IDC_LOG_CONFIGURATION_CHANGES, &logConfigurationChanges_)};
}

LRESULT CLoggingPage::OnInitDialog(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) {
  CTabPage::OnInitDialog(message, wParam, lParam, handled);
  EnableEventBoxes();
  return TRUE;
}

LRESULT CLoggingPage::OnChoiceClicked(WORD, WORD, HWND, BOOL&) {
  EnableEventBoxes();
  return 0;
}

void CLoggingPage::EnableEventBoxes() {
  if (!DoDataExchange(true)) return;
  const bool logging = choice_ == 1;
  EnableItem(IDC_LOG_BLOCKED, logging);
  EnableItem(IDC_LOG_ALLOWED, logging);
  EnableItem(IDC_LOG_CONFIGURATION_CHANGES, logging);
}

bool CLoggingPage::Apply() {
  if (!DoDataExchange(true)) return false;
  logging_.logBlocked = logBlocked_;
  logging_.logAllowed = logAllowed_;
  logging_.logConfigurationChanges = logConfigurationChanges_;
  logging_.enabled = choice_ == 1 ? 1 : 0;
  return true;
}

}  // namespace avex::ui
