// InternetSession: a WinInet session of the Test URL page, and the URLs it
// opens. Connecting and receiving have time-outs, so that a server that
// never answers ends a test instead of holding it.
#pragma once

#include <windows.h>
#include <wininet.h>

#include <memory>
#include <string>

namespace avex::ui {

// A URL opened by a session: the reply can be read and its headers asked.
class OpenedUrl {
 public:
  explicit OpenedUrl(HINTERNET file) : file_(file) {}
  ~OpenedUrl() { InternetCloseHandle(file_); }
  OpenedUrl(const OpenedUrl&) = delete;
  OpenedUrl& operator=(const OpenedUrl&) = delete;

  // The reply's data as text, read in chunks of up to kChunkBytes until a
  // read gives nothing; a chunk ends at its first NUL byte.
  std::string ReadText() const;
  // The reply's Content-Type header; empty when there is none.
  std::string ContentType() const;

  static constexpr DWORD kChunkBytes = 4095;

 private:
  HINTERNET file_;
};

class InternetSession {
 public:
  static constexpr DWORD kTimeoutMs = 10000;

  // A session with the system's preconfigured access, context 1.
  explicit InternetSession(const char* userAgent);
  ~InternetSession();
  InternetSession(const InternetSession&) = delete;
  InternetSession& operator=(const InternetSession&) = delete;

  // Opens `url` as it is now (never from the cache), ASCII transfer;
  // null when the session or the connection failed.
  std::unique_ptr<OpenedUrl> Open(const std::string& url) const;

 private:
  HINTERNET session_;
};

}  // namespace avex::ui
