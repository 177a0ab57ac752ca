#include "responses/html_escape.h"

namespace avex {

void AppendHtmlEscaped(std::string_view text, std::string* out) {
  size_t from = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const char* reference;
    switch (text[i]) {
      case '&': reference = "&amp;"; break;
      case '<': reference = "&lt;"; break;
      case '>': reference = "&gt;"; break;
      case '"': reference = "&quot;"; break;
      case '\'': reference = "&#39;"; break;
      default: continue;
    }
    out->append(text, from, i - from);
    out->append(reference);
    from = i + 1;
  }
  out->append(text, from, text.size() - from);
}

std::string HtmlEscaped(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  AppendHtmlEscaped(text, &out);
  return out;
}

}  // namespace avex
