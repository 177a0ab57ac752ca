#include "lists/url.h"

#include "platform/code_page.h"

namespace avex {

namespace {

bool IsTrailingSeparator(char c) { return c == '\\' || c == '/' || c == '?'; }

}  // namespace

void NormaliseUrlInto(std::string_view text, std::string* out) {
  out->assign(text.data(), text.size());
  platform::LowerInPlace(out);
  size_t end = out->size();
  while (end > 0 && IsTrailingSeparator((*out)[end - 1])) --end;
  out->resize(end);
}

std::string NormaliseUrl(std::string_view text) {
  std::string result;
  NormaliseUrlInto(text, &result);
  return result;
}

std::string_view HostOf(std::string_view url) {
  // The scheme state passes over everything up to the first colon; a slash
  // before it means the URL has no scheme and so no host.
  size_t i = 0;
  for (; i < url.size(); ++i) {
    if (url[i] == ':') break;
    if (url[i] == '/') return {};
  }
  if (i == url.size()) return {};
  // The two characters after the colon are taken to be the slashes of
  // "scheme://", whatever they are; a URL may end before them.
  const size_t hostStart = i + 3;
  if (hostStart >= url.size()) return {};
  size_t hostEnd = hostStart;
  while (hostEnd < url.size() && url[hostEnd] != '/' && url[hostEnd] != '\\') ++hostEnd;
  return url.substr(hostStart, hostEnd - hostStart);
}

}  // namespace avex
