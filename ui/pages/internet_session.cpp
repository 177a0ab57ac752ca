#include "ui/pages/internet_session.h"

#include <cstring>

namespace avex::ui {

namespace {

constexpr DWORD_PTR kContext = 1;

void SetTimeout(HINTERNET handle, DWORD option, DWORD milliseconds) {
  InternetSetOptionA(handle, option, &milliseconds, sizeof milliseconds);
}

void SetTimeouts(HINTERNET handle) {
  SetTimeout(handle, INTERNET_OPTION_CONNECT_TIMEOUT, InternetSession::kTimeoutMs);
  SetTimeout(handle, INTERNET_OPTION_SEND_TIMEOUT, InternetSession::kTimeoutMs);
  SetTimeout(handle, INTERNET_OPTION_RECEIVE_TIMEOUT, InternetSession::kTimeoutMs);
}

// The parts of `url` that a connection and its request need.
struct UrlParts {
  std::string host;
  INTERNET_PORT port = INTERNET_DEFAULT_HTTP_PORT;
  std::string user;
  std::string password;
  std::string object;  // path and query
};

bool CrackUrl(const std::string& url, UrlParts* parts) {
  char host[INTERNET_MAX_HOST_NAME_LENGTH + 1];
  char user[INTERNET_MAX_USER_NAME_LENGTH + 1];
  char password[INTERNET_MAX_PASSWORD_LENGTH + 1];
  std::string path(url.size() + 1, '\0');
  std::string extra(url.size() + 1, '\0');
  URL_COMPONENTSA components = {};
  components.dwStructSize = sizeof components;
  components.lpszHostName = host;
  components.dwHostNameLength = sizeof host;
  components.lpszUserName = user;
  components.dwUserNameLength = sizeof user;
  components.lpszPassword = password;
  components.dwPasswordLength = sizeof password;
  components.lpszUrlPath = &path[0];
  components.dwUrlPathLength = static_cast<DWORD>(path.size());
  components.lpszExtraInfo = &extra[0];
  components.dwExtraInfoLength = static_cast<DWORD>(extra.size());
  if (!InternetCrackUrlA(url.c_str(), static_cast<DWORD>(url.size()), 0, &components)) return false;
  if (components.nScheme != INTERNET_SCHEME_HTTP) return false;
  parts->host.assign(host, components.dwHostNameLength);
  parts->port = components.nPort;
  parts->user.assign(user, components.dwUserNameLength);
  parts->password.assign(password, components.dwPasswordLength);
  parts->object.assign(path.c_str(), components.dwUrlPathLength);
  parts->object.append(extra.c_str(), components.dwExtraInfoLength);
  if (parts->object.empty()) parts->object = "/";
  return true;
}

const char* TextOrNull(const std::string& text) { return text.empty() ? nullptr : text.c_str(); }

}  // namespace

InternetSession::InternetSession(const char* userAgent)
    : session_(InternetOpenA(userAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0)) {
  if (session_ != nullptr) SetTimeouts(session_);
}

InternetSession::~InternetSession() {
  if (session_ != nullptr) InternetCloseHandle(session_);
}

// The connection and the request that opening a URL makes are made here
// one by one, so that the connection gets the time-outs before its request
// is sent: not every WinInet passes the session's receive time-out on to
// the reads of a URL opened whole, and a server that stalls mid-page would
// then hold the test for good.
std::unique_ptr<OpenedUrl> InternetSession::Open(const std::string& url) const {
  if (session_ == nullptr) return nullptr;
  UrlParts parts;
  if (!CrackUrl(url, &parts)) return nullptr;
  HINTERNET connection = InternetConnectA(session_, parts.host.c_str(), parts.port, TextOrNull(parts.user),
                                          TextOrNull(parts.password), INTERNET_SERVICE_HTTP, 0, kContext);
  if (connection == nullptr) return nullptr;
  SetTimeouts(connection);
  const char* acceptAll[] = {"*/*", nullptr};
  const DWORD flags = INTERNET_FLAG_TRANSFER_ASCII | INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE;
  HINTERNET request =
      HttpOpenRequestA(connection, "GET", parts.object.c_str(), nullptr, nullptr, acceptAll, flags, kContext);
  if (request == nullptr) {
    InternetCloseHandle(connection);
    return nullptr;
  }
  auto opened = std::make_unique<OpenedUrl>(connection, request);
  if (!HttpSendRequestA(request, nullptr, 0, nullptr, 0)) return nullptr;
  return opened;
}

bool OpenedUrl::ReadText(std::string* text) const {
  DWORD announced = 0;
  DWORD size = sizeof announced;
  const bool lengthAnnounced =
      HttpQueryInfoA(request_, HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER, &announced, &size, nullptr);
  char chunk[kChunkBytes];
  DWORD received = 0;
  for (;;) {
    DWORD read = 0;
    if (!InternetReadFile(request_, chunk, kChunkBytes, &read)) return false;
    if (read == 0) return !lengthAnnounced || received >= announced;
    received += read;
    const void* nul = std::memchr(chunk, '\0', read);
    text->append(chunk, nul != nullptr ? static_cast<const char*>(nul) - chunk : read);
  }
}

std::string OpenedUrl::ContentType() const {
  std::string value(256, '\0');
  for (;;) {
    DWORD size = static_cast<DWORD>(value.size());
    if (HttpQueryInfoA(request_, HTTP_QUERY_CONTENT_TYPE, &value[0], &size, nullptr)) {
      value.resize(size);
      return value;
    }
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || size <= value.size()) return std::string();
    value.assign(size, '\0');
  }
}

}  // namespace avex::ui
