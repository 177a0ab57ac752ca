// The frame of every status-returning engine call: record it in the journal,
// answer an injected fault instead of doing the work, and turn any exception
// into a status code, since no exception may cross into the caller's module.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <new>

#include "csdk/call_journal.h"
#include "csdk/csdk_status.h"
#include "csdk/fault_injection.h"

namespace avex::csdk {

// Runs `body` (which returns a status) unless a fault is injected for `operation`.
template <typename Body>
uint32_t EngineCall(const char* operation, std::initializer_list<CallArgument> arguments, Body&& body) noexcept {
  JournalCall(operation, arguments);
  try {
    uint32_t fault = InjectedFault(operation);
    if (fault != CsdkOk) return fault;
    return body();
  } catch (const std::bad_alloc&) {
    return CsdkOutOfMemory;
  } catch (...) {
    return CsdkInternalError;
  }
}

}  // namespace avex::csdk
