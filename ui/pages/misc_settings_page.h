// CMiscSettingsPage: automatic updates of the engine's static URL list, how
// often they run (minutes) and the server they come from.
#pragma once

#include <cstdint>
#include <string>

#include "config/plugin_configuration.h"
#include "resources/resource_ids.h"
#include "ui/framework/tab_page.h"

namespace avex::ui {

class CMiscSettingsPage : public CTabPage {
 public:
  static constexpr int kIcon = 13;
  static constexpr uint32_t kUpdateServerPort = 80;

  explicit CMiscSettingsPage(PluginConfiguration& configuration);

  // Writes the page's values into the configuration; false, after the
  // validation message, when the interval is no whole number of minutes from
  // 1 to 2147483647.
  bool Apply();

  BEGIN_MSG_MAP(CMiscSettingsPage)
    MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
    COMMAND_HANDLER(IDC_AUTOMATIC_UPDATES, BN_CLICKED, OnAutomaticUpdatesClicked)
    CHAIN_MSG_MAP(CTabPage)
  END_MSG_MAP()

 protected:
  DataExchangeTable DataExchangeFields() override;

 private:
  LRESULT OnInitDialog(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
  LRESULT OnAutomaticUpdatesClicked(WORD, WORD, HWND, BOOL&);
  void EnableUpdateFields(bool enable);

  PluginConfiguration& configuration_;
  bool autoUpdate_ = false;
  int64_t interval_ = 1;
  std::string server_;
};

}  // namespace avex::ui
