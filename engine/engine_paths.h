// Where the engine lives: its directory (the plug-in's own) and the paths
// under it that the plug-in hands to the engine.
//
// Each path must fit the engine's 260-character buffers, so none may be
// longer than kMaxEnginePathLength characters. Plain functions of their
// arguments, callable from any thread, except FindEngineDirectory, which
// asks the system which modules are loaded.
#pragma once

#include <cstddef>
#include <string>

namespace avex {

inline constexpr size_t kMaxEnginePathLength = 259;

struct EnginePaths {
  std::string root;              // the engine directory, with its trailing backslash
  std::string urlCache;          // "<root>URLCache"
  std::string staticList;        // "<root>Stlst\StatListDb"
  std::string staticListUpdate;  // see UpdateDirectoryForm
};

// The static list update directory differs between the two bring-ups.
enum class UpdateDirectoryForm {
  Start,    // "<root>\Stlst\Update" (a doubled backslash after the directory)
  Console,  // "<staticList>\Update"
};

// Builds the four paths from the engine directory. False, with `paths` left
// as it was, when any of them would be longer than kMaxEnginePathLength.
bool BuildEnginePaths(const std::string& engineDirectory, UpdateDirectoryForm form, EnginePaths* paths);

// The engine directory in the module path of the plug-in: the path
// lower-cased in the ANSI code page and cut before the module's file name
// (keeping the trailing backslash); the whole lower-cased path when the name
// does not occur in it.
std::string EngineDirectoryOf(const std::string& modulePath, const std::string& moduleName);

// EngineDirectoryOf the loaded module `moduleName`; false when no module of
// that name is loaded (`directory` unchanged).
bool FindEngineDirectory(const std::string& moduleName, std::string* directory);

}  // namespace avex
