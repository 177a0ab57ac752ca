// Result codes of the host-facing operations (32-bit, unsigned), and their
// names as the harness prints them.
#pragma once

#include <cstdint>

namespace avex {

constexpr uint32_t ResultOk = 0x00000000;
constexpr uint32_t ResultPass = 0x40000000;
constexpr uint32_t ResultReject = 0x41000000;
constexpr uint32_t ResultInvalidParameter = 0x80000002;
constexpr uint32_t ResultNotReady = 0x80000004;
constexpr uint32_t ResultNotCompleted = 0x80000005;
constexpr uint32_t ResultFailed = 0x80000006;
constexpr uint32_t ResultIgnore = 0x80000007;
constexpr uint32_t ResultStateRefused = 0x80000009;
constexpr uint32_t ResultNoSource = 0x8000000A;
constexpr uint32_t ResultNotApplicable = 0x8000000B;
constexpr uint32_t ResultNotSupported = 0x8000000C;
constexpr uint32_t ResultBufferTooSmall = 0x8000000D;

// The name of a result code ("ResultReject"); "?" for a value that is none.
constexpr const char* ResultName(uint32_t result) {
  switch (result) {
    case ResultOk: return "ResultOk";
    case ResultPass: return "ResultPass";
    case ResultReject: return "ResultReject";
    case ResultInvalidParameter: return "ResultInvalidParameter";
    case ResultNotReady: return "ResultNotReady";
    case ResultNotCompleted: return "ResultNotCompleted";
    case ResultFailed: return "ResultFailed";
    case ResultIgnore: return "ResultIgnore";
    case ResultStateRefused: return "ResultStateRefused";
    case ResultNoSource: return "ResultNoSource";
    case ResultNotApplicable: return "ResultNotApplicable";
    case ResultNotSupported: return "ResultNotSupported";
    case ResultBufferTooSmall: return "ResultBufferTooSmall";
    default: return "?";
  }
}

}  // namespace avex
