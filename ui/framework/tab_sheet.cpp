#include "ui/framework/tab_sheet.h"

#include "ui/framework/configuration_images.h"
#include "ui/framework/modal_loop.h"
#include "ui/framework/module_instance.h"

namespace avex::ui {

namespace {

constexpr int kPaneGap = 6;
constexpr int kHeaderHeight = 20;
constexpr int kTreeHeaderHeight = 22;
constexpr int kIconSize = 16;
constexpr COLORREF kWhite = RGB(255, 255, 255);
// The page header runs from this grey into the dialog's face colour.
constexpr COLORREF kPageHeaderStart = RGB(0x80, 0x80, 0x80);

bool KeyDown(int key) { return (GetKeyState(key) & 0x8000) != 0; }

}  // namespace

CTabSheet::CTabSheet(const char* gradientLibrary) {
  gradientLibrary_ = LoadLibraryA(gradientLibrary);
  if (gradientLibrary_ != nullptr) {
    gradientFill_ = reinterpret_cast<GradientFillEntry>(
        reinterpret_cast<void*>(GetProcAddress(gradientLibrary_, "GradientFill")));
  }
}

CTabSheet::~CTabSheet() {
  if (hwnd_ != nullptr) {
    SetWindowLongPtrA(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(placeholderProcedure_));
    Detach();
  }
  if (gradientLibrary_ != nullptr) FreeLibrary(gradientLibrary_);
}

bool CTabSheet::SubclassPlaceholder(HWND dialog, int placeholderId) {
  HWND placeholder = GetDlgItem(dialog, placeholderId);
  if (placeholder == nullptr) return false;
  Attach(placeholder);
  placeholderProcedure_ = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(placeholder, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SubclassProcedure)));
  tree_ = CreateWindowExA(0, WC_TREEVIEWA, "",
                          WS_CHILD | WS_VISIBLE | WS_TABSTOP | TVS_HASLINES | TVS_DISABLEDRAGDROP |
                              TVS_SHOWSELALWAYS | TVS_NONEVENHEIGHT,
                          0, 0, 0, 0, placeholder, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kTreeId)),
                          ModuleInstance(), nullptr);
  if (tree_ == nullptr) return false;
  SendMessageA(tree_, TVM_SETITEMHEIGHT, kTreeItemHeight, 0);
  LayoutTree();
  return true;
}

void CTabSheet::SetTreePaneWidth(int width) {
  treePaneWidth_ = width;
  LayoutTree();
}

void CTabSheet::LayoutTree() {
  if (tree_ == nullptr) return;
  RECT client;
  GetClientRect(hwnd_, &client);
  // Inside the pane less 5 pixels on the left and 2 elsewhere, below the header strip.
  MoveWindow(tree_, client.left + 5, client.top + kHeaderHeight + 2, TreePaneWidth(client) - 5 - 2,
             client.bottom - client.top - kHeaderHeight - 2 - 2, TRUE);
}

void CTabSheet::SetImageList(HIMAGELIST images) {
  images_ = images;
  if (tree_ != nullptr) SendMessageA(tree_, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(images));
}

int CTabSheet::TreePaneWidth(const RECT& client) const {
  return treePaneWidth_ == -1 ? (client.right - client.left) / 3 : treePaneWidth_;
}

RECT CTabSheet::PageArea() const {
  RECT area;
  GetClientRect(hwnd_, &area);
  area.left += TreePaneWidth(area) + kPaneGap;
  area.top += kHeaderHeight;
  InflateRect(&area, -2, -2);
  return area;
}

