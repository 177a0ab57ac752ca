// LocalWebServer: a small web server on 127.0.0.1 inside the test process,
// for the Test URL page to fetch from. Each path has a fixed reply; a path
// without one is closed without any reply. A held path answers only once the
// test lets it go, so that a test can look at the dialog while a fetch waits.
// A cut reply sends its header and half its body, then stalls until the
// test lets it go, or resets the connection.
// DeadPort: a port of 127.0.0.1 where nothing listens.
#pragma once

#include <winsock2.h>
#include <ws2tcpip.h>

#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace avex::testing {

class WinsockUser {
 public:
  WinsockUser() {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
  }
  ~WinsockUser() { WSACleanup(); }
};

// A TCP socket bound to an ephemeral port of 127.0.0.1.
inline SOCKET BoundLoopbackSocket(uint16_t* port) {
  SOCKET bound = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in address = {};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(bound, reinterpret_cast<sockaddr*>(&address), sizeof address);
  int length = sizeof address;
  getsockname(bound, reinterpret_cast<sockaddr*>(&address), &length);
  *port = ntohs(address.sin_port);
  return bound;
}

class DeadPort {
 public:
  DeadPort() : socket_(BoundLoopbackSocket(&port_)) {}
  ~DeadPort() { closesocket(socket_); }
  std::string Address() const { return "127.0.0.1:" + std::to_string(port_); }

 private:
  WinsockUser winsock_;
  uint16_t port_ = 0;
  SOCKET socket_;
};

class LocalWebServer {
 public:
  enum class Cut { None, Stall, Reset };
  struct Reply {
    std::string contentType;
    std::string body;
    bool held = false;
    Cut cut = Cut::None;
  };
  struct Request {
    std::string path;
    std::string host;
  };

  explicit LocalWebServer(std::map<std::string, Reply> replies)
      : replies_(std::move(replies)), listener_(BoundLoopbackSocket(&port_)) {
    listen(listener_, SOMAXCONN);
    thread_ = std::thread([this] { Serve(); });
  }

  ~LocalWebServer() {
    Release();
    closesocket(listener_);
    thread_.join();
  }

  std::string Address() const { return "127.0.0.1:" + std::to_string(port_); }
  uint16_t Port() const { return port_; }

  std::vector<Request> Requests() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
  }

  // Lets the held replies go.
  void Release() {
    std::lock_guard<std::mutex> lock(mutex_);
    released_ = true;
    releasedChanged_.notify_all();
  }

 private:
  void Serve() {
    for (;;) {
      SOCKET connection = accept(listener_, nullptr, nullptr);
      if (connection == INVALID_SOCKET) return;
      Answer(connection);
      closesocket(connection);
    }
  }

  static std::string HeaderValue(const std::string& head, const std::string& name) {
    const size_t at = head.find("\r\n" + name + ": ");
    if (at == std::string::npos) return std::string();
    const size_t start = at + name.size() + 4;
    return head.substr(start, head.find("\r\n", start) - start);
  }

  void Answer(SOCKET connection) {
    std::string head;
    char buffer[1024];
    while (head.find("\r\n\r\n") == std::string::npos) {
      const int got = recv(connection, buffer, sizeof buffer, 0);
      if (got <= 0) return;
      head.append(buffer, static_cast<size_t>(got));
    }
    const size_t pathStart = head.find(' ') + 1;
    const Request request = {head.substr(pathStart, head.find(' ', pathStart) - pathStart), HeaderValue(head, "Host")};
    {
      std::lock_guard<std::mutex> lock(mutex_);
      requests_.push_back(request);
    }
    const auto reply = replies_.find(request.path);
    if (reply == replies_.end()) return;
    if (reply->second.held) {
      std::unique_lock<std::mutex> lock(mutex_);
      releasedChanged_.wait(lock, [this] { return released_; });
    }
    const std::string& body = reply->second.body;
    const Cut cut = reply->second.cut;
    const std::string answer = "HTTP/1.0 200 OK\r\nContent-Type: " + reply->second.contentType +
                               "\r\nContent-Length: " + std::to_string(body.size()) +
                               "\r\nConnection: close\r\n\r\n" +
                               (cut == Cut::None ? body : body.substr(0, body.size() / 2));
    send(connection, answer.data(), static_cast<int>(answer.size()), 0);
    if (cut == Cut::Stall) {
      std::unique_lock<std::mutex> lock(mutex_);
      releasedChanged_.wait(lock, [this] { return released_; });
    } else if (cut == Cut::Reset) {
      // Closing with a zero linger time resets the connection.
      const linger abort = {1, 0};
      setsockopt(connection, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&abort), sizeof abort);
      return;
    }
    shutdown(connection, SD_SEND);
  }

  WinsockUser winsock_;
  const std::map<std::string, Reply> replies_;
  uint16_t port_ = 0;
  SOCKET listener_;
  mutable std::mutex mutex_;
  std::condition_variable releasedChanged_;
  bool released_ = false;
  std::vector<Request> requests_;
  std::thread thread_;
};

}  // namespace avex::testing
