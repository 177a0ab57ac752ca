#include "responses/page_tags.h"

#include <cstddef>
#include <vector>

namespace avex {
namespace {

constexpr std::string_view Keywords[] = {"HTML", "/HTML", "HEAD", "/HEAD",
                                         "TITLE", "/TITLE", "BODY", "/BODY"};
constexpr size_t LongestKeyword = 6;

char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// Whether `keyword` stands at `at`, ending no later than `end`, ignoring ASCII case.
bool KeywordAt(const std::string& text, size_t at, size_t end, std::string_view keyword) {
  if (end < at || end - at < keyword.size()) return false;
  for (size_t i = 0; i < keyword.size(); ++i) {
    if (AsciiUpper(text[at + i]) != keyword[i]) return false;
  }
  return true;
}

// Whether the inner text [at, end) begins with a keyword.
bool BeginsWithKeyword(const std::string& text, size_t at, size_t end) {
  for (std::string_view keyword : Keywords) {
    if (KeywordAt(text, at, end, keyword)) return true;
  }
  return false;
}

// Every keyword ends in one of these letters.
bool EndsSomeKeyword(char c) {
  char u = AsciiUpper(c);
  return u == 'L' || u == 'D' || u == 'E' || u == 'Y';
}

// Whether a blank and a keyword end at `last` (inclusive).
bool BlankKeywordEndsAt(const std::string& text, size_t last) {
  for (std::string_view keyword : Keywords) {
    size_t length = keyword.size() + 1;
    if (last + 1 < length) continue;
    size_t blank = last + 1 - length;
    if (text[blank] != ' ') continue;
    if (KeywordAt(text, blank + 1, last + 1, keyword)) return true;
  }
  return false;
}

}  // namespace

// The text is copied through once. Tags before the last ">" that was kept are
// settled: a deletion only ever changes the tags of the "<"s after that ">"
// (they all close at the same ">"), so only those - the open group - are
// tracked. When the group closes, its first "<" is a page-structure tag if a
// blank-and-keyword occurs anywhere in the group (every later "<" would
// contain less of it), otherwise the first "<" whose next few characters begin
// with a keyword is. A deletion is always the tail of the output; the "<"s
// before it stay open and close at the next ">" of the input.
std::string StripPageStructureTags(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  std::vector<size_t> opens;  // positions in `out` of the open group's "<"s
  size_t settled = 0;         // opens[0, settled) are known not to begin with a keyword
  bool blankKeyword = false;  // a blank-and-keyword stands after opens[0]

  for (char c : text) {
    if (c == '<') {
      out.push_back(c);
      opens.push_back(out.size() - 1);
      continue;
    }
    if (c != '>') {
      out.push_back(c);
      // An occurrence ending here lies inside the group: it cannot reach back
      // over the group's first "<", which is neither a blank nor a letter.
      if (!opens.empty() && !blankKeyword && EndsSomeKeyword(c)) {
        blankKeyword = BlankKeywordEndsAt(out, out.size() - 1);
      }
      continue;
    }
    if (opens.empty()) {
      out.push_back(c);
      continue;
    }
    if (blankKeyword) {
      // The group's first "<" is a page-structure tag: the whole group goes.
      out.resize(opens.front());
      opens.clear();
      settled = 0;
      blankKeyword = false;
      continue;
    }
    size_t end = out.size();
    size_t found = opens.size();
    for (size_t i = settled; i < opens.size(); ++i) {
      if (BeginsWithKeyword(out, opens[i] + 1, end)) {
        found = i;
        break;
      }
    }
    if (found == opens.size()) {
      // No page-structure tag: the group is settled for good.
      out.push_back(c);
      opens.clear();
      settled = 0;
      continue;
    }
    size_t deleted = opens[found];
    out.resize(deleted);
    opens.resize(found);
    // A "<" whose keyword window reached into the deleted tag sees new
    // characters there from now on.
    settled = opens.size();
    while (settled > 0 && opens[settled - 1] + 1 + LongestKeyword > deleted) --settled;
  }
  return out;
}

}  // namespace avex
