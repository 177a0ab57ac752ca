// Holds a named mutex in a process of its own, for the mutex contract tests.
//
//   mutex_holder <name> <hold-ms> release|abandon <ready-file> [<marker-file>]
//
// Acquires the mutex (waiting at most 10 s), creates <ready-file>, holds the
// mutex for <hold-ms> milliseconds, then either writes <marker-file> and
// releases the mutex (release), or ends without releasing it (abandon).
// Exit code 0, 2 for bad arguments, 3 when the mutex could not be acquired.
//
//   mutex_holder --echo <out-file> <argument>...
//
// Writes the arguments, one a line, to <out-file>: the process tests check
// that arguments with blanks, quotes and backslashes arrive whole.
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>

#include "platform/named_mutex.h"

namespace {

bool WriteFile(const std::string& path, const char* text) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file << text;
  return static_cast<bool>(file);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 3 && std::string(argv[1]) == "--echo") {
    std::string lines;
    for (int i = 3; i < argc; ++i) lines += std::string(argv[i]) + "\n";
    return WriteFile(argv[2], lines.c_str()) ? 0 : 1;
  }
  if (argc < 5) return 2;
  std::string mode = argv[3];
  bool release = mode == "release";
  if (!release && mode != "abandon") return 2;
  if (release && argc < 6) return 2;

  avex::platform::NamedMutex mutex(argv[1]);
  avex::platform::NamedMutex::Wait wait = mutex.Acquire(10000);
  if (wait != avex::platform::NamedMutex::Wait::Acquired &&
      wait != avex::platform::NamedMutex::Wait::Abandoned) {
    return 3;
  }
  WriteFile(argv[4], "held\n");
  std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(argv[2])));
  if (release) {
    WriteFile(argv[5], "released\n");
    mutex.Release();
  }
  // In abandon mode the process ends holding the mutex.
  return 0;
}
