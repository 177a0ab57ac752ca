#include "ui/pages/manual_classifications_page.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>

#include "common/category_table.h"
#include "lists/storable_text.h"
#include "lists/url.h"
#include "ui/framework/file_dialogs.h"
#include "ui/framework/list_columns.h"

namespace avex::ui {

namespace {

constexpr int kTypeColumnWidth = 50;
constexpr char kPageProperty[] = "AVexManualClassificationsPage";
constexpr char kExportFilters[] = "All Files (*.*)|*.*|";
const char* const kEntryTypeChoices[] = {"Any URL containing", "The following URL", "The following site"};

void AddComboItem(HWND combo, const char* text, LPARAM data) {
  const LRESULT index = SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
  SendMessageA(combo, CB_SETITEMDATA, static_cast<WPARAM>(index), data);
}

}  // namespace

CManualClassificationsPage::CManualClassificationsPage(PluginConfiguration& configuration)
    : CTabPage(IDD_MANUAL_CLASSIFICATIONS), configuration_(configuration) {
  SetIcon(kIcon);
}

DataExchangeTable CManualClassificationsPage::DataExchangeFields() {
  return {TextField(IDC_MANUAL_ENTRY_TEXT, &entryText_), ComboIndexField(IDC_MANUAL_ENTRY_TYPE, &typeIndex_)};
}

LRESULT CManualClassificationsPage::OnInitDialog(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) {
  // The type combo gets its items first, so that the data exchange can select one.
  for (const char* choice : kEntryTypeChoices) {
    SendMessageA(Item(IDC_MANUAL_ENTRY_TYPE), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(choice));
  }
  CTabPage::OnInitDialog(message, wParam, lParam, handled);
  SendMessageA(List(), LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
  InsertColumns();
  AnswerItemDataForTheView();
  rows_ = ManualRows(configuration_.settings.lists);
  ShowRowCount(false);
  FillClassificationCombo();
  UpdateButtons();
  return TRUE;
}

void CManualClassificationsPage::AnswerItemDataForTheView() {
  SetPropA(List(), kPageProperty, this);
  listProcedure_ = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(List(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ListProcedure)));
}

LRESULT CALLBACK CManualClassificationsPage::ListProcedure(HWND list, UINT message, WPARAM wParam,
                                                           LPARAM lParam) {
  auto* page = static_cast<CManualClassificationsPage*>(GetPropA(list, kPageProperty));
  if (page == nullptr) return DefWindowProcA(list, message, wParam, lParam);
  const WNDPROC view = page->listProcedure_;
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrA(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(view));
    RemovePropA(list, kPageProperty);
    return CallWindowProcA(view, list, message, wParam, lParam);
  }
  const LRESULT result = CallWindowProcA(view, list, message, wParam, lParam);
  if ((message == LVM_GETITEMA || message == LVM_GETITEMW) && lParam != 0) {
    // LVITEMA and LVITEMW agree up to the text; the item data lies beyond it at the same place.
    auto* item = reinterpret_cast<LVITEMA*>(lParam);
    if ((item->mask & LVIF_PARAM) != 0 && item->iItem >= 0 &&
        static_cast<size_t>(item->iItem) < page->rows_.size()) {
      item->lParam = page->rows_[static_cast<size_t>(item->iItem)].categoryId;
    }
  }
  return result;
}

void CManualClassificationsPage::InsertColumns() {
  RECT area;
  GetWindowRect(List(), &area);
  const int shared = (area.right - area.left - GetSystemMetrics(SM_CXVSCROLL) - kTypeColumnWidth) / 2;
  InsertListColumn(List(), 0, "URL", shared);
  InsertListColumn(List(), 1, "Category", shared);
  InsertListColumn(List(), 2, "Type", kTypeColumnWidth);
}

void CManualClassificationsPage::FillClassificationCombo() {
  HWND combo = Item(IDC_MANUAL_CLASSIFICATION);
  AddComboItem(combo, CategoryAllowedLabel, CategoryAllowed);
  for (const CategoryInfo& category : CategoryTable) {
    if (category.listed) AddComboItem(combo, category.description, category.id);
  }
  SendMessageA(combo, CB_SETCURSEL, 0, 0);
}

void CManualClassificationsPage::ShowRowCount(bool keepScroll) {
  SendMessageA(List(), LVM_SETITEMCOUNT, rows_.size(), keepScroll ? LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL : 0);
  if (!keepScroll) InvalidateRect(List(), nullptr, TRUE);
}

