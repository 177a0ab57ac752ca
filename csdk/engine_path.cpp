#include "csdk/engine_path.h"

#if !defined(_WIN32)
#include <strings.h>

#include <filesystem>
#include <system_error>
#endif

namespace avex::csdk {
namespace {

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

#if !defined(_WIN32)
bool Exists(const std::string& path) {
  std::error_code ignored;
  return std::filesystem::exists(std::filesystem::symlink_status(path, ignored));
}

// The entry of `directory` that equals `component` without regard to case, or "".
std::string EntryIgnoringCase(const std::string& directory, const std::string& component) {
  std::string best;
  std::error_code error;
  std::filesystem::directory_iterator entries(directory.empty() ? "." : directory, error);
  for (; !error && entries != std::filesystem::directory_iterator(); entries.increment(error)) {
    std::string name = entries->path().filename().string();
    if (strcasecmp(name.c_str(), component.c_str()) == 0 && (best.empty() || name < best)) best = name;
  }
  return best;
}
#endif

}  // namespace

std::string JoinPath(const std::string& directory, const std::string& name) {
  if (directory.empty()) return name;
  if (IsSeparator(directory.back())) return directory + name;
  return directory + "/" + name;
}

#if defined(_WIN32)
std::string ResolvePath(const std::string& path) { return path; }
#else
std::string ResolvePath(const std::string& path) {
  std::string slashed = path;
  for (char& c : slashed) {
    if (c == '\\') c = '/';
  }
  if (slashed.empty() || Exists(slashed)) return slashed;

  std::string resolved = slashed[0] == '/' ? "/" : "";
  size_t pos = 0;
  while (pos < slashed.size()) {
    size_t end = slashed.find('/', pos);
    if (end == std::string::npos) end = slashed.size();
    std::string component = slashed.substr(pos, end - pos);
    pos = end + 1;
    if (component.empty()) continue;
    std::string candidate = resolved + component;
    if (component != "." && component != ".." && !Exists(candidate)) {
      std::string match = EntryIgnoringCase(resolved, component);
      if (!match.empty()) candidate = resolved + match;
    }
    resolved = candidate;
    if (end < slashed.size()) resolved.push_back('/');
  }
  return resolved;
}
#endif

}  // namespace avex::csdk
