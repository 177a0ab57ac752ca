#include "ui/internet_session.h"

#include <cstring>

namespace avex::ui {

namespace {

constexpr DWORD_PTR kContext = 1;

void SetTimeout(HINTERNET session, DWORD option, DWORD milliseconds) {
  InternetSetOptionA(session, option, &milliseconds, sizeof milliseconds);
}

}  // namespace

InternetSession::InternetSession(const char* userAgent)
    : session_(InternetOpenA(userAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0)) {
  if (session_ == nullptr) return;
  SetTimeout(session_, INTERNET_OPTION_CONNECT_TIMEOUT, kTimeoutMs);
  SetTimeout(session_, INTERNET_OPTION_SEND_TIMEOUT, kTimeoutMs);
  SetTimeout(session_, INTERNET_OPTION_RECEIVE_TIMEOUT, kTimeoutMs);
}

InternetSession::~InternetSession() {
  if (session_ != nullptr) InternetCloseHandle(session_);
}

std::unique_ptr<OpenedUrl> InternetSession::Open(const std::string& url) const {
  if (session_ == nullptr) return nullptr;
  const DWORD flags = INTERNET_FLAG_TRANSFER_ASCII | INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE;
  HINTERNET file = InternetOpenUrlA(session_, url.c_str(), nullptr, 0, flags, kContext);
  if (file == nullptr) return nullptr;
  return std::make_unique<OpenedUrl>(file);
}

std::string OpenedUrl::ReadText() const {
  std::string text;
  char chunk[kChunkBytes];
  DWORD read = 0;
  while (InternetReadFile(file_, chunk, kChunkBytes, &read) && read > 0) {
    const void* nul = std::memchr(chunk, '\0', read);
    text.append(chunk, nul != nullptr ? static_cast<const char*>(nul) - chunk : read);
  }
  return text;
}

std::string OpenedUrl::ContentType() const {
  std::string value(256, '\0');
  for (;;) {
    DWORD size = static_cast<DWORD>(value.size());
    if (HttpQueryInfoA(file_, HTTP_QUERY_CONTENT_TYPE, &value[0], &size, nullptr)) {
      value.resize(size);
      return value;
    }
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || size <= value.size()) return std::string();
    value.assign(size, '\0');
  }
}

}  // namespace avex::ui
