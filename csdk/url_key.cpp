#include "csdk/url_key.h"

#include "platform/code_page.h"

namespace avex::csdk {

std::string UrlKey(std::string_view url) {
  size_t scheme = url.find("://");
  if (scheme != std::string_view::npos && url.find_first_of("/?") > scheme) url.remove_prefix(scheme + 3);
  url = url.substr(0, url.find('#'));
  std::string key(url);
  for (char& c : key) {
    if (c == '\\') c = '/';
  }
  while (!key.empty() && (key.back() == '/' || key.back() == '?')) key.pop_back();
  platform::LowerInPlace(&key);
  return key;
}

std::string_view KeyHost(std::string_view key) {
  std::string_view host = key.substr(0, key.find_first_of("/?"));
  size_t at = host.rfind('@');
  if (at != std::string_view::npos) host.remove_prefix(at + 1);
  size_t colon = host.find(':');
  return host.substr(0, colon);
}

}  // namespace avex::csdk
