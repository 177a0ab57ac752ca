// Engine category codes: the category ids 0 to 30, one bit each in a 32-bit
// category mask (bit 31 has no category but may be listed).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace avex::csdk {

constexpr int32_t kCategoryCodes = 32;

// A confidence from 0 to 1 per category code.
using Confidences = std::array<double, kCategoryCodes>;

// A decimal code from 0 to 31, or nothing.
std::optional<int32_t> ParseCategoryCode(std::string_view text);

// A decimal number, read the same way whatever the process's locale.
std::optional<double> ParseNumber(std::string_view text);

}  // namespace avex::csdk
