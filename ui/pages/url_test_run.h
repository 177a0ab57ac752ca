// One test of the Test URL page: how the plug-in would treat a URL with the
// settings as edited, told as result lines in the order they happen. The
// manual lists may decide it by URL; otherwise the page is fetched and the
// engine scores its content category by category.
//
// Runs on a worker thread of the console: it drives a scanning object and a
// WinInet session of its own, and brings the process's engine up on first
// use (it stays up for later tests).
#pragma once

#include <functional>
#include <string>

#include "config/filter_settings.h"

namespace avex::ui {

using ResultLineSink = std::function<void(const std::string& line)>;

// Tests `url` (with its scheme) against `settings`, giving each result line to `addLine`.
void RunUrlTest(const std::string& url, const FilterSettings& settings, const ResultLineSink& addLine);

}  // namespace avex::ui
