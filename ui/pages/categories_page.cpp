#include "ui/pages/categories_page.h"

#include <cmath>
#include <cstdint>
#include <cstdio>

#include "ui/framework/list_columns.h"

namespace avex::ui {

namespace {

constexpr int kCategoryColumn = 0;
constexpr int kPercentageColumn = 1;
constexpr int kPercentageColumnWidth = 100;
// The Category column takes what the Percentage column, the vertical scroll
// bar and the list's border leave.
constexpr int kCategoryColumnAllowance = 105;
// The slider covers this much of the right of a row: its percentage cell.
constexpr int kSliderWidth = 100;
// Room above and below the slider's thumb inside its row.
constexpr int kThumbMargin = 4;

// A level as a whole percentage, truncated toward zero. A level that came in
// from outside may be anything a float can hold; it must not overflow.
int WholePercent(float level) {
  if (std::isnan(level)) return 0;
  if (level <= -2147483648.0f) return INT32_MIN;
  if (level >= 2147483647.0f) return INT32_MAX;
  return static_cast<int>(level);
}

std::string PercentText(int percent) {
  char text[16];
  std::snprintf(text, sizeof text, "%d%%", percent);
  return text;
}

std::string LevelText(const CategoryInfo& category, float level) {
  return category.levelShown ? PercentText(WholePercent(level)) : "NA";
}

std::string DescriptionWithLevel(const CategoryInfo& category, int percent) {
  char text[160];
  std::snprintf(text, sizeof text, "%s (%d%%)", category.description, percent);
  return text;
}

}  // namespace

CCategoriesPage::CCategoriesPage(PluginConfiguration& configuration)
    : CTabPage(IDD_CATEGORIES), settings_(configuration.settings), categories_(configuration.settings.categories) {
  SetIcon(kIcon);
}

LRESULT CCategoriesPage::OnInitDialog(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) {
  CTabPage::OnInitDialog(message, wParam, lParam, handled);
  HWND list = Item(IDC_CATEGORY_LIST);
  ListView_SetExtendedListViewStyle(list, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
  AddColumns();
  AddRows();
  initialised_ = true;
  ShowWindow(Item(IDC_CATEGORY_LEVEL), SW_HIDE);
  return TRUE;
}

void CCategoriesPage::AddColumns() {
  HWND list = Item(IDC_CATEGORY_LIST);
  RECT frame;
  GetWindowRect(list, &frame);
  const int categoryWidth =
      frame.right - frame.left - GetSystemMetrics(SM_CXVSCROLL) - kCategoryColumnAllowance;
  InsertListColumn(list, kCategoryColumn, "Category", categoryWidth);
  InsertListColumn(list, kPercentageColumn, "Percentage", kPercentageColumnWidth);
}

void CCategoriesPage::AddRows() {
  HWND list = Item(IDC_CATEGORY_LIST);
  int row = 0;
  for (const CategoryInfo& category : CategoryTable) {
    if (!category.listed) continue;
    LVITEMA item = {};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = row;
    item.pszText = const_cast<char*>(category.description);
    item.lParam = category.id;
    SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    const CategorySetting& setting = SettingOf(category);
    SetRowText(row, kPercentageColumn, LevelText(category, setting.level));
    ListView_SetCheckState(list, row, setting.enabled ? TRUE : FALSE);
    ++row;
  }
}

const CategoryInfo* CCategoriesPage::CategoryOfRow(int row) const {
  if (row < 0) return nullptr;
  LVITEMA item = {};
  item.mask = LVIF_PARAM;
  item.iItem = row;
  if (SendMessageA(Item(IDC_CATEGORY_LIST), LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)) == FALSE) {
    return nullptr;
  }
  for (const CategoryInfo& category : CategoryTable) {
    if (category.listed && category.id == static_cast<int32_t>(item.lParam)) return &category;
  }
  return nullptr;
}

CategorySetting& CCategoriesPage::SettingOf(const CategoryInfo& category) {
  return categories_[static_cast<size_t>(&category - CategoryTable.data())];
}

bool CCategoriesPage::IsRowChecked(int row) const {
  return ListView_GetCheckState(Item(IDC_CATEGORY_LIST), row) != FALSE;
}

void CCategoriesPage::SetRowText(int row, int column, const std::string& text) const {
  LVITEMA item = {};
  item.iSubItem = column;
  item.pszText = const_cast<char*>(text.c_str());
  SendMessageA(Item(IDC_CATEGORY_LIST), LVM_SETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

void CCategoriesPage::ShowRowAtRest(int row) {
  const CategoryInfo* category = CategoryOfRow(row);
  if (category == nullptr) return;
  SetRowText(row, kCategoryColumn, category->description);
  SetRowText(row, kPercentageColumn, LevelText(*category, SettingOf(*category).level));
}

bool CCategoriesPage::SliderShown() const {
  // The style, not IsWindowVisible: the slider stays shown while another page
  // hides this one.
  return (GetWindowLongA(Item(IDC_CATEGORY_LEVEL), GWL_STYLE) & WS_VISIBLE) != 0;
}

int CCategoriesPage::SliderPosition() const {
  return static_cast<int>(SendMessageA(Item(IDC_CATEGORY_LEVEL), TBM_GETPOS, 0, 0));
}

void CCategoriesPage::StoreSliderForCurrentRow() {
  const CategoryInfo* category = CategoryOfRow(currentRow_);
  if (category == nullptr) return;
  CategorySetting& setting = SettingOf(*category);
  setting.level = static_cast<float>(SliderPosition());
  setting.enabled = IsRowChecked(currentRow_);
}

void CCategoriesPage::LeaveCurrentRow() {
  if (currentRow_ < 0 || !SliderShown()) return;
  StoreSliderForCurrentRow();
  ShowRowAtRest(currentRow_);
}

void CCategoriesPage::PlaceSliderOverRow(int row) {
  HWND list = Item(IDC_CATEGORY_LIST);
  RECT cell;
  ListView_GetItemRect(list, row, &cell, LVIR_BOUNDS);
  cell.left = cell.right - kSliderWidth;
  MapWindowPoints(list, hwnd_, reinterpret_cast<POINT*>(&cell), 2);
  HWND slider = Item(IDC_CATEGORY_LEVEL);
  // A row is lower than a track bar's usual thumb: the thumb keeps to the row.
  const int height = cell.bottom - cell.top;
  SendMessageA(slider, TBM_SETTHUMBLENGTH, static_cast<WPARAM>(height > kThumbMargin ? height - kThumbMargin : height), 0);
  SetWindowPos(slider, nullptr, cell.left, cell.top, cell.right - cell.left, height,
               SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

LRESULT CCategoriesPage::OnRowStateChanged(int, NMHDR* header, BOOL&) {
  const auto* change = reinterpret_cast<const NMLISTVIEW*>(header);
  if (!initialised_ || (change->uChanged & LVIF_STATE) == 0 || change->iItem < 0) return 0;
  LeaveCurrentRow();

  // A click on a row's check box changes that row's state too: this is
  // where the check box reaches the settings.
  currentRow_ = change->iItem;
  const CategoryInfo* category = CategoryOfRow(currentRow_);
  if (category == nullptr) return 0;
  CategorySetting& setting = SettingOf(*category);
  setting.enabled = IsRowChecked(currentRow_);

  if (!category->levelShown) {
    ShowWindow(Item(IDC_CATEGORY_LEVEL), SW_HIDE);
    PostMessageA(hwnd_, kShowSliderMessage, 0, 0);
    return 0;
  }
  PlaceSliderOverRow(currentRow_);
  const int percent = WholePercent(setting.level);
  SetRowText(currentRow_, kCategoryColumn, DescriptionWithLevel(*category, percent));
  SendMessageA(Item(IDC_CATEGORY_LEVEL), TBM_SETPOS, TRUE, percent);
  PostMessageA(hwnd_, kShowSliderMessage, 1, 0);
  return 0;
}

LRESULT CCategoriesPage::OnHorizontalScroll(UINT, WPARAM wParam, LPARAM lParam, BOOL& handled) {
  if (reinterpret_cast<HWND>(lParam) != Item(IDC_CATEGORY_LEVEL)) {
    handled = FALSE;
    return 0;
  }
  // Every step and every move of a dragged thumb counts; the end of a drag
  // and the end of a scroll repeat a position already stored.
  const int code = LOWORD(wParam);
  if (code > TB_BOTTOM || code == TB_THUMBPOSITION) return 0;
  const int position = SliderPosition();
  const CategoryInfo* category = CategoryOfRow(currentRow_);
  if (category == nullptr) return 0;
  CategorySetting& setting = SettingOf(*category);
  setting.level = static_cast<float>(position);
  setting.enabled = IsRowChecked(currentRow_);
  SetRowText(currentRow_, kCategoryColumn,
             category->levelShown ? DescriptionWithLevel(*category, position) : category->description);
  return 0;
}

LRESULT CCategoriesPage::OnListClick(int, NMHDR* header, BOOL&) {
  if (reinterpret_cast<const NMITEMACTIVATE*>(header)->iItem != -1) return 0;
  // A click beside the rows puts the slider away; its row goes back to
  // showing its level in the Percentage column, as a row left behind does.
  ShowRowAtRest(currentRow_);
  PostMessageA(hwnd_, kShowSliderMessage, 0, 0);
  return 0;
}

LRESULT CCategoriesPage::OnShowSlider(UINT, WPARAM show, LPARAM, BOOL&) {
  HWND slider = Item(IDC_CATEGORY_LEVEL);
  if (show == 1) {
    ShowWindow(slider, SW_SHOWNA);
    SetFocus(slider);
  } else {
    ShowWindow(slider, SW_HIDE);
  }
  return 0;
}

bool CCategoriesPage::Apply() {
  if (!DoDataExchange(true)) return false;
  if (currentRow_ >= 0 && SliderShown()) StoreSliderForCurrentRow();
  settings_.categories = categories_;
  return true;
}

void CCategoriesPage::CopyCurrentSettings(FilterSettings& target) {
  if (!DoDataExchange(true)) return;
  target.categories = categories_;
}

}  // namespace avex::ui
