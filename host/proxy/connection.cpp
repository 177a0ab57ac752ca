#include "host/proxy/connection.h"

#include <cctype>
#include <chrono>

#include <boost/asio/post.hpp>
#include <boost/asio/write.hpp>
#include <boost/beast/http/read.hpp>
#include <boost/beast/http/write.hpp>

#include "host/proxy/hop_by_hop.h"
#include "host/proxy/http_url.h"
#include "host/proxy/proxy_user.h"
#include "host/proxy/reply_relay.h"
#include "host/proxy/run_to_end.h"
#include "host/proxy/tunnel.h"
#include "host/request_replay.h"

namespace avex::host::proxy {

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
using tcp = asio::ip::tcp;

namespace {

constexpr uint32_t kHeaderLimit = 64 * 1024;
constexpr uint64_t kRequestBodyLimit = 16 * 1024 * 1024;
// The reply bytes held back while the plug-in decides; the engine has seen
// enough long before (it scores the first 64 KiB), and the rest streams.
constexpr size_t kDecisionHold = 1024 * 1024;
constexpr size_t kLingerBytes = 4 * 1024 * 1024;
constexpr std::chrono::seconds kLingerTime{2};

// Boost 1.74's string views are not the standard's.
std::string_view View(beast::string_view text) { return std::string_view(text.data(), text.size()); }

bool StartsWithNoCase(std::string_view text, std::string_view start) {
  if (text.size() < start.size()) return false;
  for (size_t i = 0; i < start.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(text[i])) != start[i]) return false;
  }
  return true;
}

// Turns the proxy request into the one the origin server gets: without the
// hop-by-hop fields and Expect (the proxy has answered it itself), the path
// as target, a Host field, and HTTP/1.1 with keep-alive whatever the client
// asked for.
void AddressToOrigin(const UpstreamTarget& target, ProxyRequest* request) {
  RemoveHopByHopFields(&request->base());
  request->erase(http::field::expect);
  request->target(target.path);
  if (request->find(http::field::host) == request->end()) {
    request->set(http::field::host, target.port == "80" ? target.host : target.host + ":" + target.port);
  }
  request->version(11);
  request->keep_alive(true);
  request->prepare_payload();
}

}  // namespace

Connection::Connection(const ProxySettings& settings, PluginHost* plugin, LineOutput* output)
    : settings_(settings), plugin_(plugin), output_(output), client_(io_), upstream_(io_) {}

Connection::~Connection() {
  if (thread_.joinable()) thread_.join();
}

void Connection::Start() {
  thread_ = std::thread([this] { Serve(); });
}

void Connection::Stop() {
  stopping_ = true;
  asio::post(io_, [this] {
    client_.close();
    upstream_.Close();
  });
}

void Connection::Serve() {
  beast::error_code ec;
  const tcp::endpoint remote = client_.socket().remote_endpoint(ec);
  asio::ip::address address = remote.address();
  if (address.is_v6() && address.to_v6().is_v4_mapped()) {
    address = asio::ip::make_address_v4(asio::ip::v4_mapped, address.to_v6());
  }
  clientText_ = ec ? "-" : address.to_string();
  clientAddress_ = !ec && address.is_v4() ? address.to_v4().to_uint() : 0;
  client_.socket().set_option(tcp::no_delay(true), ec);
  if (plugin_ != nullptr) session_.emplace(plugin_);
  while (!stopping_ && ServeRequest()) {
  }
  client_.socket().shutdown(tcp::socket::shutdown_both, ec);
  client_.close();
  upstream_.Close();
  session_.reset();
  finished_ = true;
}

bool Connection::ServeRequest() {
  http::request_parser<http::string_body> parser;
  parser.header_limit(kHeaderLimit);
  parser.body_limit(kRequestBodyLimit);
  client_.expires_after(settings_.clientTimeout);
  beast::error_code ec =
      RunToEnd(io_, [&](auto handler) { http::async_read_header(client_, clientBuffer_, parser, std::move(handler)); });
  if (ec) {
    // The parser takes the request line before the fields: a line too long never got a target.
    AnswerUnreadable(ec, parser.got_some(), !parser.get().target().empty());
    return false;
  }
  ProxyRequest& request = parser.get();
  if (!parser.is_done()) {
    const auto expect = request.find(http::field::expect);
    if (expect != request.end() && StartsWithNoCase(View(expect->value()), "100-continue")) {
      static const char kContinue[] = "HTTP/1.1 100 Continue\r\n\r\n";
      client_.expires_after(settings_.clientTimeout);
      RunToEnd(io_, [&](auto handler) {
        asio::async_write(client_, asio::buffer(kContinue, sizeof kContinue - 1), std::move(handler));
      });
    }
    client_.expires_after(settings_.clientTimeout);
    ec = RunToEnd(io_, [&](auto handler) { http::async_read(client_, clientBuffer_, parser, std::move(handler)); });
    if (ec) {
      AnswerUnreadable(ec, true, true);
      return false;
    }
  }

  RequestRecord record;
  record.client = clientText_;
  record.method = std::string(request.method_string());
  record.url = std::string(request.target());
  const auto authorization = request.find(http::field::proxy_authorization);
  record.user = authorization != request.end() ? UserFromProxyAuthorization(View(authorization->value())) : std::string();
  if (record.user.empty()) record.user = settings_.defaultUser;
  if (request.method() == http::verb::connect) {
    Tunnel(request, &record);
    LogRequest(output_, record);
    return false;
  }
  const bool keep = Forward(request, &record);
  LogRequest(output_, record);
  return keep;
}

