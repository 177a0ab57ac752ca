// The file an administrator imports into a block response: chosen with the
// file-open dialog and read as raw bytes. A file error is reported in an
// "Import Error" message box, with the system's description of the error
// when it has one. Runs on the dialog's thread.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace avex::ui {

// Asks for a file (HTML, HTM, text or any file) and reads it whole. None when
// the user cancels, after the message box when the file cannot be opened or
// read, and silently when there is no memory for it.
std::optional<std::string> AskAndReadFileToImport(HWND owner, std::string* path);

// Whether the path names an HTML file: its extension is "html" or "htm" in any case.
bool IsHtmlFilePath(const std::string& path);

// The text of the "Import Error" box for system error `error` on `path`.
std::string ImportErrorText(const std::string& path, DWORD error);

}  // namespace avex::ui
