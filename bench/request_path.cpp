// Throughput of the real plug-in as a host drives it: AVex.dll loaded from
// this program's folder, every operation called through the scanning object's
// slot table, the stand-in engine csdk.dll and its data beside it. The figures
// therefore include the exports, the shared-data lock (under Wine a
// system-wide mutex that every call pays for in the wine server) and, for
// requests no manual list decides, the engine.
//
//   bench_request_path [--seconds S] [--entries N] [--transfers T] [--no-engine]
//   bench_request_path --lock-holds [--entries N]
//
// Prints, with N entries (default 100,000) in each of the URL, site and
// partial lists, handed to the plug-in as a configuration record:
//   - GetConfiguration and ApplyConfiguration of that record (no-save flag
//     set), MB per second each, the best of T (default 5) transfers, and what
//     reading the record and building the look-up index cost in this process;
//   - the bare shared-data lock: acquire and release of a named mutex of the
//     same kind under a name of its own, from 1 and 2 threads, and under the
//     plug-in's own name, which is slower when another process on the machine
//     (natively) or in the Wine prefix takes the plug-in's lock meanwhile;
//   - Reset + SetSource decisions per second from 1 and 2 threads (each its
//     own scanning object) over a mix of list hits and misses, per kind of
//     request, and the list stage alone in this process for comparison;
//   - full requests per second: Reset, SetSource, a 20 KiB text/html page in
//     4 KiB blocks through PutData, CheckData, and the HTML block page through
//     GetResponse when the page is blocked.
// --lock-holds measures instead how long the shared-data lock is held by the
// calls that hold it longest, as another thread of the machine sees it (its
// longest wait for the plug-in's lock, polled every millisecond): the first
// SetUserDatabase of N users and a group of all of them (which saves every
// name), a later one, and ApplyConfiguration of N entries per list, saved.
//
// With --no-engine the plug-in starts without its engine (start type 1), so
// the figures are the plug-in's own work and the lock: requests that no list
// decides then ask for their data, and no full requests are run.
// Every rate is the best of five rounds that together last about S seconds
// (default 2), the rounds of the figures that are compared interleaved, since
// the machine may be busy with other work; a last round of full requests
// times each step.
//
// Registry keys the plug-in creates at its start (its vendor key, and its
// settings on a first start) are deleted at the end, unless they were there
// before. Natively the plug-in's registry lives in its own process memory
// unless AVEX_REGISTRY names a file.
#include <algorithm>
#include <array>
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
#include "bench/one_group_directory.h"
#include "bench/text_generator.h"
#include "config/plugin_configuration.h"
#include "config/shared_data_lock.h"
#include "host/scanning_table.h"
#include "lists/manual_lists.h"
#include "lists/url.h"
#include "platform/named_mutex.h"
#include "plugin/configuration_record.h"
#include "common/result_codes.h"

namespace avex {
namespace {

using Clock = std::chrono::steady_clock;
using host::ScanningObjectTable;

constexpr size_t kPageBytes = 20 * 1024;
constexpr size_t kBlockBytes = 4 * 1024;

// Keeps the look-ups measured in this process from being optimised away.
volatile uint64_t lookupSink = 0;

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

constexpr int kRounds = 5;

// The best rate of one figure over rounds that the caller interleaves with
// the rounds of the figures it is compared with, so that all of them see the
// machine in the same state.
class BestRate {
 public:
  explicit BestRate(size_t threads) : next_(threads, 0) {}

  // One round of about `seconds` on the threads at once: thread t calls
  // work(t, n) for n = 0, 1, 2, ... (n keeps counting across rounds). Each
  // thread reads the clock after a batch of calls that grows until one batch
  // takes 5 ms, so the clock costs nothing.
  template <typename Work>
  void Round(double seconds, Work&& work) {
    const size_t threads = next_.size();
    std::vector<uint64_t> done(threads, 0);
    const Clock::time_point start = Clock::now();
    const Clock::time_point deadline =
        start + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
    auto run = [&](size_t thread) {
      uint64_t batch = 1;
      for (Clock::time_point now = Clock::now(); now < deadline;) {
        for (uint64_t i = 0; i < batch; ++i) work(thread, next_[thread]++);
        done[thread] += batch;
        const Clock::time_point batchEnd = Clock::now();
        if (batchEnd - now < std::chrono::milliseconds(5)) batch *= 2;
        now = batchEnd;
      }
    };
    std::vector<std::thread> others;
    for (size_t thread = 1; thread < threads; ++thread) others.emplace_back(run, thread);
    run(0);
    for (std::thread& other : others) other.join();
    uint64_t total = 0;
    for (uint64_t count : done) total += count;
    best_ = std::max(best_, total / SecondsSince(start));
  }

