#include "csdk/static_url_list.h"

#include <vector>

#include "csdk/category_codes.h"
#include "csdk/data_file.h"
#include "csdk/url_key.h"

namespace avex::csdk {
namespace {

std::optional<uint32_t> ParseMask(std::string_view codes) {
  uint32_t mask = 0;
  while (true) {
    size_t comma = codes.find(',');
    std::optional<int32_t> code = ParseCategoryCode(TrimBlanks(codes.substr(0, comma)));
    if (!code) return std::nullopt;
    mask |= 1u << *code;
    if (comma == std::string_view::npos) return mask;
    codes.remove_prefix(comma + 1);
  }
}

}  // namespace

bool StaticUrlList::Load(const std::string& path) {
  masks_.clear();
  return ReadDataFile(path, [this](std::string_view line) {
    std::vector<std::string_view> fields = SplitFields(line, 2);
    if (fields.size() != 2) return;
    std::optional<uint32_t> mask = ParseMask(fields[1]);
    std::string key = UrlKey(fields[0]);
    if (!mask || key.empty()) return;
    masks_[key] |= *mask;
  });
}

std::optional<uint32_t> StaticUrlList::Lookup(std::string_view key) const {
  auto find = [this](std::string_view candidate) -> std::optional<uint32_t> {
    auto found = masks_.find(std::string(candidate));
    if (found == masks_.end()) return std::nullopt;
    return found->second;
  };

  size_t pathStart = key.find_first_of("/?");
  std::string_view url = key;
  while (pathStart != std::string_view::npos) {
    if (std::optional<uint32_t> mask = find(url)) return mask;
    size_t cut = url.find_last_of("/?");
    if (cut <= pathStart) break;
    url = url.substr(0, cut);
    while (url.size() > pathStart && (url.back() == '/' || url.back() == '?')) url.remove_suffix(1);
  }

  std::string_view domain = KeyHost(key);
  while (!domain.empty()) {
    if (std::optional<uint32_t> mask = find(domain)) return mask;
    size_t dot = domain.find('.');
    if (dot == std::string_view::npos) break;
    domain.remove_prefix(dot + 1);
  }
  return std::nullopt;
}

}  // namespace avex::csdk
