// The path to open for a path the plug-in or the engine built.
//
// They build their paths with backslashes, from a lower-cased copy of a
// module path, as Windows allows: Windows opens such a path as it is; on a
// case-sensitive file system "urlcache" must still find "URLCache". Plain
// function; any thread; it never fails (a path that cannot be resolved comes
// back with only its separators turned).
#pragma once

#include <string>

namespace avex::platform {

// Win32: `path` unchanged. POSIX: backslashes become slashes, and each
// component that does not exist is replaced by a directory entry that equals
// it without regard to ASCII case (the lexically smallest when several do,
// so the choice does not depend on the directory order).
std::string ResolveFilePath(const std::string& path);

}  // namespace avex::platform