bool CManualClassificationsPage::AddRow(const std::string& text, int32_t categoryId, int type) {
  if (!rows_.Add({text, categoryId, type})) return false;
  ShowRowCount(true);
  return true;
}

bool CManualClassificationsPage::Apply() {
  rows_.WriteInto(&configuration_.settings.lists);
  return true;
}

LRESULT CManualClassificationsPage::OnGetDisplayInfo(int, NMHDR* header, BOOL&) {
  // Both forms of the request carry the item in the same place; only the
  // text's character width differs.
  LVITEMA& item = reinterpret_cast<NMLVDISPINFOA*>(header)->item;
  if (item.iItem < 0 || static_cast<size_t>(item.iItem) >= rows_.size()) return 0;
  const ManualRow& row = rows_[static_cast<size_t>(item.iItem)];
  if ((item.mask & LVIF_PARAM) != 0) item.lParam = row.categoryId;
  if ((item.mask & LVIF_TEXT) == 0) return 0;
  shownText_ = item.iSubItem == 0   ? row.text
               : item.iSubItem == 1 ? ManualRowCategoryText(row.categoryId)
                                    : ManualRowTypeText(row.type);
  if (header->code == LVN_GETDISPINFOW) {
    const int length = MultiByteToWideChar(CP_ACP, 0, shownText_.c_str(), -1, nullptr, 0);
    shownWideText_.assign(static_cast<size_t>(std::max(length, 1)), L'\0');
    MultiByteToWideChar(CP_ACP, 0, shownText_.c_str(), -1, &shownWideText_[0], length);
    reinterpret_cast<NMLVDISPINFOW*>(header)->item.pszText = &shownWideText_[0];
  } else {
    item.pszText = &shownText_[0];
  }
  return 0;
}

void CManualClassificationsPage::ClearSelection() {
  LVITEMA none = {};
  none.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageA(List(), LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&none));
}

std::vector<size_t> CManualClassificationsPage::SelectedRows() const {
  std::vector<size_t> selected;
  for (int row = -1; (row = static_cast<int>(SendMessageA(List(), LVM_GETNEXTITEM, static_cast<WPARAM>(row),
                                                          LVNI_SELECTED))) != -1;) {
    selected.push_back(static_cast<size_t>(row));
  }
  return selected;
}

void CManualClassificationsPage::UpdateAddButton() {
  const std::string typed = ItemText(IDC_MANUAL_ENTRY_TEXT);
  EnableItem(IDC_MANUAL_ADD, !typed.empty() && !rows_.Contains(typed));
}

void CManualClassificationsPage::UpdateButtons() {
  UpdateAddButton();
  const bool listFocused = GetFocus() == List();
  const LRESULT selected = SendMessageA(List(), LVM_GETSELECTEDCOUNT, 0, 0);
  EnableItem(IDC_MANUAL_REMOVE, listFocused && selected >= 1);
  EnableItem(IDC_MANUAL_UP, listFocused && selected == 1);
  EnableItem(IDC_MANUAL_DOWN, listFocused && selected == 1);
}

LRESULT CManualClassificationsPage::OnEntryTextChanged(WORD, WORD, HWND, BOOL&) {
  UpdateAddButton();
  return 0;
}

LRESULT CManualClassificationsPage::OnListSelectionChanged(int, NMHDR*, BOOL&) {
  UpdateButtons();
  return 0;
}

LRESULT CManualClassificationsPage::OnAdd(WORD, WORD, HWND, BOOL&) {
  if (!DoDataExchange(true)) return 0;
  entryText_ = NormaliseUrl(entryText_);
  HWND combo = Item(IDC_MANUAL_CLASSIFICATION);
  const LRESULT choice = SendMessageA(combo, CB_GETCURSEL, 0, 0);
  const int32_t categoryId =
      choice == CB_ERR ? CategoryAllowed : static_cast<int32_t>(SendMessageA(combo, CB_GETITEMDATA, choice, 0));
  // A text that normalises to nothing would match every request.
  if (entryText_.empty()) {
    UpdateButtons();
    return 0;
  }
  const ManualEntryType type = static_cast<ManualEntryType>(typeIndex_);
  if (!IsStorableListText(type, entryText_)) {
    // Kept until the next start and then gone: refused where it is typed.
    ShowMessage(GetAncestor(hwnd_, GA_ROOT),
                "This entry is " + std::to_string(entryText_.size()) + " characters long. A " +
                    ManualRowTypeText(type) + " entry can be at most " +
                    std::to_string(LongestStorableListText(type)) + " characters long.",
                MB_OK | MB_ICONEXCLAMATION);
    SetFocus(Item(IDC_MANUAL_ENTRY_TEXT));
    return 0;
  }
  AddRow(entryText_, categoryId, typeIndex_);
  UpdateButtons();
  return 0;
}

