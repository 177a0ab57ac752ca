// The event lines the plug-in hands to the host's event log: its decisions
// and configuration changes, one tab-separated line each.
//
// A line reads "address\tuser\tthread\t" followed by the event text: the
// client address in dotted decimal (most significant octet first), the
// request's user name or "<system>" without one, and the calling thread's
// id as ten digits.
//
// Threads: any thread; the functions read the configuration's logging values
// and the request state without locking, so the caller keeps them from
// changing meanwhile. None of them fails: a request without a logger writes
// nothing, a category without a row gives an empty name, and a line that
// cannot be built for want of memory is dropped, so logging never changes the
// outcome of the operation that logs.
#pragma once

#include <cstdint>
#include <string>

#include "config/plugin_configuration.h"
#include "filter/request_state.h"

namespace avex {

constexpr uint32_t EventKindDecision = 0;
constexpr uint32_t EventKindConfigurationChange = 1;

// The source name the host files every line under.
inline constexpr char kEventSourceName[] = "Aurivex 3.0 for Corvane";

// The line for `text` as the host receives it.
std::string FormatEventLine(uint32_t clientAddress, const std::string& userName, uint32_t threadId,
                            const std::string& text);

// Hands `text` to the request's logger as a line of event kind `kind`,
// unless the host cannot log, logging is switched off, `suppress` is
// non-zero, or the request has no logger.
void LogEvent(const PluginConfiguration& config, const RequestState& request, uint32_t kind,
              uint32_t suppress, const std::string& text) noexcept;

// The decision events, of kind EventKindDecision, about the request's URL and
// user. Each tests its own event flag (log request blocked, log request
// allowed), so a caller need not; one that tests it first, to skip the call,
// gets the same lines.
//   LogBlocked:      "[source] blocked URL for user NAME"
//   LogBlockedScore: "[source - PPP percent CATEGORY] blocked URL for user NAME",
//                    the percentage rounded to a whole number in a field three
//                    wide, and the name of the request's recorded category's
//                    row (empty when it has none).
//   LogAllowed:      "Explicitly allowed URL for user NAME"
void LogBlocked(const PluginConfiguration& config, const RequestState& request, const char* source) noexcept;
void LogBlockedScore(const PluginConfiguration& config, const RequestState& request, const char* source,
                     float percentage) noexcept;
void LogAllowed(const PluginConfiguration& config, const RequestState& request) noexcept;

// "Configuration has changed", of kind EventKindConfigurationChange, when log
// configuration changes is set. Whether the process may log it at all (not in
// the management console) is the caller's to decide.
void LogConfigurationChange(const PluginConfiguration& config, const RequestState& request) noexcept;

}  // namespace avex
