#include "host/proxy/upstream.h"

#include <cstdint>
#include <limits>

#include <boost/asio/ip/tcp.hpp>
#include <boost/beast/http/read.hpp>
#include <boost/beast/http/write.hpp>

#include "host/proxy/run_to_end.h"

namespace avex::host::proxy {

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
using tcp = asio::ip::tcp;

bool Upstream::Connect(const std::string& host, const std::string& port, std::chrono::milliseconds timeout,
                       UpstreamFailure* failure) {
  const std::string destination = host + ":" + port;
  if (connectedTo_ == destination && stream_.socket().is_open()) return true;
  Close();
  // Resolved on this thread: an asynchronous resolver would start a thread
  // of its own for every connection's io_context.
  tcp::resolver resolver(io_);
  beast::error_code ec;
  const tcp::resolver::results_type addresses = resolver.resolve(host, port, ec);
  if (ec) {
    failure->message = "cannot resolve " + host + ": " + ec.message();
    return false;
  }
  stream_.expires_after(timeout);
  ec = RunToEnd(io_, [&](auto handler) { stream_.async_connect(addresses, std::move(handler)); });
  if (ec) {
    failure->timedOut = ec == beast::error::timeout;
    failure->message = "cannot connect to " + destination + ": " +
                       (failure->timedOut ? std::string("no answer in time") : ec.message());
    Close();
    return false;
  }
  stream_.socket().set_option(tcp::no_delay(true), ec);
  connectedTo_ = destination;
  return true;
}

bool Upstream::Exchange(const std::string& host, const std::string& port, ProxyRequest& request,
                        std::optional<ReplyParser>* parser, std::chrono::milliseconds timeout,
                        UpstreamFailure* failure) {
  for (int attempt = 0; attempt < 2; ++attempt) {
    const bool reused = connectedTo_ == host + ":" + port && stream_.socket().is_open();
    if (!Connect(host, port, timeout, failure)) return false;
    parser->emplace();
    // Boost 1.74 compares a length with an empty limit as larger: the largest limit stands for none.
    (*parser)->body_limit(std::numeric_limits<std::uint64_t>::max());
    if (request.method() == http::verb::head) (*parser)->skip(true);
    stream_.expires_after(timeout);
    beast::error_code ec = RunToEnd(io_, [&](auto handler) { http::async_write(stream_, request, std::move(handler)); });
    if (!ec) {
      stream_.expires_after(timeout);
      ec = RunToEnd(io_, [&](auto handler) { http::async_read_header(stream_, buffer_, **parser, std::move(handler)); });
    }
    if (!ec) return true;
    Close();
    // A kept connection may have been closed by the server just before the request.
    const bool closedMeanwhile = ec == http::error::end_of_stream || ec == asio::error::connection_reset ||
                                 ec == asio::error::broken_pipe || ec == asio::error::eof;
    if (reused && closedMeanwhile && !(*parser)->got_some()) continue;
    failure->timedOut = ec == beast::error::timeout;
    failure->message = failure->timedOut ? "no reply from " + host + ":" + port + " in time"
                                         : "no valid reply from " + host + ":" + port + ": " + ec.message();
    return false;
  }
  return false;
}

void Upstream::KeepFor(bool reusable) {
  if (!reusable) Close();
}

void Upstream::Close() {
  beast::error_code ignored;
  stream_.socket().shutdown(tcp::socket::shutdown_both, ignored);
  stream_.close();
  buffer_.clear();
  connectedTo_.clear();
}

}  // namespace avex::host::proxy
