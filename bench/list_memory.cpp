// What long manual lists cost in the engine process: the real plug-in applies
// a record with N sites ("siteNNNNNN.example"), N URLs
// ("http://urlNNNNNN.example/page") and P partials, and the benchmark prints
// the memory the process holds after the apply against the raw text of the
// lists, the peak while a second record (a few entries differ) is applied
// over it, and the decisions per second of the manual-list stage on lists
// read from the same record.
//
//   bench_list_memory [--partials P] [ENTRIES...]   (default 100000 1000000, P 1000)
//
// Memory is the heap in use natively (mallinfo2) and the commit charge under
// Windows or Wine; the apply runs with the no-save flag, so no registry copy
// of the lists is counted.
#ifdef _WIN32
#include <windows.h>
#include <psapi.h>
#else
#include <malloc.h>
#endif

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "bench/loaded_plugin.h"
#include "common/category_table.h"
#include "config/plugin_configuration.h"
#include "host/scanning_table.h"
#include "lists/manual_lists.h"
#include "lists/url.h"
#include "plugin/configuration_record.h"

namespace avex {
namespace {

using Clock = std::chrono::steady_clock;

volatile uint64_t decisionSink = 0;

double MemoryMegabytes() {
#ifdef _WIN32
  // The commit charge: Wine fills this field and leaves PrivateUsage 0.
  PROCESS_MEMORY_COUNTERS counters = {};
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
  return counters.PagefileUsage / 1e6;
#else
  const struct mallinfo2 info = mallinfo2();
  return (info.uordblks + info.hblkhd) / 1e6;
#endif
}

// The highest figure of MemoryMegabytes while it lives, sampled every millisecond.
class PeakSampler {
 public:
  PeakSampler() : thread_([this] {
      while (!stop_) {
        peak_ = std::max(peak_.load(), MemoryMegabytes());
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
      }
    }) {}
  double Stop() {
    stop_ = true;
    thread_.join();
    return std::max(peak_.load(), MemoryMegabytes());
  }