  double PerSecond() const { return best_; }

 private:
  std::vector<uint64_t> next_;
  double best_ = 0;
};

void PrintRate(const std::string& what, double perSecond) {
  std::printf("  %-44s %12.0f /s %9.3f us each\n", what.c_str(), perSecond, 1e6 / perSecond);
}

// The shortest of `times` runs of `work`, in seconds.
template <typename Work>
double ShortestSeconds(int times, Work&& work) {
  double best = 1e300;
  for (int i = 0; i < times; ++i) {
    const Clock::time_point start = Clock::now();
    work();
    best = std::min(best, SecondsSince(start));
  }
  return best;
}

using bench::LoadedPlugin;
using bench::OneGroupDirectory;
using bench::TextGenerator;

enum RequestKind { kUrlListHit, kSiteListHit, kPartialListHit, kNoListEntry, kRequestKinds };

const char* const kKindNames[kRequestKinds] = {"URL list hits", "site list hits", "partial list hits",
                                                "on no list"};

struct Traffic {
  PluginConfiguration configuration;   // the defaults with the three lists filled
  std::vector<std::string> mix;        // request URLs as the host passes them
  std::array<std::vector<std::string>, kRequestKinds> byKind;
  std::vector<std::string> unlisted;   // on no list, not even the engine's
};

// `entries` in each list: URLs administratively blocked, sites Gambling,
// keywords Sex (categories that block by default). The mix: 20 % whole listed
// URLs, 20 % pages of listed sites, 10 % URLs with a listed keyword, 50 % on
// no manual list, one in ten of them on the stand-in engine's static list.
Traffic MakeTraffic(uint32_t entries, uint32_t requests) {
  // Hosts of the engine's shipped static list (csdk/data), asked for by subdomain.
  static const char* const kEngineListedHosts[] = {"bigwin-casino.example", "lucky-poker.example",
                                                   "adult-videos.example", "daily-headlines.example",
                                                   "friendly-chat.example"};
  TextGenerator text(entries);
  Traffic traffic;
  ManualLists& lists = traffic.configuration.settings.lists;
  std::vector<std::string> urls, sites, keywords;
  for (uint32_t i = 0; i < entries; ++i) {
    urls.push_back("http://" + text.Host() + text.Path() + (text.Below(2) ? ".html" : ""));
    sites.push_back(text.Host());
    keywords.push_back(text.Keyword("-"));
    lists.InsertUrl({urls.back(), CategoryBlocked});
    lists.InsertSite({sites.back(), 2});
    lists.AppendPartial({keywords.back(), 1});
  }
  for (uint32_t i = 0; i < requests; ++i) {
    const uint32_t share = text.Below(100);
    RequestKind kind = kNoListEntry;
    std::string url;
    if (share < 20) {
      kind = kUrlListHit;
      url = urls[text.Below(entries)];
    } else if (share < 40) {
      kind = kSiteListHit;
      url = "http://" + sites[text.Below(entries)] + text.Path() + ".html";
    } else if (share < 50) {
      kind = kPartialListHit;
      url = "http://" + text.Host() + text.Path() + "/" + keywords[text.Below(entries)] + "/index.html";
    } else if (share < 55) {
      url = std::string("http://www.") + kEngineListedHosts[text.Below(5)] + text.Path() + ".html";
    } else {
      url = (text.Below(4) ? "http://" : "https://") + text.Host() + text.Path() + ".html?id=" +
            std::to_string(text.Below(1000000)) + "&ref=" + text.Word(1, 2);
      traffic.unlisted.push_back(url);
    }
    traffic.mix.push_back(url);
    traffic.byKind[kind].push_back(url);
  }
  return traffic;
}

// An HTML page of exactly kPageBytes. Its words score nothing in the engine's
// lexicon, unless `gambling`: then a few of its paragraphs speak of betting.
std::string MakePage(bool gambling) {
  static const char* const kWords[] = {"river", "garden", "morning", "library", "window", "quiet",
                                       "paper", "bridge", "yellow", "coffee", "kitchen", "orchard",
                                       "lantern", "village", "harbour", "meadow", "recipe", "bread"};
  const std::string tail = "</body></html>";
  std::string page = "<html><head><title>Village notes</title></head><body>\n";
  std::mt19937 random(gambling ? 2 : 1);
  for (int paragraph = 0; page.size() + 400 + tail.size() < kPageBytes; ++paragraph) {
    page += "<p>";
    for (int word = 0; word < 40; ++word) {
      page += kWords[random() % (sizeof kWords / sizeof kWords[0])];
      page += ' ';
    }
    if (gambling && paragraph % 8 == 0) page += "Visit our online casino and place your bets on roulette. ";
    page += "</p>\n";
  }
  page.append(kPageBytes - tail.size() - page.size(), ' ');
  return page + tail;
}

// The answers of one Reset + SetSource per URL of `urls`, counted by result.
struct Outcomes {
  uint64_t rejected = 0, undecided = 0, other = 0;
};

Outcomes Decide(void* object, const std::vector<std::string>& urls) {
  const ScanningObjectTable& table = host::TableOf(object);
  Outcomes outcomes;
  for (const std::string& url : urls) {
    table.Reset(object, 1);
    const uint32_t result = table.SetSource(object, url.c_str(), "text/html", 0x0A000001, "pat");
    if (result == ResultReject) {
      ++outcomes.rejected;
    } else if (result == ResultOk) {
      ++outcomes.undecided;
    } else {
      ++outcomes.other;
    }
  }
  return outcomes;
}

std::string Percent(uint64_t part, size_t whole) {
  char text[16];
  std::snprintf(text, sizeof text, "%.0f%%", whole == 0 ? 0.0 : 100.0 * part / whole);
  return text;
}

void PrintOutcomes(const char* what, const Outcomes& outcomes, size_t count) {
  std::printf("  %-22s blocked %5s, undecided (left to the content) %5s, other answers %llu\n", what,
              Percent(outcomes.rejected, count).c_str(), Percent(outcomes.undecided, count).c_str(),
              static_cast<unsigned long long>(outcomes.other));
}

// GetConfiguration and ApplyConfiguration of the traffic's configuration.
void RunTransfers(void* object, const Traffic& traffic, const std::vector<uint8_t>& record, int transfers) {
  const ScanningObjectTable& table = host::TableOf(object);
  const double megabytes = record.size() / 1e6;
  const uint32_t recordSize = static_cast<uint32_t>(record.size());
  table.SetNoSaveFlag(object, 1);

  // The first apply finds the lists empty; every later one copies the live
  // configuration first and drops the lists it replaces.
  const Clock::time_point firstStart = Clock::now();
  uint32_t applied = table.ApplyConfiguration(object, record.data(), recordSize);
  const double firstApplySeconds = SecondsSince(firstStart);
  const double applySeconds = ShortestSeconds(transfers, [&] {
    const uint32_t result = table.ApplyConfiguration(object, record.data(), recordSize);
    if (result != ResultOk) applied = result;
  });

  std::vector<uint8_t> fetched;
  bool fetchedWhole = true;
  const double getSeconds = ShortestSeconds(transfers, [&] {
    uint32_t size = 0;
    const uint32_t length = table.GetConfiguration(object, nullptr, &size);
    fetched.resize(length);
    size = length;
    fetchedWhole = table.GetConfiguration(object, fetched.data(), &size) == ResultOk && fetchedWhole;
  });
  PluginConfiguration readBack;
  const bool sameLists = fetchedWhole &&
                         ReadConfigurationRecord(fetched.data(), static_cast<uint32_t>(fetched.size()), &readBack) &&
                         readBack.settings.lists == traffic.configuration.settings.lists;

  // The two big parts of an apply, here in this process alone: reading the
  // record, and building the look-up index of the lists it brought.
  double readSeconds = 1e300, indexSeconds = 1e300;
  for (int i = 0; i < 3; ++i) {
    PluginConfiguration parsed;
    Clock::time_point start = Clock::now();
    ReadConfigurationRecord(record.data(), recordSize, &parsed);
    readSeconds = std::min(readSeconds, SecondsSince(start));
    start = Clock::now();
    parsed.settings.lists.PrepareIndex();
    indexSeconds = std::min(indexSeconds, SecondsSince(start));
  }

  const auto line = [megabytes](const char* what, double seconds, const char* warning) {
    std::printf("  %-50s %8.1f ms %9.1f MB/s%s\n", what, seconds * 1e3, megabytes / seconds, warning);
  };
  std::printf("Configuration transfer, %.2f MB record (MB = 10^6 bytes), best of %d:\n", megabytes, transfers);
  line("GetConfiguration (length, then record)", getSeconds, sameLists ? "" : "  (the record read back differs!)");
  line("ApplyConfiguration, no-save flag, first (lists empty)", firstApplySeconds, "");
  line("ApplyConfiguration, no-save flag, replacing the lists", applySeconds,
       applied == ResultOk ? "" : "  (an apply failed!)");
  line("  in this process alone: ReadConfigurationRecord", readSeconds, "");
  line("  in this process alone: PrepareIndex of its lists", indexSeconds, "");
}

// Reset + SetSource on the thread's own object, URL n of `urls` (the threads
// start at different places).
auto Decider(const std::vector<void*>& objects, const std::vector<std::string>& urls) {
  return [&objects, &urls](size_t thread, uint64_t n) {
    void* object = objects[thread];
    const ScanningObjectTable& table = host::TableOf(object);
    const std::string& url = urls[(n + thread * urls.size() / 2) % urls.size()];
    table.Reset(object, 1);
    table.SetSource(object, url.c_str(), "text/html", 0x0A000001, "pat");
  };
}

struct ListStageRates {
  BestRate lockOneThread{1}, lockTwoThreads{2}, pluginLock{1};
  BestRate mixOneThread{1}, mixTwoThreads{2};
  std::array<BestRate, kRequestKinds> byKind{BestRate(1), BestRate(1), BestRate(1), BestRate(1)};
  BestRate inProcess{1};
};

// The bare shared-data lock and SetSource, their rounds interleaved.
void RunListStage(const std::vector<void*>& objects, const Traffic& traffic, uint32_t entries, double seconds,
                  ListStageRates* rates) {
  std::printf("Outcomes of Reset + SetSource (text/html), as a check of the mix:\n");
  PrintOutcomes("the mix", Decide(objects[0], traffic.mix), traffic.mix.size());
  for (int kind = 0; kind < kRequestKinds; ++kind) {
    PrintOutcomes(kKindNames[kind], Decide(objects[0], traffic.byKind[kind]), traffic.byKind[kind].size());
  }

  // One NamedMutex shared by the threads, as the plug-in shares its one
  // SharedDataLock, under a name of its own; and the plug-in's own name,
  // which every process that runs the plug-in's code on this machine (or in
  // this Wine prefix) takes too, so that a busy neighbour shows.
  platform::NamedMutex lock("AVexRequestPathBenchMutant");
  platform::NamedMutex pluginLock(kSharedDataMutexName);
  std::atomic<uint64_t> failedWaits{0};
  const auto acquireReleaseOf = [&failedWaits](platform::NamedMutex& mutex) {
    return [&mutex, &failedWaits](size_t, uint64_t) {
      const platform::NamedMutex::Wait wait = mutex.Acquire(kSharedDataTimeoutMs);
      if (wait == platform::NamedMutex::Wait::Acquired || wait == platform::NamedMutex::Wait::Abandoned) {
        mutex.Release();
      } else {
        ++failedWaits;
      }
    };
  };
  const auto acquireRelease = acquireReleaseOf(lock);
  const auto acquireReleasePlugin = acquireReleaseOf(pluginLock);
  // The list stage alone, on the same lists in this process: normalise and look up.
  const ManualLists& lists = traffic.configuration.settings.lists;
  lists.PrepareIndex();
  std::string normalised;
  auto lookUp = [&](size_t, uint64_t n) {
    NormaliseUrlInto(traffic.mix[n % traffic.mix.size()], &normalised);
    if (LookupManualClassification(lists, normalised)) lookupSink = lookupSink + 1;
  };

  const double slice = seconds / kRounds;
  for (int round = 0; round < kRounds; ++round) {
    rates->lockOneThread.Round(slice, acquireRelease);
    rates->lockTwoThreads.Round(slice, acquireRelease);
    rates->pluginLock.Round(slice, acquireReleasePlugin);
    rates->mixOneThread.Round(slice, Decider(objects, traffic.mix));
    rates->mixTwoThreads.Round(slice, Decider(objects, traffic.mix));
    for (int kind = 0; kind < kRequestKinds; ++kind) {
      rates->byKind[kind].Round(slice, Decider(objects, traffic.byKind[kind]));
    }
    rates->inProcess.Round(slice, lookUp);
  }

  std::printf("\nBare shared-data lock (NamedMutex acquire + release):\n");
  PrintRate("1 thread", rates->lockOneThread.PerSecond());
  PrintRate("2 threads, one mutex", rates->lockTwoThreads.PerSecond());
  PrintRate("1 thread, under the plug-in's own lock name", rates->pluginLock.PerSecond());
  if (failedWaits != 0) std::printf("  %llu waits failed\n", static_cast<unsigned long long>(failedWaits.load()));

  std::printf("\nSetSource through the list stage, %u entries in each list; the mix: 20%% URL list hits,\n"
              "20%% site hits, 10%% partial hits, 50%% on no list (one in ten of them on the engine's\n"
              "static list), %zu distinct URLs:\n",
              entries, traffic.mix.size());
  PrintRate("the mix, 1 thread", rates->mixOneThread.PerSecond());
  PrintRate("the mix, 2 threads (an object each)", rates->mixTwoThreads.PerSecond());
  for (int kind = 0; kind < kRequestKinds; ++kind) {
    PrintRate(std::string(kKindNames[kind]) + " only, 1 thread", rates->byKind[kind].PerSecond());
  }
  PrintRate("the mix, list stage alone in this process", rates->inProcess.PerSecond());
}

enum RequestStep { kSourceStep, kDataStep, kCheckStep, kResponseStep, kRequestSteps };

const char* const kStepNames[kRequestSteps] = {"Reset + SetSource", "PutData, all blocks", "CheckData",
                                                "GetResponse, blocked ones only"};

// The time one thread's full requests spent in each step.
struct StepTimes {
  std::array<Clock::duration, kRequestSteps> spent{};
  uint64_t requests = 0, blocked = 0;
};

// One whole request of the host: URL n of the unlisted ones, every other one
// with a page that the engine blocks.
struct FullRequester {
  const std::vector<void*>& objects;
  const std::vector<std::string>& urls;
  const std::array<std::string, 2>& pages;  // clean, gambling
  std::vector<std::vector<char>>& blockPages;  // one buffer per thread, reused
  std::array<std::atomic<uint64_t>, 3>& outcomes;  // passed, blocked, other
  StepTimes* steps = nullptr;  // when set, each step is timed (one thread only)

