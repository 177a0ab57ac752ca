#include "platform/registry_path.h"

#include "platform/registry.h"

namespace avex::platform::registry {

bool SplitKeyPath(const std::string& key, std::vector<std::string>* names) {
  names->clear();
  if (!key.empty() && key[0] == '\\') return false;
  size_t start = 0;
  while (start <= key.size()) {
    size_t end = key.find('\\', start);
    if (end == std::string::npos) end = key.size();
    if (end > start) {
      if (end - start > kMaxKeyName) return false;
      names->push_back(key.substr(start, end - start));
    }
    start = end + 1;
  }
  return true;
}

std::string JoinKeyPath(const std::vector<std::string>& names, size_t count) {
  std::string path;
  for (size_t i = 0; i < count; ++i) {
    if (i > 0) path += '\\';
    path += names[i];
  }
  return path;
}

}  // namespace avex::platform::registry
