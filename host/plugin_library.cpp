#include "host/plugin_library.h"

namespace avex::host {

std::string PluginBesideThisProgram() {
  std::string self;
  if (!platform::OwnModuleFileName(&self)) return "AVex.dll";
  return self.substr(0, self.find_last_of("\\/") + 1) + "AVex.dll";
}

bool PluginLibrary::Load(const std::string& path, std::string* error) {
  Close();
  uint32_t code = 0;
  platform::LibraryHandle library = platform::OpenLibrary(path, &code);
  if (library == nullptr) {
    *error = "cannot load " + path + ": error " + std::to_string(code);
    return false;
  }
  PluginExports exports;
  std::string missing;
  if (!ResolvePluginExports(library, &exports, &missing)) {
    platform::CloseLibrary(library);
    *error = path + " lacks " + missing;
    return false;
  }
  library_ = library;
  exports_ = exports;
  return true;
}

bool PluginLibrary::Start(int32_t startType, int32_t consoleFlag) const {
  exports_.PlugApiVersion(2);
  return exports_.PlugStart(startType, consoleFlag) == 1;
}

void PluginLibrary::Close() {
  if (library_ == nullptr) return;
  platform::CloseLibrary(library_);
  library_ = nullptr;
  exports_ = PluginExports();
}

}  // namespace avex::host
