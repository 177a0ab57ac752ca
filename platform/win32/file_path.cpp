#include "platform/file_path.h"

namespace avex::platform {

std::string ResolveFilePath(const std::string& path) { return path; }

}  // namespace avex::platform
