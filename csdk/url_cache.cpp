#include "csdk/url_cache.h"

#include <optional>
#include <vector>

#include "csdk/data_file.h"
#include "csdk/url_key.h"

namespace avex::csdk {
namespace {

std::optional<Confidences> ParseConfidences(std::string_view list) {
  Confidences confidences{};
  while (true) {
    size_t comma = list.find(',');
    std::string_view item = list.substr(0, comma);
    size_t equals = item.find('=');
    if (equals == std::string_view::npos) return std::nullopt;
    std::optional<int32_t> code = ParseCategoryCode(TrimBlanks(item.substr(0, equals)));
    std::optional<double> confidence = ParseNumber(TrimBlanks(item.substr(equals + 1)));
    if (!code || !confidence || !(*confidence >= 0.0 && *confidence <= 1.0)) return std::nullopt;
    confidences[*code] = *confidence;
    if (comma == std::string_view::npos) return confidences;
    list.remove_prefix(comma + 1);
  }
}

}  // namespace

bool UrlCache::Load(const std::string& path) {
  entries_.clear();
  return ReadDataFile(path, [this](std::string_view line) {
    std::vector<std::string_view> fields = SplitFields(line, 2);
    if (fields.size() != 2) return;
    std::optional<Confidences> confidences = ParseConfidences(fields[1]);
    std::string key = UrlKey(fields[0]);
    if (!confidences || key.empty()) return;
    entries_[key] = *confidences;
  });
}

const Confidences* UrlCache::Lookup(std::string_view key) const {
  auto found = entries_.find(std::string(key));
  return found == entries_.end() ? nullptr : &found->second;
}

}  // namespace avex::csdk
