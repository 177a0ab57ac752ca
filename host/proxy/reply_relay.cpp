#include "host/proxy/reply_relay.h"

#include <boost/beast/http/read.hpp>
#include <boost/beast/http/serializer.hpp>
#include <boost/beast/http/write.hpp>

#include "host/proxy/hop_by_hop.h"
#include "host/proxy/run_to_end.h"

namespace avex::host::proxy {

namespace beast = boost::beast;
namespace http = beast::http;

RelayOutcome RelayReply(boost::asio::io_context& io, ReplyParser& parser, Upstream& upstream,
                        beast::tcp_stream& client, const std::string& held, bool keepAlive,
                        std::chrono::milliseconds upstreamTimeout, std::chrono::milliseconds clientTimeout) {
  RelayOutcome outcome;
  auto& reply = parser.get();
  // Without a length or chunks, only the server's close ends the body: the
  // client learns the end the same way.
  const bool delimited = parser.is_done() || parser.chunked() || parser.content_length().has_value();
  const bool serverKeeps = reply.keep_alive();
  RemoveHopByHopFields(&reply.base());
  reply.keep_alive(keepAlive && delimited);

  http::response_serializer<http::buffer_body> serializer(reply);
  beast::error_code ec;
  if (parser.is_done() && held.empty()) {
    client.expires_after(clientTimeout);
    ec = RunToEnd(io, [&](auto handler) { http::async_write_header(client, serializer, std::move(handler)); });
    outcome.replyComplete = true;
    outcome.clientWritable = !ec && reply.keep_alive();
    upstream.KeepFor(serverKeeps);
    return outcome;
  }

  constexpr size_t kPiece = 16 * 1024;
  char piece[kPiece];
  bool first = true;
  do {
    if (first && !held.empty()) {
      reply.body().data = const_cast<char*>(held.data());
      reply.body().size = held.size();
      reply.body().more = !parser.is_done();
    } else if (!parser.is_done()) {
      reply.body().data = piece;
      reply.body().size = kPiece;
      upstream.Stream().expires_after(upstreamTimeout);
      ec = RunToEnd(io, [&](auto handler) { http::async_read(upstream.Stream(), upstream.Buffer(), parser, std::move(handler)); });
      if (ec == http::error::need_buffer) ec = {};
      // A server that ends an unframed body by closing has finished it.
      if (ec == http::error::end_of_stream && !delimited) ec = {};
      if (ec) break;
      reply.body().size = kPiece - reply.body().size;
      reply.body().data = piece;
      reply.body().more = !parser.is_done();
    } else {
      reply.body().data = nullptr;
      reply.body().size = 0;
      reply.body().more = false;
    }
    first = false;
    outcome.bytes += reply.body().size;
    client.expires_after(clientTimeout);
    ec = RunToEnd(io, [&](auto handler) { http::async_write(client, serializer, std::move(handler)); });
    if (ec == http::error::need_buffer) ec = {};
    if (ec) break;
  } while (!serializer.is_done());

  outcome.replyComplete = !ec && parser.is_done();
  outcome.clientWritable = outcome.replyComplete && serializer.is_done() && reply.keep_alive();
  upstream.KeepFor(outcome.replyComplete && serverKeeps && delimited);
  return outcome;
}

}  // namespace avex::host::proxy
