// The child of the settings kill test; tests/settings_saver.h describes its
// command line and exit codes.
#include "tests/settings_saver.h"

#include <cstdlib>
#include <cstring>
#include <string>

#include "config/settings_journal.h"
#include "config/settings_store.h"
#include "platform/process.h"
#include "tests/generated_configuration.h"

namespace {

using avex::JournalPhase;
using namespace avex::testing;

// Sets the crash point that `phase` and `write` name; false when they name none.
bool SetCrashPoint(const char* phase, const char* write) {
  JournalPhase chosen;
  if (std::strcmp(phase, "write") == 0) {
    chosen = JournalPhase::Write;
  } else if (std::strcmp(phase, "apply") == 0) {
    chosen = JournalPhase::Apply;
  } else if (std::strcmp(phase, "drop") == 0) {
    chosen = JournalPhase::Drop;
  } else {
    return false;
  }
  const long at = std::atol(write);
  if (at < 1) return false;
  avex::SetJournalCrashPoint([chosen, at, count = 0L](JournalPhase phase) mutable {
    if (phase == chosen && ++count == at) avex::platform::EndProcessAbruptly(kSaverCrashedExitCode);
  });
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string command = argc >= 2 ? argv[1] : "";
  if (command == "save" && (argc == 4 || argc == 6)) {
    if (argc == 6 && !SetCrashPoint(argv[4], argv[5])) return kSaverBadArgumentsExitCode;
    const avex::PluginConfiguration config =
        GeneratedConfiguration(static_cast<unsigned>(std::atoi(argv[2])), static_cast<size_t>(std::atoi(argv[3])));
    avex::SaveSettings(config);
    return kSaverDoneExitCode;
  }
  if (command == "load" && (argc == 2 || argc == 4)) {
    if (argc == 4 && !SetCrashPoint(argv[2], argv[3])) return kSaverBadArgumentsExitCode;
    avex::SharedDataLock lock;
    avex::PluginConfiguration config;
    return avex::LoadSettings(&config, &lock) ? kSaverDoneExitCode : kSaverLoadFailedExitCode;
  }
  if (command == "start" && argc == 2) return kSaverDoneExitCode;
  return kSaverBadArgumentsExitCode;
}
