// A CONNECT tunnel: bytes relayed both ways between the client and the
// server, undecided, since the plug-in cannot see into encrypted content.
#pragma once

#include <chrono>
#include <cstdint>

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/beast/core/flat_buffer.hpp>

namespace avex::host::proxy {

struct TunnelBytes {
  uint64_t toServer = 0;
  uint64_t toClient = 0;
};

// Relays until both sides have closed, either side fails, or nothing moved
// for `idle`; `early` holds what the client sent behind its CONNECT header
// and goes to the server first. Both sockets are closed at the end.
TunnelBytes RunTunnel(boost::asio::io_context& io, boost::asio::ip::tcp::socket& client,
                      boost::asio::ip::tcp::socket& server, boost::beast::flat_buffer& early,
                      std::chrono::milliseconds idle);

}  // namespace avex::host::proxy
