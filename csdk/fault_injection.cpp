#include "csdk/fault_injection.h"

#include <charconv>
#include <cstdlib>
#include <map>
#include <mutex>
#include <string>
#include <string_view>

#include "csdk/data_file.h"

namespace avex::csdk {
namespace {

using FaultTable = std::map<std::string, uint32_t, std::less<>>;

bool ParseCode(std::string_view text, uint32_t* code) {
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    text.remove_prefix(2);
    base = 16;
  }
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), *code, base);
  return !text.empty() && error == std::errc() && end == text.data() + text.size();
}

FaultTable ParseFaults(std::string_view text) {
  FaultTable faults;
  while (!text.empty()) {
    size_t comma = text.find(',');
    std::string_view entry = text.substr(0, comma);
    text = comma == std::string_view::npos ? std::string_view() : text.substr(comma + 1);
    size_t equals = entry.find('=');
    if (equals == std::string_view::npos) continue;
    std::string_view name = TrimBlanks(entry.substr(0, equals));
    uint32_t code = 0;
    if (name.empty() || !ParseCode(TrimBlanks(entry.substr(equals + 1)), &code)) continue;
    faults[std::string(name)] = code;
  }
  return faults;
}

}  // namespace

uint32_t InjectedFault(const char* operation) noexcept {
  // The variable is parsed again only when its text changes.
  static std::mutex mutex;
  static std::string parsedText;
  static FaultTable faults;
  try {
    const char* value = std::getenv("CSDK_FAULTS");
    std::string_view text = value ? value : "";
    std::lock_guard<std::mutex> lock(mutex);
    if (text != parsedText) {
      faults = ParseFaults(text);
      parsedText.assign(text);
    }
    auto found = faults.find(std::string_view(operation));
    return found == faults.end() ? 0 : found->second;
  } catch (...) {
    return 0;
  }
}

}  // namespace avex::csdk
