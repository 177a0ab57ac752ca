// Reading the engine's text data files: one entry a line.
//
// Lines may end in LF or CR LF; blank lines and lines whose first non-blank
// character is '#' are skipped; the rest reach the caller without leading
// and trailing blanks. Any thread.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace avex::csdk {

// Calls `entry` for each entry line of the file at `path` (resolved with
// ResolvePath). False when the file cannot be opened.
bool ReadDataFile(const std::string& path, const std::function<void(std::string_view line)>& entry);

// `text` without leading and trailing blanks (spaces, tabs and carriage returns).
std::string_view TrimBlanks(std::string_view text);

// `text` cut at runs of blanks (spaces and tabs) into at most `maxFields`
// fields; the last field keeps the rest of the text, blanks included.
std::vector<std::string_view> SplitFields(std::string_view text, size_t maxFields);

}  // namespace avex::csdk
