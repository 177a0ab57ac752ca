// Starting a child program and waiting for it (test drivers and the host harness).
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace avex::platform {

class ChildProcess {
 public:
  ChildProcess();
  ~ChildProcess();  // waits for a child that is still running
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // Starts `argv[0]` (a path) with the arguments that follow; false on failure.
  bool Start(const std::vector<std::string>& argv);

  // Waits for the child to end; its exit code, or -1 when none was started.
  int Wait();

  // Ends the child at once, as a crash would (no clean-up of its own runs),
  // and waits for it. Does nothing when no child is running.
  void Kill();

 private:
  struct Handle;
  std::unique_ptr<Handle> handle_;
};

// Ends the calling process at once with `exitCode`, as a crash would: no
// destructor, exit handler or library clean-up of its own runs, and nothing
// buffered is written. For test children that stand for a killed process.
[[noreturn]] void EndProcessAbruptly(int exitCode);

}  // namespace avex::platform
