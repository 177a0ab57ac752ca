#include "host/proxy/listener.h"

#include <csignal>
#include <fstream>

#include <boost/asio/write.hpp>

namespace avex::host::proxy {

namespace asio = boost::asio;
using tcp = asio::ip::tcp;

namespace {

constexpr std::chrono::milliseconds kStopFilePoll{200};

bool FileExists(const std::string& path) { return std::ifstream(path).good(); }

}  // namespace

Listener::Listener(const ProxySettings& settings, PluginHost* plugin, LineOutput* output)
    : settings_(settings), plugin_(plugin), output_(output), acceptor_(io_), signals_(io_), stopFileTimer_(io_) {}

bool Listener::Open(std::string* error) {
  const size_t colon = settings_.listen.rfind(':');
  boost::system::error_code ec;
  const asio::ip::address address = asio::ip::make_address(
      colon == std::string::npos ? std::string() : settings_.listen.substr(0, colon), ec);
  char* end = nullptr;
  const std::string portText = colon == std::string::npos ? std::string() : settings_.listen.substr(colon + 1);
  const unsigned long port = std::strtoul(portText.c_str(), &end, 10);
  if (ec || portText.empty() || *end != '\0' || port > 65535) {
    *error = "--listen needs ADDRESS:PORT (port 0: any free one), not " + settings_.listen;
    return false;
  }
  const tcp::endpoint endpoint(address, static_cast<unsigned short>(port));
  acceptor_.open(endpoint.protocol(), ec);
  if (!ec) acceptor_.bind(endpoint, ec);
  if (!ec) acceptor_.listen(asio::socket_base::max_listen_connections, ec);
  if (ec) {
    *error = "cannot listen on " + settings_.listen + ": " + ec.message();
    return false;
  }
  return true;
}

std::string Listener::Address() const {
  boost::system::error_code ec;
  const tcp::endpoint endpoint = acceptor_.local_endpoint(ec);
  return endpoint.address().to_string() + ":" + std::to_string(endpoint.port());
}

void Listener::Run() {
  signals_.add(SIGINT);
  signals_.add(SIGTERM);
  signals_.async_wait([this](boost::system::error_code ec, int) {
    if (!ec) Stop();
  });
  if (!settings_.stopFile.empty()) WatchStopFile();
  Accept();
  io_.run();
  // Every connection is told to end, then waited for: each releases its
  // scanning object on its own thread.
  for (auto& connection : connections_) connection->Stop();
  connections_.clear();
  next_.reset();
}

void Listener::Accept() {
  if (!next_) next_ = std::make_unique<Connection>(settings_, plugin_, output_);
  acceptor_.async_accept(next_->Socket(), [this](boost::system::error_code ec) { Accepted(ec); });
}

void Listener::Accepted(boost::system::error_code ec) {
  if (stopping_) return;
  if (!ec) {
    ForgetFinished();
    if (connections_.size() >= settings_.maxConnections) {
      Refuse(next_->Socket());
    } else {
      ++served_;
      next_->Start();
      connections_.push_back(std::move(next_));
    }
  }
  Accept();
}

// The reply is tiny and goes out without waiting; the request that the
// client may have sent already is read away first, so that closing sends
// the end of the stream and not a reset that could overtake the reply.
void Listener::Refuse(tcp::socket& socket) {
  ++refused_;
  static const std::string kBody = "avexhost: too many connections at once; try again shortly.\n";
  static const std::string kBusy =
      "HTTP/1.1 503 Service Unavailable\r\nContent-Type: text/plain; charset=utf-8\r\nRetry-After: 1\r\n"
      "Connection: close\r\nContent-Length: " + std::to_string(kBody.size()) + "\r\n\r\n" + kBody;
  boost::system::error_code ec;
  socket.non_blocking(true, ec);
  asio::write(socket, asio::buffer(kBusy), ec);
  char sink[4096];
  while (!ec) socket.read_some(asio::buffer(sink), ec);
  socket.shutdown(tcp::socket::shutdown_both, ec);
  socket.close(ec);
}

void Listener::ForgetFinished() {
  connections_.remove_if([](const std::unique_ptr<Connection>& connection) { return connection->Finished(); });
}

void Listener::WatchStopFile() {
  stopFileTimer_.expires_after(kStopFilePoll);
  stopFileTimer_.async_wait([this](boost::system::error_code ec) {
    if (ec) return;
    if (FileExists(settings_.stopFile)) return Stop();
    WatchStopFile();
  });
}

void Listener::Stop() {
  if (stopping_) return;
  stopping_ = true;
  ForgetFinished();
  output_->Write("stopping: " + std::to_string(connections_.size()) + " open connections end");
  boost::system::error_code ignored;
  acceptor_.close(ignored);
  signals_.cancel(ignored);
  stopFileTimer_.cancel();
}

}  // namespace avex::host::proxy