HTREEITEM CTabSheet::AddPage(CTabPage* page) {
  if (tree_ == nullptr) return nullptr;
  pages_.push_back(page);
  page->EnsureCreated(hwnd_);
  TVINSERTSTRUCTA insert = {};
  insert.hParent = TVI_ROOT;
  insert.hInsertAfter = TVI_LAST;
  insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
  insert.item.pszText = const_cast<char*>(page->Title().c_str());
  insert.item.iImage = insert.item.iSelectedImage = page->Icon();
  insert.item.lParam = reinterpret_cast<LPARAM>(page);
  return reinterpret_cast<HTREEITEM>(SendMessageA(tree_, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
}

CTabPage* CTabSheet::Page(int index) const {
  if (index < 0 || index >= PageCount()) return nullptr;
  return pages_[static_cast<size_t>(index)];
}

CTabPage* CTabSheet::GetActivePage() const {
  if (pages_.empty()) return nullptr;
  return activeIndex_ == -1 ? pages_.front() : Page(activeIndex_);
}

bool CTabSheet::SetActivePage(CTabPage* page) {
  int index = -1;
  for (int i = 0; i < PageCount(); ++i) {
    if (pages_[static_cast<size_t>(i)] == page) index = i;
  }
  return SetActivePage(index);
}

bool CTabSheet::SetActivePage(int index) {
  if (index < 0 || index >= PageCount()) return false;
  if (index == activeIndex_) return true;
  CTabPage* page = Page(index);
  if (!page->EnsureCreated(hwnd_)) return false;

  if (CTabPage* showing = Page(activeIndex_)) {
    if (!showing->DoDataExchange(true)) return false;
    ShowWindow(showing->Handle(), SW_HIDE);
  }

  // Right after the tree in the sheet's z-order, which is also the tab order:
  // tree, page, then the dialog's buttons.
  const RECT area = PageArea();
  SetWindowPos(page->Handle(), tree_, area.left, area.top, area.right - area.left, area.bottom - area.top,
               SWP_NOACTIVATE);
  ShowWindow(page->Handle(), SW_SHOW);
  EnableWindow(page->Handle(), TRUE);
  page->DoDataExchange(false);
  pageHeaderTitle_ = page->Title();
  InvalidateRect(hwnd_, nullptr, TRUE);

  activeIndex_ = index;
  SelectActiveItem();
  return true;
}

HTREEITEM CTabSheet::FindItem(CTabPage* page) const {
  for (HTREEITEM item = TreeView_GetRoot(tree_); item != nullptr; item = TreeView_GetNextSibling(tree_, item)) {
    TVITEMA data = {};
    data.mask = TVIF_PARAM;
    data.hItem = item;
    SendMessageA(tree_, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&data));
    if (reinterpret_cast<CTabPage*>(data.lParam) == page) return item;
  }
  return nullptr;
}

void CTabSheet::SelectActiveItem() {
  HTREEITEM item = FindItem(Page(activeIndex_));
  if (item != nullptr && TreeView_GetSelection(tree_) != item) TreeView_SelectItem(tree_, item);
}

LRESULT CTabSheet::OnTreeSelectionChanged(int, NMHDR* header, BOOL&) {
  const NMTREEVIEWA* change = reinterpret_cast<const NMTREEVIEWA*>(header);
  CTabPage* page = reinterpret_cast<CTabPage*>(change->itemNew.lParam);
  // A page that refuses its input stays, and so does its item.
  if (page != nullptr && !SetActivePage(page)) SelectActiveItem();
  return 0;
}

bool CTabSheet::PreTranslateMessage(MSG& message) {
  if (message.message != WM_KEYDOWN || message.wParam != VK_TAB || !KeyDown(VK_CONTROL)) return false;
  if (pages_.empty()) return true;
  const int count = PageCount();
  const int from = activeIndex_ == -1 ? 0 : activeIndex_;
  SetActivePage(KeyDown(VK_SHIFT) ? (from + count - 1) % count : (from + 1) % count);
  return true;
}

void CTabSheet::FillGradient(HDC dc, const RECT& area, COLORREF start, COLORREF end) const {
  if (gradientFill_ == nullptr) {
    HBRUSH brush = CreateSolidBrush(start);
    FillRect(dc, &area, brush);
    DeleteObject(brush);
    return;
  }
  TRIVERTEX corners[2] = {};
  corners[0].x = area.left;
  corners[0].y = area.top;
  corners[0].Red = static_cast<COLOR16>(GetRValue(start) << 8);
  corners[0].Green = static_cast<COLOR16>(GetGValue(start) << 8);
  corners[0].Blue = static_cast<COLOR16>(GetBValue(start) << 8);
  corners[1].x = area.right;
  corners[1].y = area.bottom;
  corners[1].Red = static_cast<COLOR16>(GetRValue(end) << 8);
  corners[1].Green = static_cast<COLOR16>(GetGValue(end) << 8);
  corners[1].Blue = static_cast<COLOR16>(GetBValue(end) << 8);
  GRADIENT_RECT rectangle = {0, 1};
  gradientFill_(dc, corners, 2, &rectangle, 1, GRADIENT_FILL_RECT_H);
}

void CTabSheet::DrawHeaderText(HDC dc, const RECT& area, int left, const std::string& text, COLORREF colour) {
  RECT textArea = area;
  textArea.left += left;
  HGDIOBJ previousFont = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
  const COLORREF previousColour = SetTextColor(dc, colour);
  const int previousMode = SetBkMode(dc, TRANSPARENT);
  DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &textArea,
            DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX | DT_END_ELLIPSIS);
  SetBkMode(dc, previousMode);
  SetTextColor(dc, previousColour);
  SelectObject(dc, previousFont);
}

