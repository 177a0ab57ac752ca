// What the registry layout of the settings can store. A text it cannot store
// would be used until the next start and then be gone, so the configuration
// transfer and the dialog's pages refuse it where it comes in.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "lists/manual_list_file.h"

namespace avex {

// The longest entry text of `type` that fits a registry value name: a
// partial entry's name carries the eight-digit sequence number and "_".
size_t LongestStorableListText(ManualEntryType type);
bool IsStorableListText(ManualEntryType type, std::string_view text);

// A response is stored under a key named by its description: at most 255
// characters and no backslash (which would make a path of it).
inline constexpr size_t kLongestStorableDescription = 255;
bool IsStorableResponseDescription(const std::string& description);

}  // namespace avex
