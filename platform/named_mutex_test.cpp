// Contract of platform/named_mutex.h, with a second process (tests/mutex_holder)
// where the behaviour is about processes.
#include "platform/named_mutex.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "platform/platform_test_util.h"
#include "platform/process.h"

namespace avex::platform {
namespace {

using Wait = NamedMutex::Wait;

std::string UniqueName(const std::string& tag) {
  return "AVexPlatformTest " + tag + " " + std::to_string(test::ProcessId());
}

// Starts mutex_holder on `name` and waits until it holds the mutex.
void StartHolder(ChildProcess* holder, const std::string& name, int holdMs, const std::string& mode,
                 const std::string& ready, const std::string& marker) {
  std::vector<std::string> argv = {test::SiblingProgram("mutex_holder"), name, std::to_string(holdMs), mode,
                                   ready};
  if (!marker.empty()) argv.push_back(marker);
  ASSERT_TRUE(holder->Start(argv)) << argv[0];
  ASSERT_TRUE(test::WaitForFile(ready, 30000)) << "mutex_holder never held " << name;
}

// The test's own handle exists before the holder starts, so the system object
// outlives the holder (a mutex whose last handle closes is gone, abandoned or not).
void OpenFirst(NamedMutex* mutex) {
  ASSERT_EQ(mutex->Acquire(0), Wait::Acquired);
  mutex->Release();
}

TEST(NamedMutexTest, RecursiveForItsOwnerExclusiveForOtherThreads) {
  NamedMutex mutex(UniqueName("recursive"));
  NamedMutex other(mutex.Name());  // a second handle on the same mutex
  EXPECT_EQ(mutex.Acquire(1000), Wait::Acquired);
  EXPECT_EQ(mutex.Acquire(1000), Wait::Acquired);
  EXPECT_EQ(other.Acquire(0), Wait::Acquired);  // still the owning thread

  auto tryFromAnotherThread = [](NamedMutex* m, uint32_t timeoutMs) {
    Wait result = Wait::Failed;
    std::thread thread([&] {
      result = m->Acquire(timeoutMs);
      if (result == Wait::Acquired) m->Release();
    });
    thread.join();
    return result;
  };
  EXPECT_EQ(tryFromAnotherThread(&mutex, 50), Wait::TimedOut);
  EXPECT_EQ(tryFromAnotherThread(&other, 0), Wait::TimedOut);
  other.Release();
  mutex.Release();
  EXPECT_EQ(tryFromAnotherThread(&mutex, 0), Wait::TimedOut);  // one Acquire still held
  mutex.Release();
  EXPECT_EQ(tryFromAnotherThread(&mutex, 0), Wait::Acquired);
  EXPECT_EQ(tryFromAnotherThread(&other, 1000), Wait::Acquired);
}

TEST(NamedMutexTest, ReleaseBeforeFirstUseDoesNothing) {
  NamedMutex mutex(UniqueName("unused"));
  EXPECT_EQ(mutex.Name(), UniqueName("unused"));
  mutex.Release();
  EXPECT_EQ(mutex.Acquire(0), Wait::Acquired);
  mutex.Release();
}

TEST(NamedMutexTest, ASecondProcessWaitsForTheRelease) {
  NamedMutex mutex(UniqueName("wait"));
  OpenFirst(&mutex);
  const std::string ready = test::TempPath("wait-ready"), marker = test::TempPath("wait-released");
  ChildProcess holder;
  StartHolder(&holder, mutex.Name(), 300, "release", ready, marker);
  ASSERT_EQ(mutex.Acquire(30000), Wait::Acquired);
  EXPECT_TRUE(test::FileExists(marker)) << "acquired before the holder released";
  mutex.Release();
  EXPECT_EQ(holder.Wait(), 0);
  std::remove(ready.c_str());
  std::remove(marker.c_str());
}

TEST(NamedMutexTest, TheWaitGivesUpAfterItsTimeout) {
  NamedMutex mutex(UniqueName("timeout"));
  OpenFirst(&mutex);
  const std::string ready = test::TempPath("timeout-ready"), marker = test::TempPath("timeout-released");
  ChildProcess holder;
  StartHolder(&holder, mutex.Name(), 1500, "release", ready, marker);
  // The holder keeps the mutex far longer than the wait, so the answer comes
  // while it still holds it: the wait gave up rather than got the mutex late.
  EXPECT_EQ(mutex.Acquire(200), Wait::TimedOut);
  EXPECT_FALSE(test::FileExists(marker));
  EXPECT_EQ(holder.Wait(), 0);
  EXPECT_EQ(mutex.Acquire(0), Wait::Acquired);  // released by now
  mutex.Release();
  std::remove(ready.c_str());
  std::remove(marker.c_str());
}

TEST(NamedMutexTest, AHolderThatEndsWithoutReleasingLeavesItAbandoned) {
  NamedMutex mutex(UniqueName("abandon"));
  OpenFirst(&mutex);
  const std::string ready = test::TempPath("abandon-ready");
  ChildProcess holder;
  StartHolder(&holder, mutex.Name(), 200, "abandon", ready, "");
  EXPECT_EQ(mutex.Acquire(30000), Wait::Abandoned);
  EXPECT_EQ(mutex.Acquire(0), Wait::Acquired);  // held, recursively, in a normal state
  mutex.Release();
  mutex.Release();
  EXPECT_EQ(holder.Wait(), 0);
  EXPECT_EQ(mutex.Acquire(0), Wait::Acquired);  // told once only
  mutex.Release();
  std::remove(ready.c_str());
}

TEST(NamedMutexTest, AThreadThatEndsWithoutReleasingLeavesItAbandoned) {
  NamedMutex mutex(UniqueName("thread"));
  std::thread([&] { EXPECT_EQ(mutex.Acquire(1000), Wait::Acquired); }).join();
  EXPECT_EQ(mutex.Acquire(1000), Wait::Abandoned);
  mutex.Release();
  EXPECT_EQ(mutex.Acquire(0), Wait::Acquired);
  mutex.Release();
}

TEST(NamedMutexTest, ExcludesThreadsOfOneProcess) {
  NamedMutex mutex(UniqueName("threads"));
  constexpr int kThreads = 4, kRounds = 200;
  int counter = 0;  // guarded by the mutex alone
  std::atomic<bool> inside{false}, overlap{false};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < kRounds; ++i) {
        ASSERT_EQ(mutex.Acquire(30000), Wait::Acquired);
        if (inside.exchange(true)) overlap = true;
        ++counter;
        inside = false;
        mutex.Release();
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_FALSE(overlap);
  EXPECT_EQ(counter, kThreads * kRounds);
}

}  // namespace
}  // namespace avex::platform
