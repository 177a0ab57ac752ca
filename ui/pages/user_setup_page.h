// CUserSetupPage: whom the filter applies to. Either everybody ("Apply plugin
// to all users") or only the users and groups ticked in the list of those the
// host has published. Set... and Clear... tick or untick the users, the
// groups or every row at once. The ticks are the page's working state: Apply
// writes them into the access rights, with the switch into the settings.
#pragma once

#include <windows.h>

#include "config/plugin_configuration.h"
#include "resources/resource_ids.h"
#include "ui/framework/tab_page.h"

namespace avex::ui {

class CUserSetupPage : public CTabPage {
 public:
  static constexpr int kIcon = 1;
  // The row images, from the configuration images.
  static constexpr int kUserImage = 1;
  static constexpr int kGroupImage = 2;

  // `configuration` must outlive the page: its access rights are the rows.
  explicit CUserSetupPage(PluginConfiguration& configuration);

  // Writes every row's tick into its entry's filtered state and the switch
  // into the settings; true.
  bool Apply();

  BEGIN_MSG_MAP(CUserSetupPage)
    MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
    COMMAND_ID_HANDLER(IDC_USER_SET, OnSet)
    COMMAND_ID_HANDLER(IDC_USER_CLEAR, OnClear)
    COMMAND_HANDLER(IDC_APPLY_TO_ALL_USERS, BN_CLICKED, OnApplyToAllUsersClicked)
    CHAIN_MSG_MAP(CTabPage)
  END_MSG_MAP()

 protected:
  DataExchangeTable DataExchangeFields() override;

 private:
  // Which rows a choice of the Set... or Clear... menu ticks or unticks;
  // also the choice's menu command (none: the menu was dismissed).
  enum class Rows { None = 0, Users, Groups, Everyone };

  LRESULT OnInitDialog(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
  LRESULT OnSet(WORD, WORD, HWND, BOOL&) { return ChooseAndMark(IDC_USER_SET, true); }
  LRESULT OnClear(WORD, WORD, HWND, BOOL&) { return ChooseAndMark(IDC_USER_CLEAR, false); }
  LRESULT OnApplyToAllUsersClicked(WORD, WORD, HWND, BOOL&);

  HWND List() const { return Item(IDC_USER_LIST); }
  void InsertColumns();
  void InsertRows();
  void EnableUserChoice(bool enable);
  // Shows the menu of `button` just below it; ticks or unticks the rows of
  // the choice, nothing when the menu is dismissed.
  LRESULT ChooseAndMark(int button, bool tick);
  Rows ChooseRows(int button, bool tick) const;

  PluginConfiguration& configuration_;
  bool applyToAllUsers_ = true;
};

}  // namespace avex::ui