LRESULT CManualClassificationsPage::OnRemove(WORD, WORD, HWND, BOOL&) {
  const std::vector<size_t> selected = SelectedRows();
  if (selected.empty()) {
    UpdateButtons();
    return 0;
  }
  char question[512];
  if (selected.size() > 1) {
    std::snprintf(question, sizeof question,
                  "Are you sure you want to remove the %d selected entries from the list ?",
                  static_cast<int>(selected.size()));
  } else {
    std::snprintf(question, sizeof question, "Are you sure you want to remove '%.400s' from the list ?",
                  rows_[selected.front()].text.c_str());
  }
  if (MessageBoxA(GetAncestor(hwnd_, GA_ROOT), question, "Confirm Delete", MB_YESNO | MB_ICONQUESTION) == IDYES) {
    rows_.Remove(selected);
    ClearSelection();
    ShowRowCount(false);
  }
  UpdateButtons();
  return 0;
}

LRESULT CManualClassificationsPage::Move(int direction) {
  const std::vector<size_t> selected = SelectedRows();
  if (selected.empty()) return 0;
  const long from = static_cast<long>(selected.front());
  const long to = from + direction;
  if (to < 0 || to >= static_cast<long>(rows_.size())) return 0;
  rows_.Swap(static_cast<size_t>(from), static_cast<size_t>(to));
  ClearSelection();
  LVITEMA state = {};
  state.stateMask = state.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageA(List(), LVM_SETITEMSTATE, static_cast<WPARAM>(to), reinterpret_cast<LPARAM>(&state));
  SendMessageA(List(), LVM_REDRAWITEMS, static_cast<WPARAM>(std::min(from, to)), std::max(from, to));
  SendMessageA(List(), LVM_ENSUREVISIBLE, static_cast<WPARAM>(to), FALSE);
  SetFocus(List());
  UpdateButtons();
  return 0;
}

LRESULT CManualClassificationsPage::OnImport(WORD, WORD, HWND, BOOL&) {
  HWND root = GetAncestor(hwnd_, GA_ROOT);
  const std::optional<std::string> path = AskFileToOpen(root, kImportFileFilters);
  if (!path) return 0;
  // Read-only: a list file that may not be changed (a downloaded one, say)
  // is still a list to import.
  std::FILE* file = std::fopen(path->c_str(), "rb");
  if (file == nullptr) {
    ShowMessage(root, "The file " + *path + " could not be opened.", MB_OK | MB_ICONEXCLAMATION);
    return 0;
  }
  rows_.Import(file);
  std::fclose(file);
  ShowRowCount(true);
  return 0;
}

LRESULT CManualClassificationsPage::OnExport(WORD, WORD, HWND, BOOL&) {
  HWND root = GetAncestor(hwnd_, GA_ROOT);
  const std::optional<std::string> path = AskFileToSave(root, kExportFilters);
  if (!path) return 0;
  std::FILE* file = std::fopen(path->c_str(), "wb");
  if (file == nullptr) {
    ShowMessage(root, "The file " + *path + " could not be created.", MB_OK | MB_ICONEXCLAMATION);
    return 0;
  }
  const long written = rows_.Export(file);
  const bool closed = std::fclose(file) == 0;
  if (written < 0 || !closed) {
    ShowMessage(root, "The file " + *path + " could not be written completely.", MB_OK | MB_ICONEXCLAMATION);
    return 0;
  }
  std::vector<char> done(path->size() + 64);
  std::snprintf(done.data(), done.size(), "%d entries exported to %s\n", static_cast<int>(written), path->c_str());
  MessageBoxA(root, done.data(), "Export Done", MB_OK | MB_ICONINFORMATION);
  return 0;
}

}  // namespace avex::ui
