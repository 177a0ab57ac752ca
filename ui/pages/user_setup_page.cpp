#include "ui/pages/user_setup_page.h"

#include <commctrl.h>

#include "ui/framework/button_menu.h"
#include "ui/framework/configuration_images.h"
#include "ui/framework/list_columns.h"

namespace avex::ui {

namespace {

constexpr int kNameColumnWidth = 130;
// The name column and the few pixels the view keeps beside its columns.
constexpr int kNameColumnSpace = 136;
constexpr char kReconnectMessage[] =
    "You will need to disconnect and reconnect Wardline to see the list of users published to the plugin.";

void SetRowTicked(HWND list, int row, bool ticked) {
  LVITEMA state = {};
  state.stateMask = LVIS_STATEIMAGEMASK;
  state.state = INDEXTOSTATEIMAGEMASK(ticked ? 2 : 1);
  SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&state));
}

bool IsRowTicked(HWND list, int row) {
  const LRESULT state = SendMessageA(list, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_STATEIMAGEMASK);
  return (static_cast<UINT>(state) & LVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(2);
}

// The entry a row shows, or null.
const AccessEntry* EntryOfRow(HWND list, int row) {
  LVITEMA item = {};
  item.mask = LVIF_PARAM;
  item.iItem = row;
  if (SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)) == FALSE) return nullptr;
  return reinterpret_cast<const AccessEntry*>(item.lParam);
}

int RowCount(HWND list) { return static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)); }

}  // namespace

CUserSetupPage::CUserSetupPage(PluginConfiguration& configuration)
    : CTabPage(IDD_USER_SETUP), configuration_(configuration) {
  SetIcon(kIcon);
}

DataExchangeTable CUserSetupPage::DataExchangeFields() {
  return {CheckField(IDC_APPLY_TO_ALL_USERS, &applyToAllUsers_)};
}

LRESULT CUserSetupPage::OnInitDialog(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) {
  applyToAllUsers_ = configuration_.settings.applyToAllUsers != 0;
  CTabPage::OnInitDialog(message, wParam, lParam, handled);
  SendMessageA(List(), LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT,
               LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
  // The list shares the dialog's images (its template says so): it leaves
  // them alone when it goes.
  if (const ConfigurationImages* images = ConfigurationImages::Current()) {
    SendMessageA(List(), LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images->List()));
  }
  InsertColumns();
  EnableUserChoice(!applyToAllUsers_);
  InsertRows();
  return TRUE;
}

void CUserSetupPage::InsertColumns() {
  RECT area;
  GetWindowRect(List(), &area);
  InsertListColumn(List(), 0, "Filtering enabled for", kNameColumnWidth);
  InsertListColumn(List(), 1, "Description",
               area.right - area.left - GetSystemMetrics(SM_CXVSCROLL) - kNameColumnSpace);
}

void CUserSetupPage::InsertRows() {
  int row = 0;
  for (const auto& [name, entry] : configuration_.accessRights.Entries()) {
    LVITEMA item = {};
    item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
    item.iItem = row;
    item.pszText = const_cast<char*>(entry.name.c_str());
    item.iImage = entry.isGroup != 0 ? kGroupImage : kUserImage;
    item.lParam = reinterpret_cast<LPARAM>(&entry);
    row = static_cast<int>(SendMessageA(List(), LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    if (row < 0) return;
    LVITEMA description = {};
    description.iSubItem = 1;
    description.pszText = const_cast<char*>(entry.description.c_str());
    SendMessageA(List(), LVM_SETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&description));
    SetRowTicked(List(), row, entry.state != 0);
    ++row;
  }
}

void CUserSetupPage::EnableUserChoice(bool enable) {
  EnableItem(IDC_USER_LIST, enable);
  EnableItem(IDC_USER_SET, enable);
  EnableItem(IDC_USER_CLEAR, enable);
}

CUserSetupPage::Rows CUserSetupPage::ChooseRows(int button, bool tick) const {
  return static_cast<Rows>(ChooseFromButtonMenu(
      hwnd_, Item(button),
      {{static_cast<UINT>(Rows::Users), tick ? "Set all users" : "Clear all users"},
       {static_cast<UINT>(Rows::Groups), tick ? "Set all groups" : "Clear all groups"},
       {static_cast<UINT>(Rows::Everyone), tick ? "Set everyone" : "Clear everyone"}}));
}

LRESULT CUserSetupPage::ChooseAndMark(int button, bool tick) {
  const Rows rows = ChooseRows(button, tick);
  if (rows == Rows::None) return 0;
  for (int row = 0; row < RowCount(List()); ++row) {
    const AccessEntry* entry = EntryOfRow(List(), row);
    if (entry == nullptr) continue;
    const bool affected = rows == Rows::Everyone || (rows == Rows::Groups) == (entry->isGroup != 0);
    if (affected) SetRowTicked(List(), row, tick);
  }
  return 0;
}

LRESULT CUserSetupPage::OnApplyToAllUsersClicked(WORD, WORD, HWND, BOOL&) {
  if (!DoDataExchange(true)) return 0;
  EnableUserChoice(!applyToAllUsers_);
  if (!applyToAllUsers_ && RowCount(List()) == 0) {
    ShowMessage(GetAncestor(hwnd_, GA_ROOT), kReconnectMessage, MB_OK | MB_ICONINFORMATION);
  }
  return 0;
}

bool CUserSetupPage::Apply() {
  for (int row = 0; row < RowCount(List()); ++row) {
    if (const AccessEntry* entry = EntryOfRow(List(), row)) {
      configuration_.accessRights.SetState(entry->name, IsRowTicked(List(), row) ? 1 : 0);
    }
  }
  configuration_.settings.applyToAllUsers = applyToAllUsers_ ? 1 : 0;
  return true;
}

}  // namespace avex::ui
