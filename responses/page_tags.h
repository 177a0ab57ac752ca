// Removal of page-structure tags from stored HTML titles and bodies.
//
// A block page wraps the administrator's HTML title and body in a frame of
// its own (HTML, HEAD, TITLE and BODY elements), so the stored texts must not
// bring such tags of their own. A tag is the text from a "<" to the next ">"
// after it; it is a page-structure tag when its inner text, in upper case,
// begins with HTML, /HTML, HEAD, /HEAD, TITLE, /TITLE, BODY or /BODY, or
// contains one of them preceded by a space. So a HEADER tag and
// <!DOCTYPE html> go, and so does <a title="x">; <br> and <font> stay.
//
// The rule that defines the result is a loop: find the first tag from the
// start of the text that is a page-structure tag, delete it from its "<" to
// its ">" inclusive, and start again from the beginning; a "<" with no ">"
// after it ends the loop. A deletion can join the text before the deleted tag
// with the text after it and so turn an earlier, unclosed "<" into a
// page-structure tag ("<a <html>html>" loses everything).
#pragma once

#include <string>
#include <string_view>

namespace avex {

// `text` without its page-structure tags, exactly as the loop above leaves it,
// in time linear in the length of `text` (the loop itself is quadratic).
// Upper-casing only matters for the ASCII letters of the eight keywords, which
// only their own lower-case forms fold to; and a keyword's letter always
// follows the tag's "<", a blank, a slash or another of its letters, none of
// which starts a double-byte character, so it is never the trail byte of one.
// The test is therefore made on ASCII letters, in any ANSI code page. Any thread.
std::string StripPageStructureTags(std::string_view text);

}  // namespace avex