  void operator()(size_t thread, uint64_t n) const {
    void* object = objects[thread];
    const ScanningObjectTable& table = host::TableOf(object);
    const std::string& url = urls[(n + thread * urls.size() / 2) % urls.size()];
    const std::string& page = pages[n % 2];
    Clock::time_point mark = steps != nullptr ? Clock::now() : Clock::time_point();
    table.Reset(object, 1);
    uint32_t result = table.SetSource(object, url.c_str(), "text/html", 0x0A000001, "pat");
    Lap(kSourceStep, &mark);
    for (size_t at = 0; result == ResultOk && at < page.size(); at += kBlockBytes) {
      const size_t count = std::min(kBlockBytes, page.size() - at);
      result = table.PutData(object, page.data() + at, static_cast<uint32_t>(count));
    }
    Lap(kDataStep, &mark);
    if (result == ResultOk) result = table.CheckData(object);
    Lap(kCheckStep, &mark);
    if (result == ResultReject) {
      uint32_t length = 0;
      table.GetResponse(object, 1, nullptr, &length);
      std::vector<char>& buffer = blockPages[thread];
      if (buffer.size() < length + 1) buffer.resize(length + 1);
      uint32_t size = static_cast<uint32_t>(buffer.size());
      if (table.GetResponse(object, 1, buffer.data(), &size) != ResultOk) result = ResultFailed;
      Lap(kResponseStep, &mark);
      if (steps != nullptr) ++steps->blocked;
    }
    if (steps != nullptr) ++steps->requests;
    ++outcomes[result == ResultPass ? 0 : result == ResultReject ? 1 : 2];
  }

