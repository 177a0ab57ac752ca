#include "host/win32/dialog_driver.h"

#include <commctrl.h>

#include "host/png_file.h"
#include "resources/resource_ids.h"
#include "version.h"

namespace avex::host {

namespace {

constexpr char kDialogTitle[] = AVEX_PRODUCT_NAME;
constexpr DWORD kPollInterval = 20;
// The file name box of the system's file dialogs: a combo box in the
// explorer style, an edit box in the old one.
constexpr int kFileNameCombo = 0x47C;
constexpr int kFileNameEdit = 0x480;

std::string ClassOf(HWND window) {
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

std::string TextOf(HWND window) {
  char text[1024] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

struct ThreadDialogSearch {
  HWND owner;
  HWND found;
};

BOOL CALLBACK FindConfigurationDialog(HWND window, LPARAM data) {
  auto* search = reinterpret_cast<ThreadDialogSearch*>(data);
  if (ClassOf(window) == "#32770" && TextOf(window) == kDialogTitle && IsWindowVisible(window) &&
      GetWindow(window, GW_OWNER) == nullptr) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

bool IsFileDialog(HWND window) {
  return GetDlgItem(window, kFileNameCombo) != nullptr || GetDlgItem(window, kFileNameEdit) != nullptr;
}

BOOL CALLBACK FindOwnedFileDialog(HWND window, LPARAM data) {
  auto* search = reinterpret_cast<ThreadDialogSearch*>(data);
  if (IsWindowVisible(window) && GetWindow(window, GW_OWNER) == search->owner && IsFileDialog(window)) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

BOOL CALLBACK FindOwnedDialog(HWND window, LPARAM data) {
  auto* search = reinterpret_cast<ThreadDialogSearch*>(data);
  if (ClassOf(window) == "#32770" && IsWindowVisible(window) && GetWindow(window, GW_OWNER) == search->owner &&
      !IsFileDialog(window)) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

// The pop-up menu a window of the thread tracks; the system may keep hidden
// menu windows of the same class around.
BOOL CALLBACK FindShownMenu(HWND window, LPARAM data) {
  auto* search = reinterpret_cast<ThreadDialogSearch*>(data);
  if (ClassOf(window) == "#32768" && IsWindowVisible(window)) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

std::string TreeItemText(HWND tree, HTREEITEM item) {
  char text[256] = {};
  TVITEMA data = {};
  data.mask = TVIF_TEXT;
  data.hItem = item;
  data.pszText = text;
  data.cchTextMax = sizeof text;
  SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&data));
  return text;
}

}  // namespace

HWND DialogDriver::WaitForDialog(DWORD uiThread, DWORD timeoutMs) {
  HWND dialog = nullptr;
  WaitFor(
      [&] {
        ThreadDialogSearch search = {nullptr, nullptr};
        EnumThreadWindows(uiThread, FindConfigurationDialog, reinterpret_cast<LPARAM>(&search));
        dialog = search.found;
        return dialog != nullptr && DialogDriver(dialog).ActivePage() != nullptr;
      },
      timeoutMs);
  return dialog;
}

DialogDriver::DialogDriver(HWND dialog) : dialog_(dialog) {}

DWORD DialogDriver::UiThread() const { return GetWindowThreadProcessId(dialog_, nullptr); }

HWND DialogDriver::Tree() const { return GetDlgItem(GetDlgItem(dialog_, IDC_SHEET_PLACEHOLDER), IDC_SHEET_TREE); }

std::vector<std::string> DialogDriver::TreeItems() const {
  std::vector<std::string> items;
  HWND tree = Tree();
  for (HTREEITEM item = TreeView_GetRoot(tree); item != nullptr; item = TreeView_GetNextSibling(tree, item)) {
    items.push_back(TreeItemText(tree, item));
  }
  return items;
}

std::vector<int> DialogDriver::TreeItemImages() const {
  std::vector<int> images;
  HWND tree = Tree();
  for (HTREEITEM item = TreeView_GetRoot(tree); item != nullptr; item = TreeView_GetNextSibling(tree, item)) {
    TVITEMA data = {};
    data.mask = TVIF_IMAGE;
    data.hItem = item;
    SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&data));
    images.push_back(data.iImage);
  }
  return images;
}

std::string DialogDriver::SelectedTreeItem() const {
  HTREEITEM item = TreeView_GetSelection(Tree());
  return item != nullptr ? TreeItemText(Tree(), item) : std::string();
}

bool DialogDriver::SelectTreeItem(const std::string& title) const {
  HWND tree = Tree();
  for (HTREEITEM item = TreeView_GetRoot(tree); item != nullptr; item = TreeView_GetNextSibling(tree, item)) {
    if (TreeItemText(tree, item) != title) continue;
    PostMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
    return true;
  }
  return false;
}

HWND DialogDriver::ActivePage() const {
  HWND sheet = GetDlgItem(dialog_, IDC_SHEET_PLACEHOLDER);
  for (HWND child = GetWindow(sheet, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    if (ClassOf(child) == "#32770" && IsWindowVisible(child)) return child;
  }
  return nullptr;
}

std::string DialogDriver::ActivePageTitle() const {
  HWND page = ActivePage();
  return page != nullptr ? TextOf(page) : std::string();
}

HWND DialogDriver::Control(int id) const {
  HWND page = ActivePage();
  HWND control = page != nullptr ? GetDlgItem(page, id) : nullptr;
  return control != nullptr ? control : GetDlgItem(dialog_, id);
}

bool DialogDriver::IsChecked(int id) const {
  return SendMessageA(Control(id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

std::string DialogDriver::Text(int id) const { return TextOf(Control(id)); }

void DialogDriver::Type(int id, const std::string& text) const {
  SendMessageA(Control(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

bool DialogDriver::Click(int id) const {
  HWND button = Control(id);
  if (button == nullptr || !IsWindowEnabled(button) || !IsWindowVisible(button)) return false;
  PostMessageA(button, BM_CLICK, 0, 0);
  return true;
}

bool DialogDriver::ChooseComboItem(int id, const std::string& text) const {
  HWND combo = Control(id);
  const LRESULT index = SendMessageA(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                     reinterpret_cast<LPARAM>(text.c_str()));
  if (index == CB_ERR) return false;
  SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  SendMessageA(GetParent(combo), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(combo));
  return true;
}

std::vector<std::string> DialogDriver::ComboItems(int id) const {
  HWND combo = Control(id);
  std::vector<std::string> items;
  const LRESULT count = SendMessageA(combo, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    std::string text(static_cast<size_t>(SendMessageA(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0)) + 1, '\0');
    SendMessageA(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&text[0]));
    items.push_back(text.c_str());
  }
  return items;
}

std::vector<std::string> DialogDriver::ListBoxLines(int id) const {
  HWND list = Control(id);
  std::vector<std::string> lines;
  const LRESULT count = SendMessageA(list, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    std::string text(static_cast<size_t>(SendMessageA(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0)) + 1, '\0');
    SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&text[0]));
    lines.push_back(text.c_str());
  }
  return lines;
}

int DialogDriver::ListRowCount(int id) const {
  return static_cast<int>(SendMessageA(Control(id), LVM_GETITEMCOUNT, 0, 0));
}

std::string DialogDriver::ListText(int id, int row, int column) const {
  char text[1024] = {};
  LVITEMA item = {};
  item.iSubItem = column;
  item.pszText = text;
  item.cchTextMax = sizeof text;
  SendMessageA(Control(id), LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
  return text;
}

LPARAM DialogDriver::ListItemData(int id, int row) const {
  LVITEMA item = {};
  item.mask = LVIF_PARAM;
  item.iItem = row;
  SendMessageA(Control(id), LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
  return item.lParam;
}

std::vector<int> DialogDriver::SelectedListRows(int id) const {
  std::vector<int> rows;
  for (int row = -1;
       (row = static_cast<int>(SendMessageA(Control(id), LVM_GETNEXTITEM, static_cast<WPARAM>(row), LVNI_SELECTED))) != -1;) {
    rows.push_back(row);
  }
  return rows;
}

bool DialogDriver::IsListRowChecked(int id, int row) const {
  return ListView_GetCheckState(Control(id), row) != FALSE;
}

RECT DialogDriver::ListCellRect(int id, int row, int column) const {
  HWND list = Control(id);
  RECT cell = {};
  if (row < 0 || row >= ListRowCount(id)) return cell;
  cell.top = column;
  cell.left = LVIR_BOUNDS;
  if (SendMessageA(list, LVM_GETSUBITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&cell)) == FALSE) {
    return RECT{};
  }
  // The first column's bounds are the whole row's: it ends where the second begins.
  if (column == 0 && Header_GetItemCount(ListView_GetHeader(list)) > 1) {
    RECT next = {};
    next.top = 1;
    next.left = LVIR_BOUNDS;
    SendMessageA(list, LVM_GETSUBITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&next));
    cell.right = next.left;
  }
  MapWindowPoints(list, nullptr, reinterpret_cast<POINT*>(&cell), 2);
  return cell;
}

HWND DialogDriver::ListWithRowInView(int id, int row) const {
  HWND list = Control(id);
  if (list == nullptr || row < 0 || row >= ListRowCount(id)) return nullptr;
  SendMessageA(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
  return list;
}

void DialogDriver::PostClick(HWND window, POINT point, WPARAM keys) {
  const LPARAM at = MAKELPARAM(point.x, point.y);
  PostMessageA(window, WM_MOUSEMOVE, keys, at);
  PostMessageA(window, WM_LBUTTONDOWN, keys | MK_LBUTTON, at);
  PostMessageA(window, WM_LBUTTONUP, keys, at);
}

bool DialogDriver::ClickListRow(int id, int row, bool control) const {
  HWND list = ListWithRowInView(id, row);
  if (list == nullptr) return false;
  RECT label = {};
  label.left = LVIR_LABEL;
  SendMessageA(list, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&label));
  PostClick(list, POINT{label.left + 2, (label.top + label.bottom) / 2}, control ? MK_CONTROL : 0);
  Settle();
  return true;
}

bool DialogDriver::ClickListCheckBox(int id, int row) const {
  HWND list = ListWithRowInView(id, row);
  if (list == nullptr) return false;
  RECT bounds = {};
  bounds.left = LVIR_BOUNDS;
  SendMessageA(list, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&bounds));
  // The check box is the row's state icon, left of its text: find it as the
  // list's own hit test sees it.
  for (int x = bounds.left; x < bounds.right; ++x) {
    LVHITTESTINFO hit = {};
    hit.pt = POINT{x, (bounds.top + bounds.bottom) / 2};
    if (SendMessageA(list, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)) != row ||
        (hit.flags & LVHT_ONITEMSTATEICON) == 0) {
      continue;
    }
    PostClick(list, hit.pt);
    Settle();
    return true;
  }
  return false;
}

bool DialogDriver::ClickListBelowRows(int id) const {
  const int rows = ListRowCount(id);
  HWND list = rows > 0 ? ListWithRowInView(id, rows - 1) : Control(id);
  if (list == nullptr) return false;
  RECT client;
  GetClientRect(list, &client);
  int below = client.top;
  if (rows > 0) {
    RECT last = {};
    last.left = LVIR_BOUNDS;
    SendMessageA(list, LVM_GETITEMRECT, static_cast<WPARAM>(rows - 1), reinterpret_cast<LPARAM>(&last));
    below = last.bottom;
  }
  if (client.bottom - below < 2) return false;
  PostClick(list, POINT{client.left + 4, (below + client.bottom) / 2});
  Settle();
  return true;
}

int DialogDriver::SliderPosition(int id) const {
  return static_cast<int>(SendMessageA(Control(id), TBM_GETPOS, 0, 0));
}

bool DialogDriver::SlideWithKeys(int id, int position) const {
  HWND slider = Control(id);
  const int pageStep = static_cast<int>(SendMessageA(slider, TBM_GETPAGESIZE, 0, 0));
  const int range = static_cast<int>(SendMessageA(slider, TBM_GETRANGEMAX, 0, 0) -
                                     SendMessageA(slider, TBM_GETRANGEMIN, 0, 0));
  // Never more presses than a walk across the whole range with the arrows.
  for (int presses = 0; presses <= range; ++presses) {
    if (FocusedControl() != slider) return false;
    const int distance = position - SliderPosition(id);
    if (distance == 0) return true;
    if (distance >= pageStep) {
      PressKeys({VK_NEXT});
    } else if (distance <= -pageStep) {
      PressKeys({VK_PRIOR});
    } else {
      PressKeys({static_cast<WORD>(distance > 0 ? VK_RIGHT : VK_LEFT)});
    }
  }
  return false;
}

void DialogDriver::ClickIntoText(int id, int position) const {
  HWND edit = Control(id);
  const LRESULT at = SendMessageA(edit, EM_POSFROMCHAR, static_cast<WPARAM>(position), 0);
  PostMessageA(edit, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageA(edit, WM_LBUTTONUP, 0, at);
  Settle();
}

int DialogDriver::ListRowImage(int id, int row) const {
  LVITEMA item = {};
  item.mask = LVIF_IMAGE;
  item.iItem = row;
  SendMessageA(Control(id), LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
  return item.iImage;
}

void DialogDriver::Focus(HWND control) const {
  // The dialog manager of the nearest dialog around the control moves the focus.
  HWND holder = GetParent(control);
  while (holder != nullptr && ClassOf(holder) != "#32770") holder = GetParent(holder);
  SendMessageA(holder != nullptr ? holder : dialog_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
}

HWND DialogDriver::FocusedControl() const {
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  GetGUIThreadInfo(UiThread(), &info);
  return info.hwndFocus;
}

void DialogDriver::PressKeys(const std::vector<WORD>& keys) const {
  SetForegroundWindow(dialog_);
  std::vector<INPUT> inputs;
  for (WORD key : keys) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    inputs.push_back(input);
  }
  for (auto key = keys.rbegin(); key != keys.rend(); ++key) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = *key;
    input.ki.dwFlags = KEYEVENTF_KEYUP;
    inputs.push_back(input);
  }
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
  Settle();
}

HWND DialogDriver::WaitForMessageBox(DWORD timeoutMs) const {
  HWND box = nullptr;
  WaitFor(
      [&] {
        ThreadDialogSearch search = {dialog_, nullptr};
        EnumThreadWindows(UiThread(), FindOwnedDialog, reinterpret_cast<LPARAM>(&search));
        box = search.found;
        return box != nullptr;
      },
      timeoutMs);
  return box;
}

bool DialogDriver::AnswerFileDialog(const std::string& path, DWORD timeoutMs) const {
  HWND fileDialog = nullptr;
  WaitFor(
      [&] {
        ThreadDialogSearch search = {dialog_, nullptr};
        EnumThreadWindows(UiThread(), FindOwnedFileDialog, reinterpret_cast<LPARAM>(&search));
        fileDialog = search.found;
        return fileDialog != nullptr;
      },
      timeoutMs);
  if (fileDialog == nullptr) return false;
  HWND name = GetDlgItem(fileDialog, kFileNameCombo);
  if (name == nullptr) name = GetDlgItem(fileDialog, kFileNameEdit);
  SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
  PostMessageA(fileDialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(fileDialog, IDOK)));
  return WaitFor([&] { return !IsWindow(fileDialog); }, timeoutMs);
}

std::string DialogDriver::WindowText(HWND window) { return TextOf(window); }

bool DialogDriver::ChooseMenuItem(const std::string& text, DWORD timeoutMs) const {
  constexpr UINT kGetMenuHandle = 0x01E1;  // MN_GETHMENU
  HWND menuWindow = nullptr;
  WaitFor(
      [&] {
        ThreadDialogSearch search = {nullptr, nullptr};
        EnumThreadWindows(UiThread(), FindShownMenu, reinterpret_cast<LPARAM>(&search));
        menuWindow = search.found;
        return menuWindow != nullptr;
      },
      timeoutMs);
  if (menuWindow == nullptr) return false;
  const auto press = [&](WORD key) {
    PostMessageA(menuWindow, WM_KEYDOWN, key, 0);
    PostMessageA(menuWindow, WM_KEYUP, key, 0xC0000000);
  };
  const auto closed = [&] {
    return WaitFor([&] { return !IsWindow(menuWindow) || !IsWindowVisible(menuWindow); }, timeoutMs);
  };

  // The arrow keys step over separators only; the steps are counted from
  // the item that is highlighted now, if any.
  HMENU menu = reinterpret_cast<HMENU>(SendMessageA(menuWindow, kGetMenuHandle, 0, 0));
  int highlighted = -1;
  int target = -1;
  bool greyed = false;
  int steps = 0;
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    const UINT state = GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION);
    if ((state & MF_SEPARATOR) != 0) continue;
    if ((state & MF_HILITE) != 0) highlighted = steps;
    char item[256] = {};
    GetMenuStringA(menu, static_cast<UINT>(i), item, sizeof item, MF_BYPOSITION);
    if (!text.empty() && text == item && target < 0) {
      target = steps;
      greyed = (state & (MF_GRAYED | MF_DISABLED)) != 0;
    }
    ++steps;
  }
  if (target < 0 || greyed) {
    press(VK_ESCAPE);
    closed();
    return text.empty();
  }
  // With nothing highlighted, the first Down highlights the first item.
  for (int at = highlighted; at < target; ++at) press(VK_DOWN);
  for (int at = highlighted; at > target; --at) press(VK_UP);
  press(VK_RETURN);
  return closed();
}

std::string DialogDriver::MessageBoxText(HWND box) {
  std::string text;
  for (HWND child = GetWindow(box, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    if (ClassOf(child) != "Static" || (GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) continue;
    const std::string line = TextOf(child);
    if (line.size() > text.size()) text = line;
  }
  return text;
}

void DialogDriver::AnswerMessageBox(HWND box, int id) { PostMessageA(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

bool DialogDriver::WaitFor(const std::function<bool()>& condition, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  while (!condition()) {
    if (GetTickCount() - start > timeoutMs) return false;
    Sleep(kPollInterval);
  }
  return true;
}

void DialogDriver::Settle() const {
  for (int round = 0; round < 3; ++round) {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(dialog_, WM_NULL, 0, 0, SMTO_NORMAL, kPatience, &ignored);
    Sleep(50);
  }
}

bool DialogDriver::Screenshot(const std::string& path) const {
  RedrawWindow(dialog_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_ERASE);
  Settle();
  RECT frame;
  GetWindowRect(dialog_, &frame);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  if (width <= 0 || height <= 0) return false;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO format = {};
  format.bmiHeader.biSize = sizeof format.bmiHeader;
  format.bmiHeader.biWidth = width;
  format.bmiHeader.biHeight = -height;  // top-down
  format.bmiHeader.biPlanes = 1;
  format.bmiHeader.biBitCount = 32;
  format.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP picture = CreateDIBSection(screen, &format, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ previous = SelectObject(memory, picture);
  BitBlt(memory, 0, 0, width, height, screen, frame.left, frame.top, SRCCOPY);
  GdiFlush();
  std::vector<uint8_t> rgb(static_cast<size_t>(width) * static_cast<size_t>(height) * 3);
  const auto* pixels = static_cast<const uint8_t*>(bits);
  for (size_t i = 0; i < static_cast<size_t>(width) * static_cast<size_t>(height); ++i) {
    rgb[i * 3] = pixels[i * 4 + 2];
    rgb[i * 3 + 1] = pixels[i * 4 + 1];
    rgb[i * 3 + 2] = pixels[i * 4];
  }
  SelectObject(memory, previous);
  DeleteObject(picture);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return WritePng(path, static_cast<uint32_t>(width), static_cast<uint32_t>(height), rgb);
}

}  // namespace avex::host
