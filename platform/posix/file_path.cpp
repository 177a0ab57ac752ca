#include "platform/file_path.h"

#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>

#include <cstring>

namespace avex::platform {
namespace {

bool Exists(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0;
}

// The entry of `directory` ("" for the current one) that equals `component`
// without regard to ASCII case, the lexically smallest of several; "" when none.
std::string EntryIgnoringCase(const std::string& directory, const std::string& component) {
  std::string best;
  if (DIR* dir = opendir(directory.empty() ? "." : directory.c_str())) {
    while (struct dirent* entry = readdir(dir)) {
      if (strcasecmp(entry->d_name, component.c_str()) == 0 &&
          (best.empty() || std::strcmp(entry->d_name, best.c_str()) < 0)) {
        best = entry->d_name;
      }
    }
    closedir(dir);
  }
  return best;
}

}  // namespace

std::string ResolveFilePath(const std::string& original) {
  std::string path = original;
  for (char& c : path) {
    if (c == '\\') c = '/';
  }
  if (path.empty() || Exists(path)) return path;

  std::string resolved = path[0] == '/' ? "/" : "";
  size_t pos = 0;
  while (pos <= path.size()) {
    size_t end = path.find('/', pos);
    if (end == std::string::npos) end = path.size();
    std::string component = path.substr(pos, end - pos);
    pos = end + 1;
    if (component.empty()) continue;
    std::string candidate = resolved + component;
    if (!Exists(candidate) && component != "." && component != "..") {
      const std::string match = EntryIgnoringCase(resolved, component);
      if (!match.empty()) candidate = resolved + match;
    }
    resolved = candidate;
    if (end < path.size()) resolved.push_back('/');
  }
  return resolved;
}

}  // namespace avex::platform
