// Each connection thread owns an io_context of its own and runs every
// asynchronous operation on it to its end: the thread reads as if blocking,
// while a stream's expiry still ends an operation that waits too long, and a
// handler that the listener posts (to stop) runs in between.
#pragma once

#include <boost/asio/io_context.hpp>
#include <boost/beast/core/error.hpp>

namespace avex::host::proxy {

// Starts the operation with `start(handler)` and runs `io` until nothing is
// left to do; the operation's error, or operation_aborted when it never ended.
template <typename Start>
boost::beast::error_code RunToEnd(boost::asio::io_context& io, Start&& start) {
  boost::beast::error_code result = boost::asio::error::operation_aborted;
  start([&result](boost::beast::error_code ec, auto&&...) { result = ec; });
  io.restart();
  io.run();
  return result;
}

}  // namespace avex::host::proxy
