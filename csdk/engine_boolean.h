// A boolean crosses the engine boundary as a one-byte truth value in a 32-bit
// argument; the bytes above it are whatever the caller's compiler left there.
#pragma once

#include <cstdint>

namespace avex::csdk {

constexpr bool EngineBoolean(uint32_t value) { return (value & 0xFF) != 0; }

}  // namespace avex::csdk
