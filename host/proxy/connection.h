// One client connection on a thread of its own: its requests one after the
// other (keep-alive), each sent on to the origin server and, unless the
// proxy passes everything through, decided by the connection's scanning
// object before anything of the reply reaches the client. CONNECT becomes a
// tunnel. Hostile or broken requests get a clear error reply and end the
// connection, never the proxy.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include <boost/asio/io_context.hpp>
#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/core/tcp_stream.hpp>
#include <boost/beast/http/status.hpp>

#include "host/proxy/line_output.h"
#include "host/proxy/proxy_settings.h"
#include "host/proxy/request_log.h"
#include "host/proxy/scanning_session.h"
#include "host/proxy/upstream.h"

namespace avex::host::proxy {

class Connection {
 public:
  // `plugin` null: pass everything through without the plug-in.
  Connection(const ProxySettings& settings, PluginHost* plugin, LineOutput* output);
  ~Connection();  // joins the thread
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  // The socket the listener accepts into, before Start.
  boost::asio::ip::tcp::socket& Socket() { return client_.socket(); }

  void Start();
  // Any thread: ends the connection at once (its current request is cut off).
  void Stop();
  bool Finished() const { return finished_; }

 private:
  void Serve();
  // One request; false when the connection is to end after it.
  bool ServeRequest();
  // A plain request: sent on to its origin server, and the reply, once
  // decided, back to the client; false when the connection is to end after it.
  bool Forward(ProxyRequest& request, RequestRecord* record);
  // Answers a request whose target is no absolute http:// URL.
  bool RefuseTarget(bool keepAlive, RequestRecord* record);
  // Answers a request the origin server did not take or did not answer in
  // time: the block page when the plug-in blocks the URL anyway, else an error.
  bool AnswerOriginFailure(const UpstreamFailure& failure, bool keepAlive, RequestRecord* record);
  // Lets the scanning object decide on the reply, reading ahead into `held`
  // what it needs to see. Nothing when the reply is to be relayed; otherwise
  // the block page or error has been sent instead, and the answer tells
  // whether the connection takes another request.
  std::optional<bool> DecideOnReply(ReplyParser& parser, bool keepAlive, RequestRecord* record, std::string* held);
  // Sends `held` and the rest of the reply on to the client; true when the
  // connection takes another request.
  bool RelayToClient(ReplyParser& parser, const std::string& held, bool keepAlive, RequestRecord* record);
  void Tunnel(ProxyRequest& request, RequestRecord* record);
  // Answers a request that could not be read (or a read that failed) and
  // lets the connection end; `gotSome` tells whether any byte arrived,
  // `requestLineRead` whether the request line was complete.
  void AnswerUnreadable(boost::beast::error_code ec, bool gotSome, bool requestLineRead);
  // Sends a short text reply; true when it reached the client.
  bool SendError(boost::beast::http::status status, const std::string& text, bool keepAlive, RequestRecord* record);
  bool SendBlockPage(const std::string& page, bool keepAlive, RequestRecord* record);
  bool SendReply(boost::beast::http::status status, const char* contentType, std::string body, bool keepAlive,
                 RequestRecord* record);
  // After an error reply to a client that may still be sending: stop
  // sending, then read and drop what comes for a moment, so that the client
  // reads the reply instead of a reset.
  void LingeringClose();

  const ProxySettings& settings_;
  PluginHost* plugin_;
  LineOutput* output_;
  boost::asio::io_context io_;
  boost::beast::tcp_stream client_;
  boost::beast::flat_buffer clientBuffer_;
  Upstream upstream_;
  std::optional<ScanningSession> session_;
  std::string clientText_;
  uint32_t clientAddress_ = 0;
  std::thread thread_;
  std::atomic<bool> stopping_{false};
  std::atomic<bool> finished_{false};
};

}  // namespace avex::host::proxy
