#include "host/proxy/tunnel.h"

#include <array>

#include <boost/asio/steady_timer.hpp>
#include <boost/asio/write.hpp>

namespace avex::host::proxy {

namespace asio = boost::asio;
using tcp = asio::ip::tcp;
using Clock = std::chrono::steady_clock;

namespace {

class Tunnel {
 public:
  Tunnel(asio::io_context& io, tcp::socket& client, tcp::socket& server, std::chrono::milliseconds idle)
      : idle_(idle), timer_(io), upstream_{client, server, {}, 0, true}, downstream_{server, client, {}, 0, true} {}

  TunnelBytes Run(asio::io_context& io, boost::beast::flat_buffer& early) {
    lastActivity_ = Clock::now();
    WatchIdle();
    if (early.size() > 0) {
      upstream_.bytes += early.size();
      asio::async_write(upstream_.to, early.data(), [this](boost::system::error_code ec, size_t) {
        if (ec) return Fail();
        Read(upstream_);
      });
    } else {
      Read(upstream_);
    }
    Read(downstream_);
    io.restart();
    io.run();
    boost::system::error_code ignored;
    upstream_.from.close(ignored);
    upstream_.to.close(ignored);
    return TunnelBytes{upstream_.bytes, downstream_.bytes};
  }

 private:
  struct Direction {
    tcp::socket& from;
    tcp::socket& to;
    std::array<char, 16384> buffer;
    uint64_t bytes;
    bool open;
  };

  void Read(Direction& way) {
    way.from.async_read_some(asio::buffer(way.buffer), [this, &way](boost::system::error_code ec, size_t size) {
      if (ec) return End(way, ec);
      lastActivity_ = Clock::now();
      way.bytes += size;
      asio::async_write(way.to, asio::buffer(way.buffer.data(), size), [this, &way](boost::system::error_code ec, size_t) {
        if (ec) return Fail();
        Read(way);
      });
    });
  }

  // The end of one direction is passed on as a half close; the tunnel ends with both.
  void End(Direction& way, boost::system::error_code ec) {
    if (ec != asio::error::eof) return Fail();
    way.open = false;
    boost::system::error_code ignored;
    way.to.shutdown(tcp::socket::shutdown_send, ignored);
    if (!upstream_.open && !downstream_.open) timer_.cancel();
  }

  void Fail() {
    upstream_.open = downstream_.open = false;
    timer_.cancel();
    boost::system::error_code ignored;
    upstream_.from.close(ignored);
    upstream_.to.close(ignored);
  }

  void WatchIdle() {
    timer_.expires_at(lastActivity_ + idle_);
    timer_.async_wait([this](boost::system::error_code ec) {
      if (ec || (!upstream_.open && !downstream_.open)) return;
      if (Clock::now() - lastActivity_ >= idle_) return Fail();
      WatchIdle();
    });
  }

  std::chrono::milliseconds idle_;
  asio::steady_timer timer_;
  Clock::time_point lastActivity_;
  Direction upstream_;
  Direction downstream_;
};

}  // namespace

TunnelBytes RunTunnel(asio::io_context& io, tcp::socket& client, tcp::socket& server,
                      boost::beast::flat_buffer& early, std::chrono::milliseconds idle) {
  Tunnel tunnel(io, client, server, idle);
  return tunnel.Run(io, early);
}

}  // namespace avex::host::proxy
