// Result codes of the host-facing operations (32-bit, unsigned).
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

}  // namespace avex
