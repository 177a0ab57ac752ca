// Paths the engine builds from the directories it is given, which may end in
// either separator. Opening them (either separator, and on POSIX any letter
// case) is platform::ResolveFilePath's. Plain functions; any thread.
#pragma once

#include <string>

namespace avex::csdk {

// `name` below the directory `directory`, with one separator between them
// whether or not `directory` ends in one.
std::string JoinPath(const std::string& directory, const std::string& name);

}  // namespace avex::csdk
