// Columns of the pages' report-view list views.
#pragma once

#include <windows.h>

namespace avex::ui {

// Inserts a left-aligned column `index` with this title and width (pixels).
void InsertListColumn(HWND list, int index, const char* title, int width);

}  // namespace avex::ui
