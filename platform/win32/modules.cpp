#include "platform/modules.h"

#include <windows.h>

namespace avex::platform {
namespace {

void SetError(uint32_t* error, DWORD code) {
  if (error) *error = code;
}

bool FileNameOf(HMODULE module, std::string* path) {
  std::string buffer(MAX_PATH, '\0');
  while (true) {
    DWORD length = GetModuleFileNameA(module, &buffer[0], static_cast<DWORD>(buffer.size()));
    if (length == 0) return false;
    if (length < buffer.size()) {  // a cut name fills the buffer completely
      buffer.resize(length);
      *path = buffer;
      return true;
    }
    if (buffer.size() >= 32768) return false;
    buffer.resize(buffer.size() * 2);
  }
}

}  // namespace

bool ModuleFileName(const std::string& moduleName, std::string* path) {
  HMODULE module = GetModuleHandleA(moduleName.c_str());
  return module != nullptr && FileNameOf(module, path);
}

bool OwnModuleFileName(std::string* path) {
  HMODULE module = nullptr;
  if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                          reinterpret_cast<LPCSTR>(&OwnModuleFileName), &module)) {
    return false;
  }
  return FileNameOf(module, path);
}

LibraryHandle OpenLibrary(const std::string& path, uint32_t* error) {
  std::string native = path;
  for (char& c : native) {
    if (c == '/') c = '\\';  // LoadLibrary wants backslashes
  }
  HMODULE module = LoadLibraryA(native.c_str());
  if (module == nullptr) SetError(error, GetLastError());  // before anything else can change it
  return module;
}

void* LibrarySymbol(LibraryHandle library, const char* name, uint32_t* error) {
  if (library == nullptr || name == nullptr) {
    SetError(error, ERROR_PROC_NOT_FOUND);  // as POSIX answers; never the main program's table
    return nullptr;
  }
  FARPROC symbol = GetProcAddress(static_cast<HMODULE>(library), name);
  if (symbol == nullptr) SetError(error, GetLastError());
  return reinterpret_cast<void*>(symbol);
}

void* LibraryOrdinal(LibraryHandle library, uint16_t ordinal, uint32_t* error) {
  if (library == nullptr) {
    SetError(error, ERROR_PROC_NOT_FOUND);  // as POSIX answers; never the main program's table
    return nullptr;
  }
  FARPROC symbol = GetProcAddress(static_cast<HMODULE>(library), MAKEINTRESOURCEA(ordinal));
  if (symbol == nullptr) SetError(error, GetLastError());
  return reinterpret_cast<void*>(symbol);
}

void CloseLibrary(LibraryHandle library) {
  if (library) FreeLibrary(static_cast<HMODULE>(library));
}

}  // namespace avex::platform
