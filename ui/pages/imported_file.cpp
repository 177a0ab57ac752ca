#include "ui/pages/imported_file.h"

#include <cstdio>
#include <new>
#include <vector>

#include "ui/framework/file_dialogs.h"

namespace avex::ui {

namespace {

constexpr char kImportErrorCaption[] = "Import Error";

// The system's description of `error` without its line break; empty when it has none.
std::string SystemErrorDescription(DWORD error) {
  char* buffer = nullptr;
  const DWORD length = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
      0, reinterpret_cast<char*>(&buffer), 0, nullptr);
  std::string description = length != 0 && buffer != nullptr ? std::string(buffer, length) : std::string();
  LocalFree(buffer);
  while (!description.empty() && (description.back() == '\n' || description.back() == '\r' ||
                                  description.back() == ' ')) {
    description.pop_back();
  }
  return description;
}

// The whole file, or the system error that stopped the reading.
DWORD ReadWholeFile(const std::string& path, std::string* contents) {
  // Others may keep the file open, an editor say, while it is imported.
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return GetLastError();
  DWORD error = ERROR_SUCCESS;
  LARGE_INTEGER size = {};
  if (!GetFileSizeEx(file, &size)) {
    error = GetLastError();
  } else if (size.QuadPart > 0x7FFFFFFF) {
    error = ERROR_FILE_TOO_LARGE;
  } else {
    // The string keeps a terminating zero byte after the file's bytes.
    contents->assign(static_cast<size_t>(size.QuadPart), '\0');
    size_t done = 0;
    while (done < contents->size()) {
      DWORD read = 0;
      if (!ReadFile(file, &(*contents)[done], static_cast<DWORD>(contents->size() - done), &read, nullptr)) {
        error = GetLastError();
        break;
      }
      if (read == 0) break;
      done += read;
    }
    contents->resize(done);
  }
  CloseHandle(file);
  return error;
}

}  // namespace

std::string ImportErrorText(const std::string& path, DWORD error) {
  const std::string description = SystemErrorDescription(error);
  if (!description.empty()) return "Error: '" + description + "'";
  std::vector<char> text(path.size() + 64);
  std::snprintf(text.data(), text.size(), "There was an error (%d) importing '%s'.", static_cast<int>(error),
                path.c_str());
  return text.data();
}

bool IsHtmlFilePath(const std::string& path) {
  const size_t dot = path.find_last_of('.');
  const size_t folder = path.find_last_of("\\/");
  if (dot == std::string::npos || (folder != std::string::npos && dot < folder)) return false;
  const std::string extension = path.substr(dot + 1);
  return lstrcmpiA(extension.c_str(), "html") == 0 || lstrcmpiA(extension.c_str(), "htm") == 0;
}

std::optional<std::string> AskAndReadFileToImport(HWND owner, std::string* path) {
  const std::optional<std::string> chosen = AskFileToOpen(owner, kImportFileFilters);
  if (!chosen) return std::nullopt;
  *path = *chosen;
  std::string contents;
  DWORD error = ERROR_SUCCESS;
  try {
    error = ReadWholeFile(*chosen, &contents);
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
  if (error != ERROR_SUCCESS) {
    MessageBoxA(owner, ImportErrorText(*chosen, error).c_str(), kImportErrorCaption, MB_OK | MB_ICONINFORMATION);
    return std::nullopt;
  }
  return contents;
}

}  // namespace avex::ui
