// Escaping of text for insertion into HTML.
#pragma once

#include <string>
#include <string_view>

namespace avex {

// Appends `text` to `out` with &, <, >, " and ' written as character
// references, so that it shows as text in element content and in quoted
// attribute values. Byte-wise: in every ANSI code page these five are
// single-byte characters that never occur inside a double-byte character.
void AppendHtmlEscaped(std::string_view text, std::string* out);

// `text` escaped as by AppendHtmlEscaped.
std::string HtmlEscaped(std::string_view text);

}  // namespace avex
