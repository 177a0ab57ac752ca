#include "host/proxy/http_url.h"

#include <cctype>

namespace avex::host::proxy {

namespace {

bool ValidPort(std::string_view port) {
  if (port.empty() || port.size() > 5) return false;
  unsigned value = 0;
  for (char c : port) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + static_cast<unsigned>(c - '0');
  }
  return value >= 1 && value <= 65535;
}

// host, [v6], host:port or [v6]:port; `defaultPort` when none is given (empty: required).
bool SplitHostPort(std::string_view authority, std::string_view defaultPort, UpstreamTarget* target) {
  if (authority.find('@') != std::string_view::npos) return false;
  std::string_view host = authority;
  std::string_view port = defaultPort;
  if (!authority.empty() && authority.front() == '[') {
    const size_t close = authority.find(']');
    if (close == std::string_view::npos) return false;
    host = authority.substr(1, close - 1);
    const std::string_view rest = authority.substr(close + 1);
    if (!rest.empty()) {
      if (rest.front() != ':') return false;
      port = rest.substr(1);
    }
  } else {
    const size_t colon = authority.rfind(':');
    if (colon != std::string_view::npos) {
      host = authority.substr(0, colon);
      port = authority.substr(colon + 1);
    }
  }
  if (host.empty() || !ValidPort(port)) return false;
  for (char c : host) {
    if (std::isspace(static_cast<unsigned char>(c)) || c == '/' || c == '[' || c == ']') return false;
  }
  target->host.assign(host);
  target->port.assign(port);
  return true;
}

}  // namespace

bool SplitHttpUrl(std::string_view url, UpstreamTarget* target) {
  constexpr std::string_view kScheme = "http://";
  if (url.size() < kScheme.size()) return false;
  for (size_t i = 0; i < kScheme.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(url[i])) != kScheme[i]) return false;
  }
  const std::string_view rest = url.substr(kScheme.size());
  const size_t pathStart = rest.find_first_of("/?#");
  const std::string_view authority = rest.substr(0, pathStart);
  if (!SplitHostPort(authority, "80", target)) return false;
  std::string_view path = pathStart == std::string_view::npos ? std::string_view() : rest.substr(pathStart);
  path = path.substr(0, path.find('#'));  // a fragment never goes to the server
  target->path = path.empty() || path.front() != '/' ? "/" + std::string(path) : std::string(path);
  return true;
}

bool SplitAuthority(std::string_view authority, UpstreamTarget* target) {
  target->path.clear();
  return SplitHostPort(authority, std::string_view(), target);
}

}  // namespace avex::host::proxy
