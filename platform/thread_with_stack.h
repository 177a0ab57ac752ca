// Running work on a thread of its own whose whole stack has a given size, as
// a host's worker threads may have (the standard library's threads take the
// program's default, often megabytes).
#pragma once

#include <cstddef>
#include <functional>

namespace avex::platform {

// Runs `work` on a new thread whose stack is reserved at `stackBytes` (the
// system may round it up to its page or allocation granularity) and waits
// for it to end. False, without running `work`, when the thread cannot be
// made. Any thread; `work` must not let an exception escape.
bool RunOnThreadWithStack(size_t stackBytes, const std::function<void()>& work);

}  // namespace avex::platform
