// CTabSheet: the navigation tree on the left and the active page on the
// right, each under a header strip. It takes over a placeholder control of
// the dialog template and creates its tree there; the pages are the
// dialog's, the sheet only shows one of them at a time.
//
// Leaving a page runs its data exchange in the saving direction first; a page
// whose input is refused stays showing.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "resources/resource_ids.h"
#include "ui/framework/message_map.h"
#include "ui/framework/tab_page.h"
#include "ui/framework/window_object.h"

namespace avex::ui {

class CTabSheet : public WindowObject {
 public:
  static constexpr int kTreeId = IDC_SHEET_TREE;
  static constexpr int kTreeItemHeight = 19;

  // `gradientLibrary` supplies GradientFill; without it, or without the entry
  // point, header strips are filled with their start colour.
  explicit CTabSheet(const char* gradientLibrary = "msimg32.dll");
  ~CTabSheet() override;

  // Takes over control `placeholderId` of `dialog` and creates the tree.
  bool SubclassPlaceholder(HWND dialog, int placeholderId);

  void SetImageList(HIMAGELIST images);
  // -1 means one third of the client width.
  void SetTreePaneWidth(int width);

  // Appends the page, creates its window as a child of the sheet and adds its
  // tree item; null when the tree does not exist.
  HTREEITEM AddPage(CTabPage* page);
  bool SetActivePage(int index);
  bool SetActivePage(CTabPage* page);
  // The active page; the first page when none is active; null when empty.
  CTabPage* GetActivePage() const;
  CTabPage* Page(int index) const;
  int PageCount() const { return static_cast<int>(pages_.size()); }
  HWND Tree() const { return tree_; }
  // The rectangle a page fills, in the sheet's client coordinates.
  RECT PageArea() const;

  // Draws the sheet's own parts (header strips, edges, tree pane) on `dc`.
  void Paint(HDC dc, const RECT& client) const;
  bool HasGradient() const { return gradientFill_ != nullptr; }

  bool PreTranslateMessage(MSG& message) override;

  BEGIN_MSG_MAP(CTabSheet)
    MESSAGE_HANDLER(WM_PAINT, OnPaint)
    MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBackground)
    MESSAGE_HANDLER(WM_NCHITTEST, OnHitTest)
    NOTIFY_HANDLER(kTreeId, TVN_SELCHANGEDA, OnTreeSelectionChanged)
    NOTIFY_HANDLER(kTreeId, TVN_SELCHANGEDW, OnTreeSelectionChanged)
  END_MSG_MAP()

 private:
  using GradientFillEntry = BOOL(WINAPI*)(HDC, TRIVERTEX*, ULONG, void*, ULONG, ULONG);

  static LRESULT CALLBACK SubclassProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT OnPaint(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnEraseBackground(UINT, WPARAM, LPARAM, BOOL&) { return 1; }
  LRESULT OnHitTest(UINT, WPARAM, LPARAM, BOOL&) { return HTCLIENT; }
  LRESULT OnTreeSelectionChanged(int, NMHDR* header, BOOL&);

  int TreePaneWidth(const RECT& client) const;
  // Places the tree in its pane, below the header strip.
  void LayoutTree();
  // The tree item of `page` (every page's item is at the top level); null when none.
  HTREEITEM FindItem(CTabPage* page) const;
  void SelectActiveItem();
  void FillGradient(HDC dc, const RECT& area, COLORREF start, COLORREF end) const;
  static void DrawHeaderText(HDC dc, const RECT& area, int left, const std::string& text, COLORREF colour);

  HWND tree_ = nullptr;
  WNDPROC placeholderProcedure_ = nullptr;
  HIMAGELIST images_ = nullptr;
  std::vector<CTabPage*> pages_;
  int activeIndex_ = -1;
  int treePaneWidth_ = -1;
  std::string pageHeaderTitle_;
  HMODULE gradientLibrary_ = nullptr;
  GradientFillEntry gradientFill_ = nullptr;
};

}  // namespace avex::ui
