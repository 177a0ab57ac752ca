// The user a request names in its `Proxy-Authorization: Basic` header. The
// proxy asks for no password and checks none: like the proxy server behind
// an authenticating front, it takes the name as given.
#pragma once

#include <string>
#include <string_view>

namespace avex::host::proxy {

// The user name in `header` ("Basic " and base64 of "name:password"), or
// empty when the header is absent, of another scheme or not valid base64.
std::string UserFromProxyAuthorization(std::string_view header);

}  // namespace avex::host::proxy
