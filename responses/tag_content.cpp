#include "responses/tag_content.h"

#include <algorithm>
#include <cstddef>
#include <string>

namespace avex {
namespace {

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameIgnoringAsciiCase(char a, char b) { return AsciiLower(a) == AsciiLower(b); }

// The first occurrence of `needle` at or after `from`, ignoring ASCII case;
// npos when there is none.
size_t FindIgnoringCase(std::string_view haystack, std::string_view needle, size_t from) {
  const auto start = haystack.begin() + static_cast<std::ptrdiff_t>(from);
  const auto found = std::search(start, haystack.end(), needle.begin(), needle.end(), SameIgnoringAsciiCase);
  if (found == haystack.end() && !needle.empty()) return std::string_view::npos;
  return static_cast<size_t>(found - haystack.begin());
}

}  // namespace

std::string_view TagContent(std::string_view contents, std::string_view tagName, std::string_view closingTag) {
  const std::string openingTag = "<" + std::string(tagName);
  const size_t opening = FindIgnoringCase(contents, openingTag, 0);
  if (opening == std::string_view::npos) return contents;
  const size_t close = contents.find('>', opening + openingTag.size());
  if (close == std::string_view::npos) return contents;
  const size_t start = close + 1;
  const size_t end = FindIgnoringCase(contents, closingTag, start);
  return contents.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
}

}  // namespace avex
