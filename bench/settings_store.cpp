// Saves and loads of the whole configuration with large manual lists, and
// what a save writes when little or nothing changed.
//
//   bench_settings_store [entries-per-list ...]   (default 1000 10000 100000)
//       per size, the seconds of one SaveSettings into an empty root and of
//       one LoadSettings, and the list entries per second each handles
//       (three lists of that size)
//   bench_settings_store --changes [sites urls partials]   (default 100000 100000 1000)
//       the seconds and the registry changes of a save of such lists over
//       the stored defaults, of the same plus one URL, of the same again
//       unchanged, and of that once more after another process saved
//       (the stored tree then read and compared in full)
//
// The changes are those the save's trace line reports. Uses the registry of
// the machine it runs on: the process's own tree natively (leave
// AVEX_REGISTRY unset), the prefix's registry under Wine.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "config/settings_store.h"
#include "platform/platform_test_util.h"
#include "platform/registry.h"

namespace {

using Clock = std::chrono::steady_clock;

avex::PluginConfiguration MakeConfiguration(size_t sites, size_t urls, size_t partials) {
  avex::PluginConfiguration config;
  for (size_t i = 0; i < urls; ++i) {
    const std::string n = std::to_string(i);
    config.settings.lists.InsertUrl({"http://www.site" + n + ".example/path/page" + n + ".html", 14});
  }
  for (size_t i = 0; i < sites; ++i) {
    config.settings.lists.InsertSite({"host" + std::to_string(i) + ".example.org", avex::CategoryBlocked});
  }
  for (size_t i = 0; i < partials; ++i) config.settings.lists.AppendPartial({"fragment" + std::to_string(i), 2});
  return config;
}

double Seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

int WholeSaveAndLoad(const std::vector<size_t>& sizes) {
  avex::SharedDataLock lock("AVexSettingsStoreBench", 120000);
  std::printf("%10s %12s %14s %12s %14s\n", "per list", "save s", "save entries/s", "load s",
              "load entries/s");
  for (size_t size : sizes) {
    const avex::PluginConfiguration saved = MakeConfiguration(size, size, size);
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

// The save's own report: its last trace line, after "settings save: ".
std::string LastSaveReport(const std::string& tracePath) {
  std::ifstream file(tracePath, std::ios::binary);
  std::string line, last = "(no save traced)";
  while (std::getline(file, line)) {
    const size_t at = line.find("settings save: ");
    if (at != std::string::npos) last = line.substr(at + std::strlen("settings save: "));
  }
  return last;
}

int Changes(size_t sites, size_t urls, size_t partials) {
  const std::string tracePath = (std::filesystem::temp_directory_path() /
                                 ("avex-bench-settings-" + std::to_string(avex::platform::test::ProcessId())))
                                    .string();
  std::remove(tracePath.c_str());
  avex::platform::test::ScopedTraceTarget trace(tracePath);
  avex::SharedDataLock lock("AVexSettingsStoreBench", 120000);

  avex::platform::registry::DeleteKeyTree(avex::kSettingsRootKey);
  avex::PluginConfiguration defaults;
  avex::LoadSettings(&defaults, &lock);  // a first start: the defaults are saved

  avex::PluginConfiguration config = MakeConfiguration(sites, urls, partials);
  const auto step = [&](const char* what) {
    const auto start = Clock::now();
    avex::SaveSettings(config);
    const double seconds = Seconds(start);
    std::printf("%-44s %9.3f s   %s\n", what, seconds, LastSaveReport(tracePath).c_str());
  };
  std::printf("%zu sites, %zu URLs, %zu partials\n", sites, urls, partials);
  step("the lists saved over the defaults");
  config.settings.lists.InsertUrl({"http://one.more.example/", 3});
  step("one URL added");
  step("unchanged");
  avex::platform::registry::WriteDword(avex::kSettingsRootKey, avex::kSettingsStampValue,
                                       avex::platform::registry::ReadDword(avex::kSettingsRootKey, avex::kSettingsStampValue, 0) + 1);
  step("unchanged, after another process saved");

  avex::platform::registry::DeleteKeyTree(avex::kSettingsRootKey);
  std::remove(tracePath.c_str());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 2 && std::strcmp(argv[1], "--changes") == 0) {
    size_t counts[3] = {100000, 100000, 1000};
    for (int i = 2; i < argc && i < 5; ++i) counts[i - 2] = std::strtoul(argv[i], nullptr, 10);
    return Changes(counts[0], counts[1], counts[2]);
  }
  std::vector<size_t> sizes;
  for (int i = 1; i < argc; ++i) sizes.push_back(std::strtoul(argv[i], nullptr, 10));
  if (sizes.empty()) sizes = {1000, 10000, 100000};
  return WholeSaveAndLoad(sizes);
}