 private:
  std::atomic<bool> stop_{false};
  std::atomic<double> peak_{0};
  std::thread thread_;
};

std::string Site(uint32_t i) {
  char text[32];
  std::snprintf(text, sizeof text, "site%06u.example", static_cast<unsigned>(i));
  return text;
}

std::string Url(uint32_t i) {
  char text[48];
  std::snprintf(text, sizeof text, "http://url%06u.example/page", static_cast<unsigned>(i));
  return text;
}

std::string Partial(uint32_t i) {
  char text[32];
  std::snprintf(text, sizeof text, "partial%06u", static_cast<unsigned>(i));
  return text;
}

std::vector<uint8_t> RecordOf(const PluginConfiguration& config) {
  std::vector<uint8_t> record(WriteConfigurationRecord(config, nullptr, 0));
  WriteConfigurationRecord(config, record.data(), static_cast<uint32_t>(record.size()));
  return record;
}

// The two records, the second with `variant` in the last hundred sites; and
// the raw text of the first's lists, in bytes.
void MakeRecords(uint32_t entries, uint32_t partials, std::vector<uint8_t>* first, std::vector<uint8_t>* second,
                 size_t* rawBytes) {
  PluginConfiguration config;
  ManualLists& lists = config.settings.lists;
  *rawBytes = 0;
  for (uint32_t i = 0; i < entries; ++i) {
    const std::string site = Site(i), url = Url(i);
    *rawBytes += site.size() + url.size();
    lists.InsertSite({site, 2});
    lists.InsertUrl({url, CategoryBlocked});
  }
  for (uint32_t i = 0; i < partials; ++i) {
    const std::string partial = Partial(i);
    *rawBytes += partial.size();
    lists.AppendPartial({partial, 1});
  }
  *first = RecordOf(config);
  for (uint32_t i = entries > 100 ? entries - 100 : 0; i < entries; ++i) lists.InsertSite({Site(i) + ".b", 2});
  *second = RecordOf(config);
}

// Normalised requests: 20 % listed URLs, 20 % pages of listed sites, 10 %
// URLs that hold a partial, the rest misses.
std::vector<std::string> MakeRequests(uint32_t entries, uint32_t partials, size_t count) {
  std::mt19937 random(7);
  std::vector<std::string> requests;
  requests.reserve(count);
  for (size_t i = 0; i < count; ++i) {
    const uint32_t kind = random() % 100;
    const uint32_t n = random() % entries;
    std::string url;
    if (kind < 20) {
      url = Url(n);
    } else if (kind < 40) {
      url = "http://" + Site(n) + "/index.html";
    } else if (kind < 50 && partials != 0) {
      url = "http://other" + std::to_string(n) + ".example/" + Partial(random() % partials) + "/a.html";
    } else {
      url = "http://miss" + std::to_string(n) + ".example/page" + std::to_string(random() % 1000) + ".html";
    }
    requests.push_back(NormaliseUrl(url));
  }
  return requests;
}

double DecisionsPerSecond(const ManualLists& lists, const std::vector<std::string>& requests) {
  double best = 0;
  for (int round = 0; round < 5; ++round) {
    uint64_t found = 0;
    const Clock::time_point start = Clock::now();
    for (const std::string& url : requests) found += LookupManualClassification(lists, url).has_value();
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    decisionSink = decisionSink + found;
    best = std::max(best, requests.size() / seconds);
  }
  return best;
}

bool Run(uint32_t entries, uint32_t partials) {
  std::vector<uint8_t> first, second;
  size_t rawBytes = 0;
  MakeRecords(entries, partials, &first, &second, &rawBytes);
  const double raw = rawBytes / 1e6;

  double afterApply = 0, peak = 0, before = 0;
  {
    bench::LoadedPlugin plugin;
    if (!plugin.Start(false)) return false;
    void* object = plugin.Fabricate();
    if (object == nullptr) return false;
    const host::ScanningObjectTable& table = host::TableOf(object);
    table.SetNoSaveFlag(object, 1);
    before = MemoryMegabytes();
    if (table.ApplyConfiguration(object, first.data(), static_cast<uint32_t>(first.size())) != 0) {
      std::printf("the first apply failed\n");
      return false;
    }
    afterApply = MemoryMegabytes();
    PeakSampler sampler;
    if (table.ApplyConfiguration(object, second.data(), static_cast<uint32_t>(second.size())) != 0) {
      std::printf("the second apply failed\n");
    }
    peak = sampler.Stop();
    plugin.Release(object);
  }

  PluginConfiguration config;
  ReadConfigurationRecord(first.data(), static_cast<uint32_t>(first.size()), &config);
  config.settings.lists.PrepareIndex();
  const std::vector<std::string> requests = MakeRequests(entries, partials, 200000);
  const double rate = DecisionsPerSecond(config.settings.lists, requests);
  size_t agree = 0;
  const size_t checked = 1000;
  for (size_t i = 0; i < checked; ++i) {
    agree += LookupManualClassification(config.settings.lists, requests[i]) ==
             LookupManualClassificationByWalk(config.settings.lists, requests[i]);
  }

  const double held = afterApply - before;
  std::printf("%10u %9u %9.1f %10.1f %6.1fx %10.1f %6.1fx %13.0f %5zu/%zu\n", entries, partials, raw, held,
              held / raw, peak - before, (peak - before) / raw, rate, agree, checked);
  std::fflush(stdout);
  return true;
}

int Main(int argc, char** argv) {
  uint32_t partials = 1000;
  std::vector<uint32_t> sizes;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--partials") == 0 && i + 1 < argc) {
      partials = static_cast<uint32_t>(std::strtoul(argv[++i], nullptr, 10));
    } else {
      sizes.push_back(static_cast<uint32_t>(std::strtoul(argv[i], nullptr, 10)));
    }
  }
  if (sizes.empty()) sizes = {100000, 1000000};
  std::printf("Manual lists in the engine process: N sites + N URLs + P partials applied by the real plug-in\n"
              "(MB = 10^6 bytes; %s; \"held\": after the first apply, \"peak\": while a second\n"
              "apply runs over it, both above the figure before the first; decisions/s of the list stage)\n",
#ifdef _WIN32
              "commit charge"
#else
              "heap in use"
#endif
  );
  std::printf("%10s %9s %9s %10s %7s %10s %7s %13s %10s\n", "N", "P", "raw MB", "held MB", "x raw", "peak MB",
              "x raw", "decisions/s", "walk agrees");
  for (const uint32_t entries : sizes) {
    if (!Run(entries, partials)) return 1;
  }
  return 0;
}

}  // namespace
}  // namespace avex

int main(int argc, char** argv) { return avex::Main(argc, argv); }
