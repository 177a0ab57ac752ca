// DialogDriver: works the plug-in's configuration dialog from another thread
// of the process that shows it, only as a person could: it selects tree
// items, types into edit boxes, clicks enabled buttons and list rows, presses
// keys and answers message boxes, and reads what the dialog shows. Actions that may
// open a message box are posted, so the driver stays free to answer it; the
// Wait* functions poll until the dialog shows what is expected or the time
// is up. Windows only.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace avex::host {

class DialogDriver {
 public:
  static constexpr DWORD kPatience = 10000;  // ms

  // The configuration dialog of thread `uiThread`, once it has appeared and
  // shows a page; null when it does not within `timeoutMs`.
  static HWND WaitForDialog(DWORD uiThread, DWORD timeoutMs = kPatience);

  explicit DialogDriver(HWND dialog);

  HWND Dialog() const { return dialog_; }
  HWND Tree() const;
  std::vector<std::string> TreeItems() const;
  // The image index of each tree item, in tree order.
  std::vector<int> TreeItemImages() const;
  std::string SelectedTreeItem() const;
  // Selects the tree item with this text (as a click on it does).
  bool SelectTreeItem(const std::string& title) const;

  // The page showing now, and its title.
  HWND ActivePage() const;
  std::string ActivePageTitle() const;
  // Control `id` of the page showing now, or of the dialog itself.
  HWND Control(int id) const;

  bool IsEnabled(int id) const { return IsWindowEnabled(Control(id)) != FALSE; }
  bool IsVisible(int id) const { return IsWindowVisible(Control(id)) != FALSE; }
  bool IsChecked(int id) const;
  std::string Text(int id) const;
  // Replaces the text of an edit box, as typing does (the owner hears of the change).
  void Type(int id, const std::string& text) const;
  // Clicks a button; false, without clicking, when it is disabled or hidden.
  bool Click(int id) const;
  // Picks the item with this text in a drop-down list, as a person does.
  bool ChooseComboItem(int id, const std::string& text) const;
  // The texts of a combo box's items, in order.
  std::vector<std::string> ComboItems(int id) const;

  // The lines of a list box, in order.
  std::vector<std::string> ListBoxLines(int id) const;

  // List views in report view; rows and columns count from 0.
  int ListRowCount(int id) const;
  std::string ListText(int id, int row, int column) const;
  bool IsListRowChecked(int id, int row) const;
  LPARAM ListItemData(int id, int row) const;
  std::vector<int> SelectedListRows(int id) const;
  // Where a cell of a row is on the screen; empty when the row does not exist.
  RECT ListCellRect(int id, int row, int column) const;
  // Clicks a row's text (with Ctrl held: adding it to the selection), or its
  // check box, with the mouse, scrolling the row into view first as a person
  // would; false when there is no such row.
  bool ClickListRow(int id, int row, bool control = false) const;
  bool ClickListCheckBox(int id, int row) const;
  // Scrolls to the end of the list and clicks the empty space below its last
  // row; false when the rows leave no space there.
  bool ClickListBelowRows(int id) const;

  // Track bars.
  int SliderPosition(int id) const;
  // Moves track bar `id`, which must have the focus, to `position` with the
  // keys a person would press: Page Down or Page Up while far away, then the
  // arrow keys. False when it lacks the focus or does not get there.
  bool SlideWithKeys(int id, int position) const;

  // Clicks into an edit box just before the character at `position`, which
  // puts the caret there and gives the box the focus.
  void ClickIntoText(int id, int position) const;
  // A row's small image.
  int ListRowImage(int id, int row) const;

  // Puts the keyboard focus on a control, as Tab would.
  void Focus(HWND control) const;
  HWND FocusedControl() const;
  // Presses `keys` together and lets them go in reverse order (e.g. {VK_CONTROL, VK_TAB}).
  void PressKeys(const std::vector<WORD>& keys) const;

  // Chooses the item with this text in the pop-up menu the dialog's thread
  // shows (as a person does with the arrow keys and Enter), or dismisses the
  // menu with Escape when `text` is empty; false, after Escape, when the menu
  // has no such item or it is greyed; false when no menu appears.
  bool ChooseMenuItem(const std::string& text, DWORD timeoutMs = kPatience) const;

  // A message box the dialog shows, or null after `timeoutMs`.
  HWND WaitForMessageBox(DWORD timeoutMs = kPatience) const;
  // Answers the file dialog the dialog shows with this path; false when
  // none appears.
  bool AnswerFileDialog(const std::string& path, DWORD timeoutMs = kPatience) const;
  static std::string MessageBoxText(HWND box);
  // A window's caption (a message box's, say).
  static std::string WindowText(HWND window);
  // Answers a message box with the button of command `id` (IDOK, IDYES...).
  static void AnswerMessageBox(HWND box, int id);

  // Polls `condition` until it holds or the time is up.
  static bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs = kPatience);
  // Lets the dialog's thread work through what it was sent.
  void Settle() const;

  // Saves what the screen shows of the dialog as a PNG file.
  bool Screenshot(const std::string& path) const;

 private:
  DWORD UiThread() const;
  // The list view `id` with row `row` scrolled into view; null without such a row.
  HWND ListWithRowInView(int id, int row) const;
  // Presses and releases the left mouse button at `point`, a point of the
  // window's client area.
  static void PostClick(HWND window, POINT point, WPARAM keys = 0);

  HWND dialog_;
};

}  // namespace avex::host
