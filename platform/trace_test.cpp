// Contract of platform/trace.h.
#include "platform/trace.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/platform_test_util.h"
#include "platform/thread_id.h"

namespace avex::platform {
namespace {

std::string Prefix(const void* object) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "[%lu] %0*llX ", static_cast<unsigned long>(CurrentThreadId()),
                static_cast<int>(2 * sizeof(void*)),
                static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(object)));
  return buffer;
}

TEST(TraceTest, DiscardedWithoutAFile) {
  test::UnsetEnv("AVEX_TRACE");
  ReloadTraceTarget();
  EXPECT_FALSE(TraceEnabled());
  Trace(nullptr, "nothing %d\n", 1);  // must simply not fail
  test::ScopedTraceTarget empty("");
  EXPECT_FALSE(TraceEnabled());
  Trace(nullptr, "nothing %d\n", 2);
}

TEST(TraceTest, AppendsThreadObjectAndText) {
  const std::string path = test::TempPath("trace.txt");
  {
    test::ScopedTraceTarget target(path);
    EXPECT_TRUE(TraceEnabled());
    int object = 0;
    Trace(&object, "SetSource(%s,%s,%d,%s)\n", "http://example.com/", "text/html", 7, "user");
    Trace(nullptr, "Corvane Startup\n");
    const std::string longText(5000, 'L');
    Trace(&object, "%s|\n", longText.c_str());
    EXPECT_EQ(test::ReadFile(path), Prefix(&object) + "SetSource(http://example.com/,text/html,7,user)\n" +
                                        Prefix(nullptr) + "Corvane Startup\n" + Prefix(&object) + longText +
                                        "|\n");
  }
  Trace(nullptr, "after\n");  // the variable is gone again: nothing more
  EXPECT_EQ(test::ReadFile(path).find("after"), std::string::npos);
  std::remove(path.c_str());
}

TEST(TraceTest, TheVariableIsReadAtTheFirstTextOnly) {
  const std::string path = test::TempPath("trace-late.txt");
  test::ScopedTraceTarget none("");
  Trace(nullptr, "before\n");
  {
    test::ScopedEnv late("AVEX_TRACE", path);
    Trace(nullptr, "set too late\n");
  }
  EXPECT_FALSE(test::FileExists(path));
}

TEST(TraceTest, LinesOfThreadsStayWhole) {
  const std::string path = test::TempPath("trace-threads.txt");
  test::ScopedTraceTarget target(path);
  constexpr int kThreads = 4, kLines = 100;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t] {
      for (int i = 0; i < kLines; ++i) Trace(nullptr, "thread %d line %d %s\n", t, i, std::string(200, 'x').c_str());
    });
  }
  for (std::thread& thread : threads) thread.join();
  std::istringstream lines(test::ReadFile(path));
  std::string line;
  std::set<std::string> seen;
  while (std::getline(lines, line)) {
    size_t text = line.find(" thread ");
    ASSERT_NE(text, std::string::npos) << line;
    ASSERT_EQ(line.substr(line.size() - 200), std::string(200, 'x')) << line;
    seen.insert(line.substr(text, line.size() - 201 - text));
  }
  EXPECT_EQ(seen.size(), static_cast<size_t>(kThreads * kLines));
  std::remove(path.c_str());
}

}  // namespace
}  // namespace avex::platform