void CTabSheet::Paint(HDC dc, const RECT& client) const {
  const int paneWidth = TreePaneWidth(client);
  FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));

  RECT treePane = {client.left, client.top, client.left + paneWidth, client.bottom};
  RECT strip = {treePane.left, treePane.top, treePane.right, treePane.top + kTreeHeaderHeight};
  InflateRect(&strip, -1, -1);
  FillRect(dc, &strip, GetSysColorBrush(COLOR_BTNFACE));
  DrawEdge(dc, &strip, EDGE_RAISED, BF_RECT);
  DrawHeaderText(dc, strip, 5, "Configuration", GetSysColor(COLOR_WINDOWTEXT));
  RECT below = treePane;
  below.top += kTreeHeaderHeight;
  HBRUSH white = CreateSolidBrush(kWhite);
  FillRect(dc, &below, white);
  DeleteObject(white);
  DrawEdge(dc, &treePane, EDGE_SUNKEN, BF_RECT);

  RECT pageHeader = {client.left + paneWidth + kPaneGap, client.top, client.right, client.top + kHeaderHeight};
  pageHeader.left += 1;
  pageHeader.top += 1;
  pageHeader.right -= 1;
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  FillGradient(dc, pageHeader, kPageHeaderStart, face);
  if (kPageHeaderStart == face) DrawEdge(dc, &pageHeader, EDGE_RAISED, BF_RECT);
  int titleLeft = 5;
  if (images_ != nullptr) {
    const CTabPage* page = GetActivePage();
    const ConfigurationImages* images = ConfigurationImages::Current();
    HICON icon = page != nullptr && images != nullptr ? images->Icon(page->Icon()) : nullptr;
    if (icon != nullptr) {
      const int top = pageHeader.top + (pageHeader.bottom - pageHeader.top - kIconSize) / 2;
      DrawIconEx(dc, pageHeader.left + 3, top, icon, kIconSize, kIconSize, 0, nullptr, DI_NORMAL);
    }
    titleLeft = 22;
  }
  DrawHeaderText(dc, pageHeader, titleLeft, pageHeaderTitle_, GetSysColor(COLOR_CAPTIONTEXT));

  RECT pageFrame = {client.left + paneWidth + kPaneGap, client.top, client.right, client.bottom};
  DrawEdge(dc, &pageFrame, EDGE_SUNKEN, BF_RECT);
}

LRESULT CTabSheet::OnPaint(UINT, WPARAM, LPARAM, BOOL&) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(hwnd_, &paint);
  RECT client;
  GetClientRect(hwnd_, &client);
  Paint(dc, client);
  EndPaint(hwnd_, &paint);
  return 0;
}

LRESULT CALLBACK CTabSheet::SubclassProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  CTabSheet* sheet = static_cast<CTabSheet*>(FromHandle(hwnd));
  if (sheet == nullptr) return DefWindowProcA(hwnd, message, wParam, lParam);
  WNDPROC previous = sheet->placeholderProcedure_;
  try {
    LRESULT result = 0;
    if (sheet->ProcessWindowMessage(hwnd, message, wParam, lParam, result)) return result;
  } catch (...) {
    RecordHandlerFailure(std::current_exception());
  }
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
    sheet->Detach();
  }
  return CallWindowProcA(previous, hwnd, message, wParam, lParam);
}

}  // namespace avex::ui
