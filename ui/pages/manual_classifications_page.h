// CManualClassificationsPage: the administrator's own classifications of
// URLs, sites and URL fragments, as one list of rows with Add, Remove, Up,
// Down, and Import and Export of list files. The list view is virtual: it
// shows the page's own rows (ManualRows) and asks for the texts of the rows
// it draws, so that lists of hundreds of thousands of entries open, import
// and export at once. The manual lists of the settings are replaced from the
// rows only by Apply.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <string>
#include <vector>

#include "config/plugin_configuration.h"
#include "lists/manual_rows.h"
#include "resources/resource_ids.h"
#include "ui/framework/tab_page.h"

namespace avex::ui {

class CManualClassificationsPage : public CTabPage {
 public:
  static constexpr int kIcon = 3;

  explicit CManualClassificationsPage(PluginConfiguration& configuration);

  // Replaces the three manual lists of the settings with the rows; true.
  bool Apply();

  // Appends a row with the text as given; false when a row has the same
  // text without regard to case.
  bool AddRow(const std::string& text, int32_t categoryId, int type);
  // What Apply does, into other lists (the Test URL page tests with them).
  void WriteRowsInto(ManualLists* lists) const { rows_.WriteInto(lists); }

  BEGIN_MSG_MAP(CManualClassificationsPage)
    MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
    COMMAND_HANDLER(IDC_MANUAL_ENTRY_TEXT, EN_CHANGE, OnEntryTextChanged)
    COMMAND_ID_HANDLER(IDC_MANUAL_ADD, OnAdd)
    COMMAND_ID_HANDLER(IDC_MANUAL_REMOVE, OnRemove)
    COMMAND_ID_HANDLER(IDC_MANUAL_UP, OnUp)
    COMMAND_ID_HANDLER(IDC_MANUAL_DOWN, OnDown)
    COMMAND_ID_HANDLER(IDC_MANUAL_IMPORT, OnImport)
    COMMAND_ID_HANDLER(IDC_MANUAL_EXPORT, OnExport)
    NOTIFY_HANDLER(IDC_MANUAL_LIST, LVN_GETDISPINFOA, OnGetDisplayInfo)
    NOTIFY_HANDLER(IDC_MANUAL_LIST, LVN_GETDISPINFOW, OnGetDisplayInfo)
    NOTIFY_HANDLER(IDC_MANUAL_LIST, NM_CLICK, OnListSelectionChanged)
    NOTIFY_HANDLER(IDC_MANUAL_LIST, LVN_ITEMCHANGED, OnListSelectionChanged)
    NOTIFY_HANDLER(IDC_MANUAL_LIST, LVN_ODSTATECHANGED, OnListSelectionChanged)
    CHAIN_MSG_MAP(CTabPage)
  END_MSG_MAP()

 protected:
  DataExchangeTable DataExchangeFields() override;

 private:
  LRESULT OnInitDialog(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
  LRESULT OnEntryTextChanged(WORD, WORD, HWND, BOOL&);
  LRESULT OnAdd(WORD, WORD, HWND, BOOL&);
  LRESULT OnRemove(WORD, WORD, HWND, BOOL&);
  LRESULT OnUp(WORD, WORD, HWND, BOOL&) { return Move(-1); }
  LRESULT OnDown(WORD, WORD, HWND, BOOL&) { return Move(1); }
  LRESULT OnImport(WORD, WORD, HWND, BOOL&);
  LRESULT OnExport(WORD, WORD, HWND, BOOL&);
  LRESULT OnGetDisplayInfo(int, NMHDR* header, BOOL&);
  LRESULT OnListSelectionChanged(int, NMHDR*, BOOL&);

  HWND List() const { return Item(IDC_MANUAL_LIST); }
  // A virtual list view keeps no item data of its own: the page answers
  // requests for a row's item data (its category id) in the view's place,
  // so that the rows read as those of an ordinary list view.
  void AnswerItemDataForTheView();
  static LRESULT CALLBACK ListProcedure(HWND list, UINT message, WPARAM wParam, LPARAM lParam);
  void InsertColumns();
  void FillClassificationCombo();
  // Tells the view how many rows there are now; `keepScroll` leaves the
  // view where it is (rows were only added at the end).
  void ShowRowCount(bool keepScroll);
  std::vector<size_t> SelectedRows() const;
  void ClearSelection();
  void UpdateAddButton();
  void UpdateButtons();
  LRESULT Move(int direction);

  PluginConfiguration& configuration_;
  WNDPROC listProcedure_ = nullptr;
  ManualRows rows_;
  std::string entryText_;
  int typeIndex_ = ManualEntryUrl;
  // The texts handed to the view for the cell it asked for last: they must
  // stay valid until it asks again.
  std::string shownText_;
  std::wstring shownWideText_;
};

}  // namespace avex::ui