  void Lap(RequestStep step, Clock::time_point* mark) const {
    if (steps == nullptr) return;
    const Clock::time_point now = Clock::now();
    steps->spent[step] += now - *mark;
    *mark = now;
  }
};

struct FullRequestRates {
  BestRate oneThread{1}, twoThreads{2};
};

void RunFullRequests(const std::vector<void*>& objects, const Traffic& traffic, double seconds,
                     FullRequestRates* rates) {
  const std::array<std::string, 2> pages = {MakePage(false), MakePage(true)};
  std::vector<std::vector<char>> blockPages(objects.size());
  std::array<std::atomic<uint64_t>, 3> outcomes{};
  const FullRequester request{objects, traffic.unlisted, pages, blockPages, outcomes};
  for (uint64_t n = 0; n < 2; ++n) request(0, n);
  const bool asIntended = outcomes[0] == 1 && outcomes[1] == 1;

  for (int round = 0; round < kRounds; ++round) {
    rates->oneThread.Round(seconds / kRounds, request);
    rates->twoThreads.Round(seconds / kRounds, request);
  }
  std::printf("Full requests: Reset, SetSource, PutData of a %zu-byte text/html page in %zu-byte blocks,\n"
              "CheckData, and the HTML block page (length, then text) when blocked; URLs on no list,\n"
              "every other page blocked by its content:\n",
              kPageBytes, kBlockBytes);
  PrintRate("1 thread", rates->oneThread.PerSecond());
  PrintRate("2 threads (an object each)", rates->twoThreads.PerSecond());

  StepTimes steps;
  FullRequester timed = request;
  timed.steps = &steps;
  BestRate(1).Round(seconds / kRounds, timed);
  std::printf("  mean time per step, 1 thread, each step timed:\n");
  for (int step = 0; step < kRequestSteps; ++step) {
    const uint64_t count = step == kResponseStep ? steps.blocked : steps.requests;
    const double micros = std::chrono::duration<double, std::micro>(steps.spent[step]).count();
    std::printf("    %-42s %9.1f us\n", kStepNames[step], count == 0 ? 0.0 : micros / count);
  }
  const uint64_t all = outcomes[0] + outcomes[1] + outcomes[2];
  std::printf("  outcomes: passed %s, blocked %s, other %llu%s\n", Percent(outcomes[0], all).c_str(),
              Percent(outcomes[1], all).c_str(), static_cast<unsigned long long>(outcomes[2].load()),
              asIntended ? "" : "  (the clean page was not passed or the gambling page not blocked!)");
}

// The environment variables that make the plug-in or the engine write files
// on every call would measure the disk instead.
void WarnAboutTracing() {
  for (const char* name : {"AVEX_TRACE", "CSDK_JOURNAL", "CSDK_FAULTS", "AVEX_REGISTRY"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') std::printf("warning: %s is set (%s)\n", name, value);
  }
}


// The longest wait of a thread that takes the plug-in's lock every
// millisecond while `work` runs: the longest hold of the lock, as every
// other request of the machine would see it.
template <typename Work>
void ReportLongestHold(const char* what, Work&& work) {
  std::atomic<bool> done{false};
  double longest = 0;
  std::thread watcher([&] {
    platform::NamedMutex lock(kSharedDataMutexName);
    while (!done) {
      const Clock::time_point start = Clock::now();
      const platform::NamedMutex::Wait wait = lock.Acquire(kSharedDataTimeoutMs);
      longest = std::max(longest, SecondsSince(start));
      if (wait == platform::NamedMutex::Wait::Acquired || wait == platform::NamedMutex::Wait::Abandoned) {
        lock.Release();
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  });
  const Clock::time_point start = Clock::now();
  const uint32_t result = work();
  const double seconds = SecondsSince(start);
  done = true;
  watcher.join();
  std::printf("  %-58s result %08X, call %8.3f s, longest wait of another thread %8.3f s\n", what, result,
              seconds, longest);
}

int RunLockHolds(const std::vector<uint8_t>& record, uint32_t entries) {
  LoadedPlugin plugin;
  if (!plugin.Start(false)) return 1;
  void* object = plugin.Fabricate();
  if (object == nullptr) {
    std::printf("PlugFabricateInterface failed\n");
    return 1;
  }
  const ScanningObjectTable& table = host::TableOf(object);
  const OneGroupDirectory directory(entries);
  std::printf("Longest holds of the shared-data lock, %u users and entries per list:\n", entries);
  ReportLongestHold("SetUserDatabase, first start (saves every name)",
                    [&] { return table.SetUserDatabase(object, &directory.database); });
  ReportLongestHold("SetUserDatabase again (no save)",
                    [&] { return table.SetUserDatabase(object, &directory.database); });
  table.SetNoSaveFlag(object, 0);
  ReportLongestHold("ApplyConfiguration of the lists, saved", [&] {
    return table.ApplyConfiguration(object, record.data(), static_cast<uint32_t>(record.size()));
  });
  plugin.Release(object);
  return 0;
}

int Main(int argc, char** argv) {
  double seconds = 2.0;
  uint32_t entries = 100000;
  int transfers = 5;
  bool withEngine = true;
  bool lockHolds = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--seconds") == 0 && i + 1 < argc) {
      seconds = std::atof(argv[++i]);
    } else if (std::strcmp(argv[i], "--entries") == 0 && i + 1 < argc) {
      entries = static_cast<uint32_t>(std::strtoul(argv[++i], nullptr, 10));
    } else if (std::strcmp(argv[i], "--transfers") == 0 && i + 1 < argc) {
      transfers = std::max(1, std::atoi(argv[++i]));
    } else if (std::strcmp(argv[i], "--no-engine") == 0) {
      withEngine = false;
    } else if (std::strcmp(argv[i], "--lock-holds") == 0) {
      lockHolds = true;
    } else {
      std::fprintf(stderr, "usage: %s [--seconds S] [--entries N] [--transfers T] [--no-engine] | --lock-holds [--entries N]\n",
                   argv[0]);
      return 2;
    }
  }
  if (entries == 0) entries = 1;
  std::printf("%u-bit build, %u hardware threads\n", static_cast<unsigned>(8 * sizeof(void*)),
              std::thread::hardware_concurrency());
  WarnAboutTracing();

  const Clock::time_point made = Clock::now();
  const Traffic traffic = MakeTraffic(entries, 40000);
  const uint32_t recordSize = WriteConfigurationRecord(traffic.configuration, nullptr, 0);
  std::vector<uint8_t> record(recordSize);
  WriteConfigurationRecord(traffic.configuration, record.data(), recordSize);
  std::printf("lists and requests made in %.1f s\n\n", SecondsSince(made));
  if (lockHolds) return RunLockHolds(record, entries);

  LoadedPlugin plugin;
  if (!plugin.Start(withEngine)) return 1;
  std::vector<void*> objects = {plugin.Fabricate(), plugin.Fabricate()};
  if (objects[0] == nullptr || objects[1] == nullptr) {
    std::printf("PlugFabricateInterface failed\n");
    return 1;
  }
  if (withEngine && Decide(objects[0], {"http://www.bigwin-casino.example/"}).rejected != 1) {
    std::printf("warning: the engine's static list does not answer; is csdk.dll beside AVex.dll?\n");
  }

  RunTransfers(objects[0], traffic, record, transfers);
  std::printf("\n");
  ListStageRates list;
  RunListStage(objects, traffic, entries, seconds, &list);
  FullRequestRates full;
  if (withEngine) {
    std::printf("\n");
    RunFullRequests(objects, traffic, seconds, &full);
  }

  const double lock = list.lockOneThread.PerSecond(), decisions = list.mixOneThread.PerSecond();
  const auto ratio = [](const char* what, double value) { std::printf("  %-64s %7.2f\n", what, value); };
  std::printf("\nRatios (same run%s):\n", withEngine ? "" : ", no engine");
  ratio("SetSource rate (the mix) / bare lock rate, 1 thread", decisions / lock);
  ratio("SetSource rate, 2 threads / 1 thread", list.mixTwoThreads.PerSecond() / decisions);
  ratio("bare lock rate, 2 threads / 1 thread", list.lockTwoThreads.PerSecond() / lock);
  ratio("bare lock, plug-in's name / own name (below 1: used elsewhere)", list.pluginLock.PerSecond() / lock);
  ratio("list stage alone in this process / SetSource, 1 thread", list.inProcess.PerSecond() / decisions);
  if (withEngine) {
    ratio("SetSource rate / full request rate, 1 thread", decisions / full.oneThread.PerSecond());
    ratio("full request rate, 2 threads / 1 thread", full.twoThreads.PerSecond() / full.oneThread.PerSecond());
  }

  for (void* object : objects) plugin.Release(object);
  return 0;
}

}  // namespace
}  // namespace avex

int main(int argc, char** argv) { return avex::Main(argc, argv); }
