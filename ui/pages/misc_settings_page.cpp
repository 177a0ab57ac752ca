#include "ui/pages/misc_settings_page.h"

namespace avex::ui {

namespace {

constexpr int64_t kLongestInterval = 2147483647;

}  // namespace

CMiscSettingsPage::CMiscSettingsPage(PluginConfiguration& configuration)
    : CTabPage(IDD_MISC_SETTINGS), configuration_(configuration) {
  SetIcon(kIcon);
}

DataExchangeTable CMiscSettingsPage::DataExchangeFields() {
  return {CheckField(IDC_AUTOMATIC_UPDATES, &autoUpdate_),
          IntegerField(IDC_UPDATE_INTERVAL, &interval_, 1, kLongestInterval),
          TextField(IDC_UPDATE_SERVER, &server_)};
}

LRESULT CMiscSettingsPage::OnInitDialog(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) {
  CTabPage::OnInitDialog(message, wParam, lParam, handled);
  interval_ = configuration_.settings.staticListUpdateInterval;
  autoUpdate_ = configuration_.settings.useStaticListUpdates != 0;
  server_ = configuration_.updateServer.name;
  DoDataExchange(false);
  EnableUpdateFields(autoUpdate_);
  return TRUE;
}

void CMiscSettingsPage::EnableUpdateFields(bool enable) {
  EnableItem(IDC_UPDATE_INTERVAL, enable);
  EnableItem(IDC_UPDATE_SERVER, enable);
}

LRESULT CMiscSettingsPage::OnAutomaticUpdatesClicked(WORD, WORD, HWND, BOOL&) {
  EnableUpdateFields(IsDlgButtonChecked(hwnd_, IDC_AUTOMATIC_UPDATES) == BST_CHECKED);
  return 0;
}

bool CMiscSettingsPage::Apply() {
  if (!DoDataExchange(true)) return false;
  configuration_.updateServer.name = server_;
  configuration_.updateServer.port = kUpdateServerPort;
  configuration_.settings.useStaticListUpdates = autoUpdate_ ? 1 : 0;
  configuration_.settings.staticListUpdateInterval = static_cast<uint32_t>(interval_);
  return true;
}

}  // namespace avex::ui
