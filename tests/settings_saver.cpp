// The child of the settings kill test: saves or loads the configuration in a
// process of its own, so that the test can kill it at any moment.
//
//   settings_saver save <seed> <entries>   saves GeneratedConfiguration(seed, entries)
//   settings_saver load                    loads the stored configuration
//   settings_saver start                   ends at once (the cost of a start)
//
// Exit code 0 when done, 2 for bad arguments, 3 when the load failed.
#include <cstdlib>
#include <string>

#include "config/settings_store.h"
#include "tests/generated_configuration.h"

int main(int argc, char** argv) {
  const std::string command = argc >= 2 ? argv[1] : "";
  avex::SharedDataLock lock;
  if (command == "save" && argc == 4) {
    const avex::PluginConfiguration config =
        avex::testing::GeneratedConfiguration(static_cast<unsigned>(std::atoi(argv[2])),
                                              static_cast<size_t>(std::atoi(argv[3])));
    avex::SharedDataGuard guard(lock);
    avex::SaveSettings(config);
    return 0;
  }
  if (command == "load" && argc == 2) {
    avex::PluginConfiguration config;
    return avex::LoadSettings(&config, &lock) ? 0 : 3;
  }
  if (command == "start" && argc == 2) return 0;
  return 2;
}
