// Paths the engine is given: either separator, and on POSIX any letter case.
//
// The plug-in builds its paths with backslashes from a lower-cased copy of
// its module path, so on a case-sensitive file system "urlcache" must still
// find "URLCache". Plain functions; any thread.
#pragma once

#include <string>

namespace avex::csdk {

// `name` below the directory `directory`, with one separator between them
// whether or not `directory` ends in one.
std::string JoinPath(const std::string& directory, const std::string& name);

// The path to open for `path`. Windows takes it as it is; POSIX turns
// backslashes into slashes and replaces each component that does not exist
// by a directory entry that equals it without regard to ASCII case (the
// lexically smallest when several do).
std::string ResolvePath(const std::string& path);

}  // namespace avex::csdk
