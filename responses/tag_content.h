// The content of an HTML element in a file that an administrator imports as
// a block page's title or body: the bytes between the element's opening tag
// and its closing tag, as they stand in the file.
//
// The rule, with tag and closing tag compared without regard to case:
//   1. find the first "<" followed by the tag name (so "<body" also finds
//      "<BODY bgcolor=white>"); none: the whole file;
//   2. find the first ">" after it; none: the whole file;
//   3. find the first closing tag after that ">";
//   4. the result runs from just after the ">" up to the closing tag, or to
//      the end of the file when there is none.
// The attributes of the opening tag and everything outside the element are
// dropped.
//
// Letter case is folded for ASCII letters only: the tag names we look for
// are ASCII, only ASCII letters fold to ASCII letters in an ANSI code page,
// and "<", "/" and ">" never are the trail byte of a double-byte character,
// so a tag found this way is one the code page's own folding finds too.
#pragma once

#include <string_view>

namespace avex {

// A view into `contents` (embedded NUL bytes are ordinary bytes), found in
// time linear in its length for a given tag. Any thread.
std::string_view TagContent(std::string_view contents, std::string_view tagName, std::string_view closingTag);

}  // namespace avex
