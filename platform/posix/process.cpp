#include "platform/process.h"

#include <cerrno>
#include <cstdlib>
#include <signal.h>
#include <spawn.h>
#include <sys/types.h>
#include <sys/wait.h>

extern char** environ;

namespace avex::platform {

struct ChildProcess::Handle {
  pid_t pid = -1;  // -1 once waited for
  int exitCode = -1;
};

ChildProcess::ChildProcess() = default;

ChildProcess::~ChildProcess() { Wait(); }

bool ChildProcess::Start(const std::vector<std::string>& argv) {
  if (argv.empty() || (handle_ && handle_->pid > 0)) return false;  // one child at a time
  std::vector<char*> args;
  args.reserve(argv.size() + 1);
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  pid_t pid = -1;
  if (posix_spawn(&pid, argv[0].c_str(), nullptr, nullptr, args.data(), environ) != 0) return false;
  if (!handle_) handle_ = std::make_unique<Handle>();
  handle_->pid = pid;
  return true;
}

int ChildProcess::Wait() {
  if (!handle_) return -1;
  if (handle_->pid <= 0) return handle_->exitCode;
  int status = 0;
  pid_t result;
  do {
    result = waitpid(handle_->pid, &status, 0);
  } while (result < 0 && errno == EINTR);
  handle_->pid = -1;
  handle_->exitCode = -1;
  if (result < 0) return -1;
  if (WIFEXITED(status)) {
    handle_->exitCode = WEXITSTATUS(status);
  } else if (WIFSIGNALED(status)) {
    // Killed by a signal: the shell's convention, so it is never mistaken for success.
    handle_->exitCode = 128 + WTERMSIG(status);
  }
  return handle_->exitCode;
}

void ChildProcess::Kill() {
  if (!handle_ || handle_->pid <= 0) return;
  kill(handle_->pid, SIGKILL);
  Wait();
}

void EndProcessAbruptly(int exitCode) { std::_Exit(exitCode); }

}  // namespace avex::platform
