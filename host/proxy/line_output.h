// The proxy's standard output: whole lines behind a UTC time stamp, from any
// thread, each flushed at once so that a reader of the pipe sees it as it happens.
#pragma once

#include <mutex>
#include <string>

namespace avex::host::proxy {

class LineOutput {
 public:
  // Writes `text` as one line; any thread.
  void Write(const std::string& text);

 private:
  std::mutex lock_;
};

}  // namespace avex::host::proxy
