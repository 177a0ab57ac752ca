#include "filter/event_log.h"

#include <cstdarg>
#include <cstdio>

#include "common/category_table.h"
#include "platform/thread_id.h"
#include "platform/trace.h"

namespace avex {

namespace {

// printf into a string of whatever length the texts need (URLs are long).
std::string Formatted(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

std::string Formatted(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list copy;
  va_copy(copy, args);
  const int length = std::vsnprintf(nullptr, 0, format, args);
  va_end(args);
  std::string text;
  if (length > 0) {
    text.resize(static_cast<size_t>(length));
    std::vsnprintf(&text[0], text.size() + 1, format, copy);
  }
  va_end(copy);
  return text;
}

const char* TextOrEmpty(const char* text) { return text != nullptr ? text : ""; }

// Whether an event line reaches the host's logger.
bool HostTakesEvents(const PluginConfiguration& config, const RequestState& request) {
  return config.hostLoggingCapable != 0 && config.logging.enabled != 0 && request.logger != nullptr;
}

// Writes the event of `kind` whose text `makeText` builds, when `flag` is
// set. A text that neither the host nor the trace would see is not built:
// the formatting would be most of a decided request's own work.
template <typename MakeText>
void LogIf(bool flag, const PluginConfiguration& config, const RequestState& request, uint32_t kind,
           const MakeText& makeText) noexcept {
  if (!flag || (!HostTakesEvents(config, request) && !platform::TraceEnabled())) return;
  try {
    LogEvent(config, request, kind, 0, makeText());
  } catch (...) {
    // Without memory for the text the event is lost, not the request.
  }
}

// The request's URL or user name as an event line shows it: a tab, line
// break or other control byte would forge fields or whole lines in the
// host's tab-separated log, so each is written as "?".
std::string LogSafe(const std::string& text) {
  std::string safe = text;
  for (char& c : safe) {
    const unsigned char byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) c = '?';
  }
  return safe;
}

unsigned Octet(uint32_t address, int shift) { return static_cast<unsigned>((address >> shift) & 0xFF); }

}  // namespace

std::string FormatEventLine(uint32_t clientAddress, const std::string& userName, uint32_t threadId,
                            const std::string& text) {
  const std::string address = Formatted("%u.%u.%u.%u", Octet(clientAddress, 24), Octet(clientAddress, 16),
                                        Octet(clientAddress, 8), Octet(clientAddress, 0));
  const std::string user = userName.empty() ? std::string("<system>") : LogSafe(userName);
  return Formatted("%s\t%s\t%010u\t%s%s", address.c_str(), user.c_str(), static_cast<unsigned>(threadId), "",
                   text.c_str());
}

void LogEvent(const PluginConfiguration& config, const RequestState& request, uint32_t kind,
              uint32_t suppress, const std::string& text) noexcept {
  platform::Trace(&request, "[o] LogEvent(%d, %d, %s)\n", static_cast<int>(kind),
                  static_cast<int>(suppress), text.c_str());
  if (suppress != 0 || !HostTakesEvents(config, request)) return;
  try {
    const std::string line =
        FormatEventLine(request.clientAddress, request.userName, platform::CurrentThreadId(), text);
    request.logger->WriteEvent(1, kind, line.c_str(), kEventSourceName);
  } catch (...) {
    // Without memory for the line the event is lost, not the request.
  }
}

void LogBlocked(const PluginConfiguration& config, const RequestState& request,
                const char* source) noexcept {
  LogIf(config.logging.logBlocked, config, request, EventKindDecision, [&] {
    return Formatted("[%s] blocked %s for user %s", TextOrEmpty(source), LogSafe(request.url).c_str(),
                     LogSafe(request.userName).c_str());
  });
}

void LogBlockedScore(const PluginConfiguration& config, const RequestState& request, const char* source,
                     float percentage) noexcept {
  LogIf(config.logging.logBlocked, config, request, EventKindDecision, [&] {
    const CategoryInfo* row = FindCategory(request.recordedCategory);
    return Formatted("[%s - %3.0f percent %s] blocked %s for user %s", TextOrEmpty(source),
                     static_cast<double>(percentage), row != nullptr ? row->name : "",
                     LogSafe(request.url).c_str(), LogSafe(request.userName).c_str());
  });
}

void LogAllowed(const PluginConfiguration& config, const RequestState& request) noexcept {
  LogIf(config.logging.logAllowed, config, request, EventKindDecision, [&] {
    return Formatted("Explicitly allowed %s for user %s", LogSafe(request.url).c_str(),
                     LogSafe(request.userName).c_str());
  });
}

void LogConfigurationChange(const PluginConfiguration& config, const RequestState& request) noexcept {
  LogIf(config.logging.logConfigurationChanges, config, request, EventKindConfigurationChange,
        [] { return std::string("Configuration has changed"); });
}

}  // namespace avex