bool Connection::Forward(ProxyRequest& request, RequestRecord* record) {
  const bool keepAlive = request.keep_alive();
  UpstreamTarget target;
  if (!SplitHttpUrl(record->url, &target)) return RefuseTarget(keepAlive, record);
  AddressToOrigin(target, &request);
  std::optional<ReplyParser> reply;
  UpstreamFailure failure;
  if (!upstream_.Exchange(target.host, target.port, request, &reply, settings_.upstreamTimeout, &failure)) {
    return AnswerOriginFailure(failure, keepAlive, record);
  }
  std::string held;
  if (const std::optional<bool> answered = DecideOnReply(*reply, keepAlive, record, &held)) return *answered;
  return RelayToClient(*reply, held, keepAlive, record);
}

bool Connection::RefuseTarget(bool keepAlive, RequestRecord* record) {
  record->result = "bad-target";
  if (StartsWithNoCase(record->url, "https://")) {
    return SendError(http::status::bad_request, "avexhost: https:// goes through a CONNECT tunnel, not as a plain request",
                     keepAlive, record);
  }
  return SendError(http::status::bad_request,
                   "avexhost is a proxy: a request needs an absolute http:// URL (\"GET http://host/path\")",
                   keepAlive, record);
}

bool Connection::AnswerOriginFailure(const UpstreamFailure& failure, bool keepAlive, RequestRecord* record) {
  // A URL that the plug-in blocks stays blocked while its server is down.
  if (session_ && session_->Ready() &&
      session_->Begin(record->url, nullptr, clientAddress_, record->user) == ResultReject) {
    record->result = ResultName(ResultReject);
    return SendBlockPage(session_->BlockPage(), keepAlive, record);
  }
  record->result = failure.timedOut ? "upstream-timeout" : "upstream-unreachable";
  return SendError(failure.timedOut ? http::status::gateway_timeout : http::status::bad_gateway,
                   "avexhost: " + failure.message, keepAlive, record);
}

std::optional<bool> Connection::DecideOnReply(ReplyParser& parser, bool keepAlive, RequestRecord* record,
                                              std::string* held) {
  if (!session_) {
    record->result = "pass-through";
    return std::nullopt;
  }
  if (!session_->Ready()) {
    record->result = "no-scanning-object";
    return std::nullopt;
  }
  const auto type = parser.get().find(http::field::content_type);
  const std::string contentType = type != parser.get().end() ? std::string(type->value()) : std::string();
  uint32_t result = session_->Begin(record->url, type != parser.get().end() ? contentType.c_str() : nullptr,
                                    clientAddress_, record->user);
  if (result == ResultOk && !parser.is_done()) {
    const bool read = ReadAhead(io_, parser, upstream_, kDecisionHold, settings_.upstreamTimeout, held,
                                [&](const char* data, size_t size) {
                                  if (result == ResultOk) result = session_->PutData(data, size);
                                });
    if (!read) {
      upstream_.Close();
      record->result = "upstream-broke-off";
      return SendError(http::status::bad_gateway, "avexhost: the server's reply broke off before it could be checked",
                       keepAlive, record);
    }
    result = session_->CheckData();
  }
  record->result = ResultName(result);
  if (result == ResultReject) {
    upstream_.KeepFor(parser.is_done() && parser.get().keep_alive());
    return SendBlockPage(session_->BlockPage(), keepAlive, record);
  }
  return std::nullopt;
}

bool Connection::RelayToClient(ReplyParser& parser, const std::string& held, bool keepAlive, RequestRecord* record) {
  const RelayOutcome outcome = RelayReply(io_, parser, upstream_, client_, held, keepAlive, settings_.upstreamTimeout,
                                          settings_.clientTimeout);
  record->status = parser.get().result_int();
  record->bytes = outcome.bytes;
  if (!outcome.replyComplete) record->result += " (reply cut off)";
  return outcome.clientWritable;
}

