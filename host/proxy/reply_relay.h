// Forwards an origin server's reply to the client as it came: status, header
// fields (less the hop-by-hop ones), and the body with its own framing,
// chunked or with a length. Body bytes that were read ahead (to let the
// plug-in decide) go first; the rest streams through as it arrives.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

#include <boost/asio/io_context.hpp>
#include <boost/beast/core/tcp_stream.hpp>

#include "host/proxy/upstream.h"

namespace avex::host::proxy {

struct RelayOutcome {
  uint64_t bytes = 0;            // body bytes sent to the client
  bool replyComplete = false;    // the reply was read to its end (the server connection may be kept)
  bool clientWritable = false;   // the client got everything and may send its next request
};

// `parser` holds the reply header and has read `held` of the body already.
// The client connection stays open after the reply when `keepAlive` is set
// and the reply's end does not depend on the server closing its connection.
RelayOutcome RelayReply(boost::asio::io_context& io, ReplyParser& parser, Upstream& upstream,
                        boost::beast::tcp_stream& client, const std::string& held, bool keepAlive,
                        std::chrono::milliseconds upstreamTimeout, std::chrono::milliseconds clientTimeout);

// Reads further body bytes into `held` until the reply ends or `held` reaches
// `limit`; each piece also goes to `consume` as it arrives. False when the
// server failed or went silent.
template <typename Consume>
bool ReadAhead(boost::asio::io_context& io, ReplyParser& parser, Upstream& upstream, size_t limit,
               std::chrono::milliseconds timeout, std::string* held, Consume&& consume);

}  // namespace avex::host::proxy

#include "host/proxy/reply_relay_inl.h"
