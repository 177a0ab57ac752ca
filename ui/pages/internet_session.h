// InternetSession: a WinInet session of the Test URL page, and the URLs it
// opens. Connecting and receiving have time-outs, so that a server that
// never answers, or stops in the middle of a reply, ends a test instead of
// holding it.
#pragma once

#include <windows.h>
#include <wininet.h>

#include <memory>
#include <string>

namespace avex::ui {

// A URL opened by a session: the reply can be read and its headers asked.
class OpenedUrl {
 public:
  OpenedUrl(HINTERNET connection, HINTERNET request) : connection_(connection), request_(request) {}
  ~OpenedUrl() {
    InternetCloseHandle(request_);
    InternetCloseHandle(connection_);
  }
  OpenedUrl(const OpenedUrl&) = delete;
  OpenedUrl& operator=(const OpenedUrl&) = delete;

  // Reads the reply's data as text into `text`, in chunks of up to
  // kChunkBytes until a read gives nothing; a chunk ends at its first NUL
  // byte. False when the reply was cut short: a read failed (a time-out, a
  // reset connection), or the data ended before the length the reply's
  // Content-Length announced. `text` then holds only the part that arrived.
  bool ReadText(std::string* text) const;
  // The reply's Content-Type header; empty when there is none.
  std::string ContentType() const;

  static constexpr DWORD kChunkBytes = 4095;

 private:
  HINTERNET connection_;
  HINTERNET request_;
};

class InternetSession {
 public:
  static constexpr DWORD kTimeoutMs = 10000;

  // A session with the system's preconfigured access, context 1.
  explicit InternetSession(const char* userAgent);
  ~InternetSession();
  InternetSession(const InternetSession&) = delete;
  InternetSession& operator=(const InternetSession&) = delete;

  // Sends a GET for the http URL `url` as it is now (never from the cache),
  // ASCII transfer, no extra headers; null when the URL cannot be parsed or
  // the session, the connection or the request failed.
  std::unique_ptr<OpenedUrl> Open(const std::string& url) const;

 private:
  HINTERNET session_;
};

}  // namespace avex::ui
