#include "host/proxy/proxy_user.h"

#include <cctype>

namespace avex::host::proxy {

namespace {

int Base64Digit(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

bool DecodeBase64(std::string_view text, std::string* bytes) {
  while (!text.empty() && text.back() == '=') text.remove_suffix(1);
  uint32_t bits = 0;
  int count = 0;
  for (char c : text) {
    const int digit = Base64Digit(c);
    if (digit < 0) return false;
    bits = bits << 6 | static_cast<uint32_t>(digit);
    count += 6;
    if (count >= 8) {
      count -= 8;
      bytes->push_back(static_cast<char>(bits >> count & 0xFF));
    }
  }
  return true;
}

}  // namespace

std::string UserFromProxyAuthorization(std::string_view header) {
  while (!header.empty() && (header.front() == ' ' || header.front() == '\t')) header.remove_prefix(1);
  constexpr std::string_view kScheme = "basic";
  if (header.size() <= kScheme.size()) return std::string();
  for (size_t i = 0; i < kScheme.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(header[i])) != kScheme[i]) return std::string();
  }
  header.remove_prefix(kScheme.size());
  if (header.front() != ' ' && header.front() != '\t') return std::string();
  while (!header.empty() && (header.front() == ' ' || header.front() == '\t')) header.remove_prefix(1);
  while (!header.empty() && (header.back() == ' ' || header.back() == '\t')) header.remove_suffix(1);
  std::string credentials;
  if (!DecodeBase64(header, &credentials)) return std::string();
  return credentials.substr(0, credentials.find(':'));
}

}  // namespace avex::host::proxy
