// Key paths below HKEY_LOCAL_MACHINE as both registry backends read them.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace avex::platform::registry {

// "A\\B\\C" -> {A, B, C}. Empty names are skipped, as the system skips them;
// a leading backslash (the system answers ERROR_BAD_PATHNAME) or a name
// longer than 255 characters makes the path invalid: false.
bool SplitKeyPath(const std::string& key, std::vector<std::string>* names);

// The first `count` names joined with backslashes.
std::string JoinKeyPath(const std::vector<std::string>& names, size_t count);

}  // namespace avex::platform::registry
