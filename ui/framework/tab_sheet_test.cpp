#include "ui/framework/tab_sheet.h"

#include <gtest/gtest.h>

namespace avex::ui {
namespace {

// Paints a sheet of 400 x 200 pixels with a tree pane of 160 into a bitmap
// and reads the page header strip at its left and right ends.
struct HeaderColours {
  COLORREF left;
  COLORREF right;
};

HeaderColours PaintHeader(const CTabSheet& sheet) {
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 400, 200);
  HGDIOBJ previous = SelectObject(dc, bitmap);
  const RECT client = {0, 0, 400, 200};
  sheet.Paint(dc, client);
  // The strip runs from 160 + 6 + 1 to 400 - 1, rows 1 to 19.
  const HeaderColours colours = {GetPixel(dc, 168, 10), GetPixel(dc, 397, 10)};
  SelectObject(dc, previous);
  DeleteObject(bitmap);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  return colours;
}

TEST(TabSheetPaintTest, PageHeaderRunsFromGreyToButtonFace) {
  CTabSheet sheet;
  sheet.SetTreePaneWidth(160);
  ASSERT_TRUE(sheet.HasGradient());
  const HeaderColours colours = PaintHeader(sheet);
  EXPECT_EQ(colours.left, RGB(0x80, 0x80, 0x80));
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  EXPECT_NEAR(GetRValue(colours.right), GetRValue(face), 4);
  EXPECT_NEAR(GetGValue(colours.right), GetGValue(face), 4);
  EXPECT_NEAR(GetBValue(colours.right), GetBValue(face), 4);
}

TEST(TabSheetPaintTest, WithoutTheGradientLibraryTheHeaderIsSolid) {
  CTabSheet sheet("no_such_gradient_library.dll");
  sheet.SetTreePaneWidth(160);
  EXPECT_FALSE(sheet.HasGradient());
  const HeaderColours colours = PaintHeader(sheet);
  EXPECT_EQ(colours.left, RGB(0x80, 0x80, 0x80));
  EXPECT_EQ(colours.right, RGB(0x80, 0x80, 0x80));
}

}  // namespace
}  // namespace avex::ui
