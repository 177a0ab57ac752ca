#include "ui/configuration_dialog.h"

#include <stdexcept>

#include "common/help_contexts.h"
#include "common/result_codes.h"
#include "plugin/configuration_dialog.h"
#include "ui/framework/module_instance.h"

namespace avex::ui {

CConfigurationDialog::CConfigurationDialog(PluginApplication& application)
    : CTabDialog(IDD_CONFIGURATION, application),
      draft_(*application.Configuration()),
      categoriesPage_(draft_),
      manualClassificationsPage_(draft_),
      userSetupPage_(draft_),
      customResponsesPage_(draft_),
      miscSettingsPage_(draft_),
      loggingPage_(draft_),
      testUrlPage_(categoriesPage_, manualClassificationsPage_, *this),
      loggingPageShown_(draft_.hostLoggingCapable != 0) {
  pageTable_ = {{&categoriesPage_, IDH_FILTERED_CATEGORIES},
                {&manualClassificationsPage_, IDH_MANUAL_CLASSIFICATIONS},
                {&userSetupPage_, IDH_USER_SETUP},
                {&miscSettingsPage_, IDH_MISC_SETTINGS},
                {&customResponsesPage_, IDH_CUSTOM_RESPONSES},
                {&testUrlPage_, IDH_TEST_URL}};
  if (loggingPageShown_) pageTable_.push_back({&loggingPage_, IDH_LOGGING});
  pageTable_.push_back({&aboutPage_, IDH_ABOUT});
}

CConfigurationDialog::~CConfigurationDialog() {
  // The pages are children of the sheet: they go before the sheet's own
  // object does.
  if (hwnd_ != nullptr) DestroyWindow(hwnd_);
}

LRESULT CConfigurationDialog::OnInitDialog(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) {
  CTabDialog::OnInitDialog(message, wParam, lParam, handled);
  Application().SetMainWindow(hwnd_, this);
  if (!sheet_.SubclassPlaceholder(hwnd_, IDC_SHEET_PLACEHOLDER)) return TRUE;
  sheet_.SetImageList(images_.List());
  sheet_.SetTreePaneWidth(kTreePaneWidth);
  for (const PageEntry& entry : pageTable_) sheet_.AddPage(entry.page);
  sheet_.SetActivePage(&categoriesPage_);
  return TRUE;
}

LRESULT CConfigurationDialog::OnDestroy(UINT, WPARAM, LPARAM, BOOL& handled) {
  Application().SetMainWindow(nullptr, nullptr);
  handled = FALSE;
  return 0;
}

uint32_t CConfigurationDialog::ActiveHelpTopic() const {
  const CTabPage* active = sheet_.GetActivePage();
  for (const PageEntry& entry : pageTable_) {
    if (entry.page == active) return entry.helpTopic;
  }
  return IDH_ABOUT;
}

CTabPage* CConfigurationDialog::ApplyPages() {
  if (!categoriesPage_.Apply()) return &categoriesPage_;
  if (!manualClassificationsPage_.Apply()) return &manualClassificationsPage_;
  if (!userSetupPage_.Apply()) return &userSetupPage_;
  if (!customResponsesPage_.Apply()) return &customResponsesPage_;
  if (!miscSettingsPage_.Apply()) return &miscSettingsPage_;
  if (loggingPageShown_ && !loggingPage_.Apply()) return &loggingPage_;
  if (!aboutPage_.Apply()) return &aboutPage_;
  return nullptr;
}

LRESULT CConfigurationDialog::OnOK(WORD, WORD, HWND, BOOL&) {
  if (testUrlPage_.Testing()) return 0;
  if (CTabPage* refusing = ApplyPages()) {
    sheet_.SetActivePage(refusing);
    if (refusing->FailedControl() != 0) SetFocus(refusing->Item(refusing->FailedControl()));
    return 0;
  }
  if (!DoDataExchange(true)) return 0;
  // Copied, not moved: the pages go on drawing their rows from the draft
  // until their windows are gone.
  Application().ChangeConfiguration([this](PluginConfiguration& accepted) {
    accepted = draft_;
    return true;
  });
  EndDialog(IDOK);
  return 0;
}

LRESULT CConfigurationDialog::OnCancel(WORD, WORD, HWND, BOOL&) {
  // A URL test uses the pages' settings until it ends: Escape and closing
  // the window wait for it as the disabled buttons do.
  if (testUrlPage_.Testing()) return 0;
  EndDialog(IDCANCEL);
  return 0;
}

LRESULT CConfigurationDialog::OnHelp(WORD, WORD, HWND, BOOL&) {
  Application().ShowHelp(ActiveHelpTopic());
  return 0;
}

bool CConfigurationDialog::PreTranslateMessage(MSG& message) {
  if (message.message == WM_KEYDOWN && message.wParam == VK_RETURN) return true;
  return IsDialogMessageA(hwnd_, &message) != FALSE;
}

}  // namespace avex::ui

namespace avex {

uint32_t RunConfigurationDialog(PluginApplication& application) {
  ui::InitialiseCommonControls();
  ui::CConfigurationDialog dialog(application);
  const INT_PTR result = dialog.Run();
  if (result == -1) throw std::runtime_error("the configuration dialog could not be created");
  return result == IDOK ? ResultOk : ResultNotCompleted;
}

}  // namespace avex
