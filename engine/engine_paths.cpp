#include "engine/engine_paths.h"

#include "platform/code_page.h"
#include "platform/modules.h"

namespace avex {

bool BuildEnginePaths(const std::string& engineDirectory, UpdateDirectoryForm form, EnginePaths* paths) {
  EnginePaths built;
  built.root = engineDirectory;
  built.urlCache = built.root + "URLCache";
  built.staticList = built.root + "Stlst\\StatListDb";
  built.staticListUpdate =
      form == UpdateDirectoryForm::Start ? built.root + "\\Stlst\\Update" : built.staticList + "\\Update";
  for (const std::string* path : {&built.root, &built.urlCache, &built.staticList, &built.staticListUpdate}) {
    if (path->size() > kMaxEnginePathLength) return false;
  }
  *paths = std::move(built);
  return true;
}

std::string EngineDirectoryOf(const std::string& modulePath, const std::string& moduleName) {
  std::string path = modulePath;
  std::string name = moduleName;
  platform::LowerInPlace(&path);
  platform::LowerInPlace(&name);
  // The file name ends the path, so its last occurrence is the one to cut at
  // (a directory may carry the same text in its name).
  const size_t cut = name.empty() ? std::string::npos : path.rfind(name);
  if (cut != std::string::npos) path.resize(cut);
  return path;
}

bool FindEngineDirectory(const std::string& moduleName, std::string* directory) {
  std::string modulePath;
  if (!platform::ModuleFileName(moduleName, &modulePath)) return false;
  *directory = EngineDirectoryOf(modulePath, moduleName);
  return true;
}

}  // namespace avex
