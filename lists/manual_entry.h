// One manual classification: a text the administrator typed and the category
// it is given.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
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

// An entry of the URL or the site list as the list holds it: the text is a
// view of the list's own, valid while the list is.
struct ManualEntryRef {
  std::string_view text;
  int32_t categoryId = 0;

  friend bool operator==(const ManualEntryRef& a, const ManualEntryRef& b) {
    return a.categoryId == b.categoryId && a.text == b.text;
  }
  friend bool operator!=(const ManualEntryRef& a, const ManualEntryRef& b) { return !(a == b); }
};

// The partial list: entries in the order they were added, duplicates kept;
// the earliest entry that matches wins.
using PartialList = std::vector<ManualEntry>;

}  // namespace avex
