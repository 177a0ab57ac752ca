#include "host/proxy/hop_by_hop.h"

#include <string>
#include <vector>

#include <boost/beast/http/rfc7230.hpp>

namespace avex::host::proxy {

namespace http = boost::beast::http;

void RemoveHopByHopFields(http::fields* fields) {
  std::vector<std::string> named;
  for (const auto& field : *fields) {
    if (field.name() != http::field::connection && field.name() != http::field::proxy_connection) continue;
    for (const auto token : http::token_list(field.value())) named.emplace_back(token);
  }
  for (const std::string& name : named) fields->erase(name);
  for (const http::field name : {http::field::connection, http::field::keep_alive, http::field::proxy_connection,
                                 http::field::proxy_authorization, http::field::te, http::field::trailer,
                                 http::field::upgrade}) {
    fields->erase(name);
  }
}

}  // namespace avex::host::proxy
