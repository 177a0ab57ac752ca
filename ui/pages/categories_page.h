// CCategoriesPage: which content categories are filtered, and above which
// level. One list row per listed category: its check box says whether the
// category is filtered; for the categories whose level is shown, selecting
// the row lays a slider over its percentage cell that sets the level.
//
// The page works on a copy of the category settings taken when it is
// constructed; Apply writes the copy back, so Cancel loses nothing but the
// copy. Rows without the listed flag keep their settings unchanged.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "config/filter_settings.h"
#include "config/plugin_configuration.h"
#include "resources/resource_ids.h"
#include "ui/framework/tab_page.h"

namespace avex::ui {

class CCategoriesPage : public CTabPage {
 public:
  static constexpr int kIcon = 0;
  // Posted to the page to show the slider and give it the focus (wParam 1)
  // or to hide it (any other wParam).
  static constexpr UINT kShowSliderMessage = WM_USER + 1;

  explicit CCategoriesPage(PluginConfiguration& configuration);

  // Writes the page's category settings into the configuration; true.
  bool Apply();
  // The category settings as edited so far, into `target`, without applying them.
  void CopyCurrentSettings(FilterSettings& target);

  BEGIN_MSG_MAP(CCategoriesPage)
    MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
    MESSAGE_HANDLER(WM_HSCROLL, OnHorizontalScroll)
    MESSAGE_HANDLER(kShowSliderMessage, OnShowSlider)
    NOTIFY_HANDLER(IDC_CATEGORY_LIST, LVN_ITEMCHANGED, OnRowStateChanged)
    NOTIFY_HANDLER(IDC_CATEGORY_LIST, NM_CLICK, OnListClick)
    CHAIN_MSG_MAP(CTabPage)
  END_MSG_MAP()

 private:
  LRESULT OnInitDialog(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
  LRESULT OnRowStateChanged(int, NMHDR* header, BOOL&);
  LRESULT OnHorizontalScroll(UINT, WPARAM wParam, LPARAM lParam, BOOL& handled);
  LRESULT OnListClick(int, NMHDR* header, BOOL&);
  LRESULT OnShowSlider(UINT, WPARAM show, LPARAM, BOOL&);

  void AddColumns();
  void AddRows();
  // The table row of list row `row`; null when it has none.
  const CategoryInfo* CategoryOfRow(int row) const;
  CategorySetting& SettingOf(const CategoryInfo& category);
  bool IsRowChecked(int row) const;
  void SetRowText(int row, int column, const std::string& text) const;
  // The row's plain description and its level text ("60%" or "NA").
  void ShowRowAtRest(int row);
  bool SliderShown() const;
  int SliderPosition() const;
  // Stores the slider position as the current row's level and its check
  // box as its enabled flag.
  void StoreSliderForCurrentRow();
  void LeaveCurrentRow();
  void PlaceSliderOverRow(int row);

  FilterSettings& settings_;
  CategorySettings categories_;
  int currentRow_ = -1;
  // Filling the list changes row states too; those are no user changes.
  bool initialised_ = false;
};

}  // namespace avex::ui
