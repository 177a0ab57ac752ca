// The calling thread's system id.
#pragma once

#include <cstdint>

namespace avex::platform {

uint32_t CurrentThreadId();

}  // namespace avex::platform
