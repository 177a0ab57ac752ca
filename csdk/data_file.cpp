#include "csdk/data_file.h"

#include <fstream>

#include "platform/file_path.h"

namespace avex::csdk {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && (IsBlank(text.front()) || text.front() == '\r')) text.remove_prefix(1);
  while (!text.empty() && (IsBlank(text.back()) || text.back() == '\r')) text.remove_suffix(1);
  return text;
}

bool ReadDataFile(const std::string& path, const std::function<void(std::string_view line)>& entry) {
  std::ifstream file(platform::ResolveFilePath(path), std::ios::binary);
  if (!file) return false;
  std::string line;
  while (std::getline(file, line)) {
    std::string_view text = TrimBlanks(line);
    if (text.empty() || text.front() == '#') continue;
    entry(text);
  }
  return true;
}

std::vector<std::string_view> SplitFields(std::string_view text, size_t maxFields) {
  std::vector<std::string_view> fields;
  while (!text.empty() && maxFields > 0) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    if (text.empty()) break;
    size_t end = 0;
    if (fields.size() + 1 == maxFields) {
      end = text.size();
    } else {
      while (end < text.size() && !IsBlank(text[end])) ++end;
    }
    fields.push_back(text.substr(0, end));
    text.remove_prefix(end);
    if (fields.size() == maxFields) break;
  }
  return fields;
}

}  // namespace avex::csdk
