// Contract of platform/thread_with_stack.h.
#include "platform/thread_with_stack.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "platform/thread_id.h"

namespace avex::platform {
namespace {

// The work runs to its end on another thread before the call returns.
TEST(ThreadWithStackTest, RunsTheWorkOnAThreadOfItsOwnAndWaitsForIt) {
  constexpr size_t kStackBytes = 256 * 1024;
  const uint32_t caller = CurrentThreadId();
  uint32_t worker = caller;
  bool ran = false;
  ASSERT_TRUE(RunOnThreadWithStack(kStackBytes, [&] {
    worker = CurrentThreadId();
    ran = true;
  }));
  EXPECT_TRUE(ran);
  EXPECT_NE(worker, caller);
}

}  // namespace
}  // namespace avex::platform
