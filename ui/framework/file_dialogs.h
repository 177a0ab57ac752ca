// The system's file-open and file-save dialogs, with filters written as
// "Name|pattern|Name|pattern|" (the bars become the separators the system
// expects). None when the user cancels.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace avex::ui {

// The filters of the dialogs that import list files and block pages.
inline constexpr char kImportFileFilters[] =
    "All Files (*.*)|*.*|HTML Files (*.html)|*.HTML|HTM Files (*.html)|*.HTM|Text Files (*.txt)|*.txt|";

// An existing file; the read-only check box is hidden.
std::optional<std::string> AskFileToOpen(HWND owner, const std::string& filters);

// A file in an existing folder; replacing a file asks first.
std::optional<std::string> AskFileToSave(HWND owner, const std::string& filters);

}  // namespace avex::ui
