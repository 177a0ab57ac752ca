// The help context numbers: one per page of the configuration dialog, the
// number that the help file's context map answers with the page's topic.
// The help project (help/aurivex.hhp) maps the same names to the same
// numbers; the build compares its [MAP] section with this header.
#pragma once

#include <cstdint>

namespace avex {

constexpr uint32_t IDH_ABOUT = 6500;
constexpr uint32_t IDH_FILTERED_CATEGORIES = 6510;
constexpr uint32_t IDH_MANUAL_CLASSIFICATIONS = 6520;
constexpr uint32_t IDH_USER_SETUP = 6530;
constexpr uint32_t IDH_MISC_SETTINGS = 6540;
constexpr uint32_t IDH_CUSTOM_RESPONSES = 6550;
constexpr uint32_t IDH_TEST_URL = 6560;
constexpr uint32_t IDH_LOGGING = 6570;

}  // namespace avex