void Connection::Tunnel(ProxyRequest& request, RequestRecord* record) {
  UpstreamTarget target;
  if (!SplitAuthority(View(request.target()), &target)) {
    record->result = "bad-target";
    SendError(http::status::bad_request, "avexhost: CONNECT needs host:port", false, record);
    return;
  }
  UpstreamFailure failure;
  if (!upstream_.Connect(target.host, target.port, settings_.upstreamTimeout, &failure)) {
    record->result = failure.timedOut ? "upstream-timeout" : "upstream-unreachable";
    SendError(failure.timedOut ? http::status::gateway_timeout : http::status::bad_gateway,
              "avexhost: " + failure.message, false, record);
    return;
  }
  static const char kEstablished[] = "HTTP/1.1 200 Connection established\r\n\r\n";
  client_.expires_after(settings_.clientTimeout);
  const beast::error_code ec = RunToEnd(io_, [&](auto handler) {
    asio::async_write(client_, asio::buffer(kEstablished, sizeof kEstablished - 1), std::move(handler));
  });
  record->status = 200;
  record->result = "tunnel-undecided";
  if (ec) return;
  output_->Write("tunnel " + record->client + " " + (record->user.empty() ? "-" : record->user) + " " +
                 record->url + " undecided: the plug-in cannot see into encrypted content");
  client_.expires_never();
  upstream_.Stream().expires_never();
  const TunnelBytes bytes =
      RunTunnel(io_, client_.socket(), upstream_.Stream().socket(), clientBuffer_, settings_.clientTimeout);
  upstream_.Close();
  record->bytes = bytes.toClient;
}

void Connection::AnswerUnreadable(beast::error_code ec, bool gotSome, bool requestLineRead) {
  if (ec == asio::error::operation_aborted || stopping_) return;
  if (!gotSome && (ec == http::error::end_of_stream || ec == asio::error::eof || ec == beast::error::timeout ||
                   ec == asio::error::connection_reset)) {
    return;  // the client closed, or let an idle connection lie
  }
  RequestRecord record;
  record.client = clientText_;
  record.user = settings_.defaultUser;
  if (ec == http::error::header_limit) {
    const std::string limit = std::to_string(kHeaderLimit) + " bytes";
    record.result = "request-too-large";
    if (!requestLineRead) {
      SendError(http::status::uri_too_long, "avexhost: the request line (the URL) is longer than " + limit, false, &record);
    } else {
      SendError(http::status::request_header_fields_too_large, "avexhost: the request header is longer than " + limit,
                false, &record);
    }
    LingeringClose();
  } else if (ec == http::error::body_limit) {
    record.result = "request-too-large";
    SendError(http::status::payload_too_large,
              "avexhost: the request body is larger than " + std::to_string(kRequestBodyLimit) + " bytes", false,
              &record);
    LingeringClose();
  } else if (ec == beast::error::timeout) {
    record.result = "client-too-slow";
    SendError(http::status::request_timeout, "avexhost: the request did not arrive in time", false, &record);
  } else if (ec.category() == http::make_error_code(http::error::bad_method).category() &&
             ec != http::error::partial_message && ec != http::error::end_of_stream) {
    record.result = "malformed-request";
    SendError(http::status::bad_request, "avexhost: malformed request: " + ec.message(), false, &record);
    LingeringClose();
  } else {
    record.result = "client-left-mid-request";
  }
  LogRequest(output_, record);
}

bool Connection::SendError(http::status status, const std::string& text, bool keepAlive, RequestRecord* record) {
  return SendReply(status, "text/plain; charset=utf-8", text + "\n", keepAlive, record);
}

bool Connection::SendBlockPage(const std::string& page, bool keepAlive, RequestRecord* record) {
  return SendReply(http::status::forbidden, "text/html", page, keepAlive, record);
}

bool Connection::SendReply(http::status status, const char* contentType, std::string body, bool keepAlive,
                           RequestRecord* record) {
  http::response<http::string_body> reply(status, 11);
  reply.set(http::field::content_type, contentType);
  // A block page or an error stands for this moment only.
  reply.set(http::field::cache_control, "no-store");
  reply.body() = std::move(body);
  reply.keep_alive(keepAlive);
  reply.prepare_payload();
  record->status = reply.result_int();
  record->bytes = reply.body().size();
  client_.expires_after(settings_.clientTimeout);
  const beast::error_code ec = RunToEnd(io_, [&](auto handler) { http::async_write(client_, reply, std::move(handler)); });
  return !ec && keepAlive;
}

void Connection::LingeringClose() {
  beast::error_code ec;
  client_.socket().shutdown(tcp::socket::shutdown_send, ec);
  const auto until = std::chrono::steady_clock::now() + kLingerTime;
  char sink[16384];
  size_t dropped = 0;
  while (!ec && dropped < kLingerBytes && !stopping_) {
    client_.expires_at(until);
    size_t got = 0;
    ec = RunToEnd(io_, [&](auto handler) {
      client_.async_read_some(asio::buffer(sink), [&got, handler = std::move(handler)](beast::error_code e, size_t n) mutable {
        got = n;
        handler(e);
      });
    });
    dropped += got;
  }
}

}  // namespace avex::host::proxy
