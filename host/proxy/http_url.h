// Where a proxied request goes: the parts of an absolute http:// URL (the
// target a browser sends to its proxy) and of a CONNECT target.
#pragma once

#include <string>
#include <string_view>

namespace avex::host::proxy {

struct UpstreamTarget {
  std::string host;  // a name, an IPv4 address, or an IPv6 address without brackets
  std::string port;  // decimal
  std::string path;  // origin form: "/" and what follows, query included
};

// "http://host[:port][/path][?query]" (scheme in any case); false for other
// schemes, user information, an empty host or a port outside 1 to 65535.
bool SplitHttpUrl(std::string_view url, UpstreamTarget* target);

// "host:port" as CONNECT names it; the path stays empty.
bool SplitAuthority(std::string_view authority, UpstreamTarget* target);

}  // namespace avex::host::proxy
