#include "csdk/page_text.h"

#include <cctype>

#include "platform/code_page.h"

namespace avex::csdk {
namespace {

bool IsAsciiAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

bool IsWordByte(unsigned char byte) {
  if (byte < 0x80) return std::isalnum(byte) != 0;
  switch (byte) {
    case 0x8A: case 0x8C: case 0x8E: case 0x9A: case 0x9C: case 0x9E: case 0x9F:
    case 0xAA: case 0xB5: case 0xBA:
      return true;
    case 0xD7: case 0xF7:  // multiplication and division signs
      return false;
    default:
      return byte >= 0xC0;
  }
}

bool StartsWithIgnoringCase(std::string_view text, size_t pos, std::string_view prefix) {
  if (text.size() - pos < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(text[pos + i])) != prefix[i]) return false;
  }
  return true;
}

// Where the text goes on after the element whose start tag begins at `pos`
// (a '<'): past its '>', or, for script and style, past their end tag.
size_t SkipMarkup(std::string_view html, size_t pos) {
  if (html.compare(pos, 4, "<!--") == 0) {
    size_t end = html.find("-->", pos + 4);
    return end == std::string_view::npos ? html.size() : end + 3;
  }
  size_t close = html.find('>', pos);
  size_t afterTag = close == std::string_view::npos ? html.size() : close + 1;
  for (std::string_view element : {std::string_view("script"), std::string_view("style")}) {
    size_t nameEnd = pos + 1 + element.size();
    if (StartsWithIgnoringCase(html, pos + 1, element) &&
        (nameEnd == html.size() || !std::isalnum(static_cast<unsigned char>(html[nameEnd])))) {
      std::string endTag = "</" + std::string(element);
      for (size_t end = afterTag; end < html.size(); ++end) {
        if (html[end] == '<' && StartsWithIgnoringCase(html, end, endTag)) return SkipMarkup(html, end);
      }
      return html.size();
    }
  }
  return afterTag;
}

bool StartsMarkup(std::string_view html, size_t pos) {
  if (pos + 1 >= html.size()) return false;
  char next = html[pos + 1];
  return IsAsciiAlpha(next) || next == '/' || next == '!' || next == '?';
}

// The length of the character reference at `pos` (a '&'), or 0 when none starts there.
size_t ReferenceLength(std::string_view html, size_t pos) {
  constexpr size_t kLongestName = 32;
  for (size_t end = pos + 1; end < html.size() && end - pos <= kLongestName; ++end) {
    char c = html[end];
    if (c == ';') return end > pos + 1 ? end - pos + 1 : 0;
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '#') return 0;
  }
  return 0;
}

}  // namespace

std::string VisibleText(std::string_view html) {
  std::string text;
  text.reserve(html.size());
  size_t pos = 0;
  while (pos < html.size()) {
    char c = html[pos];
    if (c == '<' && StartsMarkup(html, pos)) {
      pos = SkipMarkup(html, pos);
      text.push_back(' ');
    } else if (size_t reference = c == '&' ? ReferenceLength(html, pos) : 0) {
      pos += reference;
      text.push_back(' ');
    } else {
      text.push_back(c);
      ++pos;
    }
  }
  platform::LowerInPlace(&text);
  return text;
}

std::vector<std::string_view> Words(std::string_view text) {
  std::vector<std::string_view> words;
  size_t pos = 0;
  while (pos < text.size()) {
    while (pos < text.size() && !IsWordByte(static_cast<unsigned char>(text[pos]))) ++pos;
    size_t start = pos;
    while (pos < text.size() && IsWordByte(static_cast<unsigned char>(text[pos]))) ++pos;
    if (pos > start) words.push_back(text.substr(start, pos - start));
  }
  return words;
}

}  // namespace avex::csdk
