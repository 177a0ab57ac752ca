// The header fields that belong to one connection and never travel on
// through a proxy: Connection, the fields it names, Keep-Alive,
// Proxy-Connection, Proxy-Authorization, TE, Trailer and Upgrade.
#pragma once

#include <boost/beast/http/fields.hpp>

namespace avex::host::proxy {

void RemoveHopByHopFields(boost::beast::http::fields* fields);

}  // namespace avex::host::proxy
