#include "platform/process.h"

#include <windows.h>

namespace avex::platform {
namespace {

// One argument as the C runtime's command line parser reads it back:
// quoted when it is empty or holds blanks or quotes; a quote is escaped with
// a backslash, and backslashes are doubled where they precede a quote.
void AppendQuoted(const std::string& arg, std::string* line) {
  if (!arg.empty() && arg.find_first_of(" \t\n\v\"") == std::string::npos) {
    *line += arg;
    return;
  }
  line->push_back('"');
  size_t backslashes = 0;
  for (char c : arg) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    if (c == '"') {
      line->append(2 * backslashes + 1, '\\');
    } else {
      line->append(backslashes, '\\');
    }
    backslashes = 0;
    line->push_back(c);
  }
  line->append(2 * backslashes, '\\');
  line->push_back('"');
}

}  // namespace

struct ChildProcess::Handle {
  HANDLE process = nullptr;  // null once waited for
  int exitCode = -1;
};

ChildProcess::ChildProcess() = default;

ChildProcess::~ChildProcess() { Wait(); }

bool ChildProcess::Start(const std::vector<std::string>& argv) {
  if (argv.empty() || (handle_ && handle_->process)) return false;  // one child at a time
  std::string program = argv[0];
  for (char& c : program) {
    if (c == '/') c = '\\';
  }
  std::string commandLine;
  for (size_t i = 0; i < argv.size(); ++i) {
    if (i) commandLine.push_back(' ');
    AppendQuoted(i == 0 ? program : argv[i], &commandLine);
  }
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info = {};
  if (!CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &info)) {
    return false;
  }
  CloseHandle(info.hThread);
  if (!handle_) handle_ = std::make_unique<Handle>();
  handle_->process = info.hProcess;
  return true;
}

int ChildProcess::Wait() {
  if (!handle_) return -1;
  if (!handle_->process) return handle_->exitCode;
  DWORD code = 0;
  bool ok = WaitForSingleObject(handle_->process, INFINITE) == WAIT_OBJECT_0 &&
            GetExitCodeProcess(handle_->process, &code);
  CloseHandle(handle_->process);
  handle_->process = nullptr;
  handle_->exitCode = ok ? static_cast<int>(code) : -1;
  return handle_->exitCode;
}

void ChildProcess::Kill() {
  if (!handle_ || !handle_->process) return;
  TerminateProcess(handle_->process, 137);
  Wait();
}

void EndProcessAbruptly(int exitCode) {
  TerminateProcess(GetCurrentProcess(), static_cast<UINT>(exitCode));
  ExitProcess(static_cast<UINT>(exitCode));  // not reached: TerminateProcess of oneself does not return
}

}  // namespace avex::platform
