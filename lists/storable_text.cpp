#include "lists/storable_text.h"

#include "platform/registry.h"

namespace avex {

namespace {

constexpr size_t kPartialNamePrefix = 9;  // "%08u_"

}  // namespace

size_t LongestStorableListText(ManualEntryType type) {
  const size_t longest = platform::registry::kMaxValueName;
  return type == ManualEntryPartial ? longest - kPartialNamePrefix : longest;
}

bool IsStorableListText(ManualEntryType type, std::string_view text) {
  return text.size() <= LongestStorableListText(type);
}

bool IsStorableResponseDescription(const std::string& description) {
  return description.size() <= kLongestStorableDescription && description.find('\\') == std::string::npos;
}

}  // namespace avex
