// One manual classification: a text the administrator typed and the category
// it is given.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace avex {

struct ManualEntry {
  // A whole URL, a host or a substring of URLs, in the ANSI code page.
  std::string text;
  // A category of the category table, CategoryBlocked or CategoryAllowed.
  int32_t categoryId = 0;

  friend bool operator==(const ManualEntry& a, const ManualEntry& b) {
    return a.categoryId == b.categoryId && a.text == b.text;
  }
  friend bool operator!=(const ManualEntry& a, const ManualEntry& b) { return !(a == b); }
};

// The URL and the site list: one entry per text, in ascending byte order of
// the texts (a text sorts before the longer texts it starts). The transparent
// comparison finds a std::string_view without making a string of it.
using ManualEntryMap = std::map<std::string, ManualEntry, std::less<>>;

// The partial list: entries in the order they were added, duplicates kept;
// the earliest entry that matches wins.
using PartialList = std::vector<ManualEntry>;

}  // namespace avex
