// Save and load of the whole configuration with large manual lists.
//
//   bench_settings_store [entries-per-list ...]   (default 1000 10000 100000)
//
// Prints, per size, the seconds of one SaveSettings and one LoadSettings and
// the list entries per second each handles (three lists of that size). Uses
// the registry of the machine it runs on: the process's own tree natively
// (leave AVEX_REGISTRY unset), the prefix's registry under Wine.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "config/settings_store.h"
#include "platform/registry.h"

namespace {

using Clock = std::chrono::steady_clock;

avex::PluginConfiguration MakeConfiguration(size_t entries) {
  avex::PluginConfiguration config;
  for (size_t i = 0; i < entries; ++i) {
    const std::string n = std::to_string(i);
    config.settings.lists.InsertUrl({"http://www.site" + n + ".example/path/page" + n + ".html", 14});
    config.settings.lists.InsertSite({"host" + n + ".example.org", avex::CategoryBlocked});
    config.settings.lists.AppendPartial({"fragment" + n, 2});
  }
  return config;
}

double Seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<size_t> sizes;
  for (int i = 1; i < argc; ++i) sizes.push_back(std::strtoul(argv[i], nullptr, 10));
  if (sizes.empty()) sizes = {1000, 10000, 100000};

  avex::SharedDataLock lock("AVexSettingsStoreBench", 120000);
  std::printf("%10s %12s %14s %12s %14s\n", "per list", "save s", "save entries/s", "load s",
              "load entries/s");
  for (size_t size : sizes) {
    const avex::PluginConfiguration saved = MakeConfiguration(size);
    avex::platform::registry::DeleteKeyTree(avex::kSettingsRootKey);

    const auto saveStart = Clock::now();
    avex::SaveSettings(saved);
    const double saveSeconds = Seconds(saveStart);

    avex::PluginConfiguration loaded;
    const auto loadStart = Clock::now();
    const bool ok = avex::LoadSettings(&loaded, &lock);
    const double loadSeconds = Seconds(loadStart);

    const size_t all = 3 * size;
    const bool complete = ok && loaded.settings.lists.partials().size() == size &&
                          loaded.settings.lists.urls().size() == size &&
                          loaded.settings.lists.sites().size() == size;
    std::printf("%10zu %12.3f %14.0f %12.3f %14.0f%s\n", size, saveSeconds, all / saveSeconds,
                loadSeconds, all / loadSeconds, complete ? "" : "  (load incomplete!)");
  }
  avex::platform::registry::DeleteKeyTree(avex::kSettingsRootKey);
  return 0;
}
