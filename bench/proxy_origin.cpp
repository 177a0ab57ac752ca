// The web server behind avexhost proxy in the proxy load benchmark
// (run_proxy_bench.sh): HTTP/1.1 with keep-alive on 127.0.0.1, a thread per
// connection, replies from memory so that the proxy, not the server, is what
// the figures measure. Prints its port, serves until its input closes.
//
//   /page20k.html   a 20 KiB text/html page of words that no list and no
//                   lexicon phrase knows: the plug-in has the engine score it
//   anything else   a 1 KiB text/html page
#include <cstdio>
#include <iostream>
#include <string>
#include <thread>

#include <boost/asio/ip/tcp.hpp>
#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/http.hpp>

#include "bench/text_generator.h"

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
using tcp = asio::ip::tcp;

namespace {

// Everyday words that no lexicon phrase holds, in a seeded order.
std::string Page(size_t bytes, uint32_t seed) {
  static const char* const kWords[] = {"the", "library", "opens", "at", "nine", "and", "closes", "five",
                                       "pupils", "return", "their", "books", "on", "time", "teachers", "plan",
                                       "lessons", "for", "week", "garden", "club", "meets", "after", "lunch",
                                       "bring", "a", "coat", "when", "it", "rains", "homework", "is", "due"};
  avex::bench::TextGenerator text(seed);
  std::string page = "<html><head><title>A page</title></head><body><p>";
  while (page.size() + 30 < bytes) {
    page += std::string(kWords[text.Below(sizeof kWords / sizeof kWords[0])]) +
            (text.Below(12) == 0 ? ".</p><p>" : " ");
  }
  page += "</p></body></html>";
  page.resize(bytes - 1, ' ');
  return page + "\n";
}

void Serve(tcp::socket socket, const std::string* small, const std::string* large) {
  beast::flat_buffer buffer;
  beast::error_code ec;
  for (;;) {
    http::request<http::empty_body> request;
    http::read(socket, buffer, request, ec);
    if (ec) return;
    http::response<http::string_body> reply(http::status::ok, 11);
    reply.set(http::field::content_type, "text/html");
    reply.body() = request.target() == "/page20k.html" ? *large : *small;
    reply.keep_alive(request.keep_alive());
    reply.prepare_payload();
    http::write(socket, reply, ec);
    if (ec || !reply.keep_alive()) return;
  }
}

}  // namespace

int main() {
  static const std::string small = Page(1024, 1);
  static const std::string large = Page(20 * 1024, 2);
  asio::io_context io;
  tcp::acceptor acceptor(io, tcp::endpoint(asio::ip::make_address("127.0.0.1"), 0));
  std::printf("%u\n", static_cast<unsigned>(acceptor.local_endpoint().port()));
  std::fflush(stdout);
  std::thread([&] {
    for (;;) {
      tcp::socket socket(io);
      beast::error_code ec;
      acceptor.accept(socket, ec);
      if (ec) continue;
      socket.set_option(tcp::no_delay(true), ec);
      std::thread(Serve, std::move(socket), &small, &large).detach();
    }
  }).detach();
  std::string line;
  while (std::getline(std::cin, line)) {
  }
  std::fflush(stdout);
  std::_Exit(0);  // connection threads still block in their reads
}
