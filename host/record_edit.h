// Changes one setting inside a configuration record file, as the
// configuration dialog would before the record goes back to the engine
// process. Settings (category by its short name, without regard to case):
//
//   level CATEGORY PERCENT    enabled CATEGORY 0|1    applyToAllUsers 0|1
//   useUrlCache 0|1
#pragma once

#include <string>
#include <vector>

namespace avex::host {

// False with `error` set when the file cannot be read or written or the
// setting is unknown.
bool EditConfigurationRecord(const std::string& path, const std::vector<std::string>& setting,
                             std::string* error);

}  // namespace avex::host
