// Accepts the proxy's clients and gives each connection a thread of its own,
// up to the configured number at once; a client beyond that gets a 503 reply
// at once, so that a flood of connections never stops the proxy serving the
// ones it has. Serves until Ctrl+C (or SIGTERM), or until the stop file
// appears, then ends every connection and waits for its thread.
#pragma once

#include <list>
#include <memory>
#include <string>

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/signal_set.hpp>
#include <boost/asio/steady_timer.hpp>

#include "host/proxy/connection.h"

namespace avex::host::proxy {

class Listener {
 public:
  Listener(const ProxySettings& settings, PluginHost* plugin, LineOutput* output);

  // Binds the address of --listen; false with `error` set.
  bool Open(std::string* error);
  // The bound address ("127.0.0.1:8080"), its port chosen by the system when --listen gave 0.
  std::string Address() const;
  // Serves until stopped; every connection has ended when it returns.
  void Run();

  unsigned long Served() const { return served_; }
  unsigned long Refused() const { return refused_; }

 private:
  void Accept();
  void Accepted(boost::system::error_code ec);
  void Refuse(boost::asio::ip::tcp::socket& socket);
  void ForgetFinished();
  void WatchStopFile();
  void Stop();

  const ProxySettings& settings_;
  PluginHost* plugin_;
  LineOutput* output_;
  boost::asio::io_context io_;
  boost::asio::ip::tcp::acceptor acceptor_;
  boost::asio::signal_set signals_;
  boost::asio::steady_timer stopFileTimer_;
  std::list<std::unique_ptr<Connection>> connections_;
  // Accepted into next; it takes the io_context the connection's thread runs.
  std::unique_ptr<Connection> next_;
  bool stopping_ = false;
  unsigned long served_ = 0;
  unsigned long refused_ = 0;
};

}  // namespace avex::host::proxy
