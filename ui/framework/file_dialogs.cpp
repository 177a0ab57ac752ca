#include "ui/framework/file_dialogs.h"

#include <commdlg.h>

#include <vector>

namespace avex::ui {

namespace {

std::optional<std::string> AskFile(HWND owner, const std::string& filters, DWORD flags, bool save) {
  std::string separated = filters;
  for (char& c : separated) {
    if (c == '|') c = '\0';
  }
  separated.push_back('\0');
  std::vector<char> path(MAX_PATH * 4, '\0');
  OPENFILENAMEA request = {};
  request.lStructSize = sizeof request;
  request.hwndOwner = owner;
  request.lpstrFilter = separated.c_str();
  request.nFilterIndex = 1;
  request.lpstrFile = path.data();
  request.nMaxFile = static_cast<DWORD>(path.size());
  request.Flags = flags | OFN_HIDEREADONLY | OFN_EXPLORER | OFN_NOCHANGEDIR;
  const BOOL chosen = save ? GetSaveFileNameA(&request) : GetOpenFileNameA(&request);
  if (!chosen) return std::nullopt;
  return std::string(path.data());
}

}  // namespace

std::optional<std::string> AskFileToOpen(HWND owner, const std::string& filters) {
  return AskFile(owner, filters, OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST, false);
}

std::optional<std::string> AskFileToSave(HWND owner, const std::string& filters) {
  return AskFile(owner, filters, OFN_PATHMUSTEXIST | OFN_OVERWRITEPROMPT, true);
}

}  // namespace avex::ui
