// The connection from the proxy to origin servers for one client connection:
// kept open between requests to the same server (keep-alive), replaced when
// a request goes elsewhere, and given up when a reply was not read to its end.
#pragma once

#include <chrono>
#include <optional>
#include <string>

#include <boost/asio/io_context.hpp>
#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/core/tcp_stream.hpp>
#include <boost/beast/http/buffer_body.hpp>
#include <boost/beast/http/parser.hpp>
#include <boost/beast/http/string_body.hpp>

namespace avex::host::proxy {

using ProxyRequest = boost::beast::http::request<boost::beast::http::string_body>;
using ReplyParser = boost::beast::http::response_parser<boost::beast::http::buffer_body>;

// Why no reply header arrived.
struct UpstreamFailure {
  bool timedOut = false;
  std::string message;
};

class Upstream {
 public:
  explicit Upstream(boost::asio::io_context& io) : io_(io), stream_(io) {}

  // Connected to `host`:`port`, reusing the open connection when it goes there.
  bool Connect(const std::string& host, const std::string& port, std::chrono::milliseconds timeout,
               UpstreamFailure* failure);

  // Sends `request` to `host`:`port` and reads the reply's header into a new
  // `parser` (for a HEAD request, one that expects no body). A reused
  // connection that the server closed meanwhile is replaced once.
  bool Exchange(const std::string& host, const std::string& port, ProxyRequest& request,
                std::optional<ReplyParser>* parser, std::chrono::milliseconds timeout, UpstreamFailure* failure);

  boost::beast::tcp_stream& Stream() { return stream_; }
  boost::beast::flat_buffer& Buffer() { return buffer_; }
  // After a reply: keeps the connection for the next request, or closes it.
  void KeepFor(bool reusable);
  void Close();

 private:
  boost::asio::io_context& io_;
  boost::beast::tcp_stream stream_;
  boost::beast::flat_buffer buffer_;
  std::string connectedTo_;  // "host:port" while open
};

}  // namespace avex::host::proxy
