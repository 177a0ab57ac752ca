// The two configuration records the proxy soak (run_soak_bench.sh) applies in
// turn: a base record (the plug-in's configuration as GetConfiguration gave
// it) with N entries added to each of the site, URL and partial lists, the
// second record differing from the first in D of those entries, spread over
// the three lists, as a console's edit of a large configuration changes a few.
//
//   bench_soak_records BASE.rec FIRST.rec SECOND.rec [--entries N] [--differing D]
//
// N defaults to 10,000 and D to 100.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "common/category_table.h"
#include "config/plugin_configuration.h"
#include "plugin/configuration_record.h"

namespace avex {
namespace {

// The last `changed` entries of a list carry `variant` in their text, so
// that the records of two variants differ there only.
const char* Tag(uint32_t i, uint32_t entries, uint32_t changed, const char* variant) {
  return i + changed >= entries ? variant : "";
}

// `entries` in each list; `changed` of them per list (sites, URLs, partials) differ by variant.
void AddEntries(uint32_t entries, const uint32_t (&changed)[3], const char* variant, PluginConfiguration* config) {
  ManualLists& lists = config->settings.lists;
  char text[64];
  for (uint32_t i = 0; i < entries; ++i) {
    const unsigned n = static_cast<unsigned>(i);
    std::snprintf(text, sizeof text, "soak%s%06u.example", Tag(i, entries, changed[0], variant), n);
    lists.InsertSite({text, 2});
    std::snprintf(text, sizeof text, "http://soakurl%s%06u.example/page", Tag(i, entries, changed[1], variant), n);
    lists.InsertUrl({text, CategoryBlocked});
    std::snprintf(text, sizeof text, "soakword%s%06u", Tag(i, entries, changed[2], variant), n);
    lists.AppendPartial({text, 1});
  }
}

bool WriteRecord(const PluginConfiguration& config, const char* path) {
  std::string record(WriteConfigurationRecord(config, nullptr, 0), '\0');
  WriteConfigurationRecord(config, &record[0], static_cast<uint32_t>(record.size()));
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << record;
  return static_cast<bool>(out);
}

int Main(int argc, char** argv) {
  uint32_t entries = 10000, differing = 100;
  bool usage = argc < 4;
  for (int i = 4; i < argc && !usage; i += 2) {
    if (i + 1 >= argc) {
      usage = true;
    } else if (std::strcmp(argv[i], "--entries") == 0) {
      entries = static_cast<uint32_t>(std::strtoul(argv[i + 1], nullptr, 10));
    } else if (std::strcmp(argv[i], "--differing") == 0) {
      differing = static_cast<uint32_t>(std::strtoul(argv[i + 1], nullptr, 10));
    } else {
      usage = true;
    }
  }
  if (usage || entries == 0 || differing > 3 * entries) {
    std::fprintf(stderr, "usage: %s BASE.rec FIRST.rec SECOND.rec [--entries N] [--differing D <= 3N]\n", argv[0]);
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  const std::string base((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  PluginConfiguration first;
  if (!ReadConfigurationRecord(base.data(), static_cast<uint32_t>(base.size()), &first)) {
    std::fprintf(stderr, "%s is no whole configuration record\n", argv[1]);
    return 1;
  }
  PluginConfiguration second = first;
  // The D entries that differ are shared out over the three lists as evenly as they go.
  const uint32_t changed[3] = {differing / 3 + (differing % 3 > 0), differing / 3 + (differing % 3 > 1),
                               differing / 3};
  AddEntries(entries, changed, "a", &first);
  AddEntries(entries, changed, "b", &second);
  if (!WriteRecord(first, argv[2]) || !WriteRecord(second, argv[3])) {
    std::fprintf(stderr, "cannot write %s or %s\n", argv[2], argv[3]);
    return 1;
  }
  std::printf("%u entries per list; the records differ in %u sites, %u URLs and %u partials\n", entries, changed[0],
              changed[1], changed[2]);
  return 0;
}

}  // namespace
}  // namespace avex

int main(int argc, char** argv) { return avex::Main(argc, argv); }
