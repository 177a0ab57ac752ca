// CConfigurationDialog: the modal configuration dialog of the console, "OK",
// "Cancel" and "Help" under a tab sheet with the pages in their fixed order.
// The pages work on copies of a draft of the live configuration and write
// them into the draft only when OK is accepted by every page, in a fixed
// order; the first page that refuses comes to the front and the dialog stays
// open. An accepted draft becomes the live configuration whole.
//
// One instance serves one modal run on the console's user-interface thread.
#pragma once

#include <cstdint>
#include <vector>

#include "resources/resource_ids.h"
#include "ui/pages/about_page.h"
#include "ui/pages/categories_page.h"
#include "ui/framework/configuration_images.h"
#include "ui/pages/custom_responses_page.h"
#include "ui/pages/logging_page.h"
#include "ui/pages/manual_classifications_page.h"
#include "ui/pages/misc_settings_page.h"
#include "ui/framework/tab_dialog.h"
#include "ui/framework/tab_sheet.h"
#include "ui/pages/test_url_page.h"
#include "ui/pages/user_setup_page.h"
#include "plugin/plugin_application.h"

namespace avex::ui {

class CConfigurationDialog final : public CTabDialog, private HelpTopicSource {
 public:
  static constexpr int kTreePaneWidth = 160;

  explicit CConfigurationDialog(PluginApplication& application);
  ~CConfigurationDialog() override;

  CTabSheet* GetTabSheet() override { return &sheet_; }

  // Runs the dialog modally: IDOK (1) when closed by OK, IDCANCEL (2) otherwise.
  INT_PTR Run() { return RunModal(); }

  // The Help button's topic for the active page.
  uint32_t ActiveHelpTopic() const override;

  bool PreTranslateMessage(MSG& message) override;

  BEGIN_MSG_MAP(CConfigurationDialog)
    MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
    MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
    COMMAND_ID_HANDLER(IDC_CONFIGURATION_OK, OnOK)
    COMMAND_ID_HANDLER(IDOK, OnOK)
    COMMAND_ID_HANDLER(IDC_CONFIGURATION_CANCEL, OnCancel)
    COMMAND_ID_HANDLER(IDCANCEL, OnCancel)
    COMMAND_ID_HANDLER(IDC_CONFIGURATION_HELP, OnHelp)
    CHAIN_MSG_MAP(CTabDialog)
  END_MSG_MAP()

 private:
  struct PageEntry {
    CTabPage* page;
    uint32_t helpTopic;
  };

  LRESULT OnInitDialog(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
  LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL& handled);
  LRESULT OnOK(WORD, WORD, HWND, BOOL&);
  LRESULT OnCancel(WORD, WORD, HWND, BOOL&);
  LRESULT OnHelp(WORD, WORD, HWND, BOOL&);
  // The first page whose Apply refuses, in the OK order; null when all accept.
  CTabPage* ApplyPages();

  // Declared before the pages, which bind to it.
  PluginConfiguration draft_;
  CTabSheet sheet_;
  ConfigurationImages images_;
  CCategoriesPage categoriesPage_;
  CManualClassificationsPage manualClassificationsPage_;
  CUserSetupPage userSetupPage_;
  CCustomResponsesPage customResponsesPage_;
  CAboutPage aboutPage_;
  CMiscSettingsPage miscSettingsPage_;
  CLoggingPage loggingPage_;
  CTestUrlPage testUrlPage_;
  bool loggingPageShown_;
  // The pages in tree order, with their help topics.
  std::vector<PageEntry> pageTable_;
};

}  // namespace avex::ui
