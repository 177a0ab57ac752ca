// The words a reader of a page sees, for phrase matching.
//
// Plain functions over values; any thread.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace avex::csdk {

// The visible text of an HTML page (plain text passes through), lower-cased
// in code page 1252: tags, comments and the bodies of script and style
// elements become spaces, and so do character references ("&amp;"), so that
// neither markup nor its names count as words. A '<' that starts no tag is
// text.
std::string VisibleText(std::string_view html);

// The words of `text`: runs of letters and digits (code page 1252 letters
// included); everything else separates them. The views point into `text`.
std::vector<std::string_view> Words(std::string_view text);

}  // namespace avex::csdk
