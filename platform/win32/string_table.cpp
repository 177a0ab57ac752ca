#include "platform/string_table.h"

#include <windows.h>

namespace avex::platform {
namespace {

// The module whose STRINGTABLE we read: the one that holds this code (the
// plug-in DLL, or a test program that links the code statically), not the
// process's main program.
HMODULE ThisModule() {
  HMODULE module = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCSTR>(&ThisModule), &module);
  return module;
}

}  // namespace

std::string LoadText(uint32_t id) {
  if (id > 0xFFFF) return std::string();  // resource ids are 16 bits
  HMODULE module = ThisModule();
  if (module == nullptr) return std::string();
  std::string buffer(256, '\0');
  while (true) {
    int length = LoadStringA(module, id, &buffer[0], static_cast<int>(buffer.size()));
    if (length <= 0) return std::string();
    // A text that filled the buffer may have been cut: try again with more room.
    if (static_cast<size_t>(length) + 1 < buffer.size() || buffer.size() >= 65536) {
      buffer.resize(static_cast<size_t>(length));
      return buffer;
    }
    buffer.resize(buffer.size() * 2);
  }
}

}  // namespace avex::platform
