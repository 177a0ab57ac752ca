// DialogDriver: works the plug-in's configuration dialog from another thread
// of the process that shows it, only as a person could: it selects tree
// items, types into edit boxes, clicks enabled buttons, presses keys and
// answers message boxes, and reads what the dialog shows. Actions that may
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
  bool IsChecked(int id) const;
  std::string Text(int id) const;
  // Replaces the text of an edit box, as typing does (the owner hears of the change).
  void Type(int id, const std::string& text) const;
  // Clicks a button; false, without clicking, when it is disabled or hidden.
  bool Click(int id) const;
  // Picks the item with this text in a drop-down list, as a person does.
  bool ChooseComboItem(int id, const std::string& text) const;

  // List views: rows, cell texts, item data, selection, and a click on a
  // row (with Ctrl held: added to the selection).
  int ListRowCount(int id) const;
  std::string ListText(int id, int row, int column) const;
  LPARAM ListItemData(int id, int row) const;
  std::vector<int> SelectedListRows(int id) const;
  void ClickListRow(int id, int row, bool control = false) const;
  // A row's check box (list views with check boxes) and its small image.
  bool ListRowChecked(int id, int row) const;
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

  HWND dialog_;
};

}  // namespace avex::host
