// The template part of reply_relay.h.
#pragma once

#include <boost/beast/http/read.hpp>

#include "host/proxy/run_to_end.h"

namespace avex::host::proxy {

template <typename Consume>
bool ReadAhead(boost::asio::io_context& io, ReplyParser& parser, Upstream& upstream, size_t limit,
               std::chrono::milliseconds timeout, std::string* held, Consume&& consume) {
  constexpr size_t kPiece = 16 * 1024;
  char piece[kPiece];
  while (!parser.is_done() && held->size() < limit) {
    parser.get().body().data = piece;
    parser.get().body().size = kPiece;
    upstream.Stream().expires_after(timeout);
    boost::beast::error_code ec = RunToEnd(io, [&](auto handler) {
      boost::beast::http::async_read(upstream.Stream(), upstream.Buffer(), parser, std::move(handler));
    });
    if (ec == boost::beast::http::error::need_buffer) ec = {};
    if (ec) return false;
    const size_t size = kPiece - parser.get().body().size;
    held->append(piece, size);
    consume(piece, size);
  }
  return true;
}

}  // namespace avex::host::proxy
