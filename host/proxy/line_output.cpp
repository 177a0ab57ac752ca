#include "host/proxy/line_output.h"

#include <chrono>
#include <cstdio>
#include <ctime>

namespace avex::host::proxy {

void LineOutput::Write(const std::string& text) {
  const auto now = std::chrono::system_clock::now();
  const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
  const long millis = static_cast<long>(
      std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000);
  std::lock_guard<std::mutex> guard(lock_);
  // gmtime's buffer is shared; the lock covers it.
  const std::tm* utc = std::gmtime(&seconds);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y-%m-%dT%H:%M:%S", utc);
  std::printf("%s.%03ldZ %s\n", stamp, millis, text.c_str());
  std::fflush(stdout);
}

}  // namespace avex::host::proxy
