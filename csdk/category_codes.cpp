#include "csdk/category_codes.h"

#include <charconv>

namespace avex::csdk {

std::optional<int32_t> ParseCategoryCode(std::string_view text) {
  int32_t code = -1;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), code);
  if (error != std::errc() || end != text.data() + text.size() || code < 0 || code >= kCategoryCodes) {
    return std::nullopt;
  }
  return code;
}

std::optional<double> ParseNumber(std::string_view text) {
  double number = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number, std::chars_format::fixed);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return number;
}

}  // namespace avex::csdk
