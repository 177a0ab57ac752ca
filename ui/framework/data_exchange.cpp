#include "ui/framework/data_exchange.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace avex::ui {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

std::optional<int64_t> ParseInteger(const std::string& text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  size_t digits = begin;
  if (digits < end && (text[digits] == '-' || text[digits] == '+')) ++digits;
  if (digits == end) return std::nullopt;
  for (size_t i = digits; i < end; ++i) {
    if (text[i] < '0' || text[i] > '9') return std::nullopt;
  }
  const std::string number = text.substr(begin, end - begin);
  errno = 0;
  const long long value = std::strtoll(number.c_str(), nullptr, 10);
  if (errno == ERANGE) return std::nullopt;
  return static_cast<int64_t>(value);
}

std::string IntegerRangeMessage(int64_t minimum, int64_t maximum) {
  char message[96];
  std::snprintf(message, sizeof message, "Please enter an integer between %lld and %lld.",
                static_cast<long long>(minimum), static_cast<long long>(maximum));
  return message;
}

}  // namespace avex::ui
