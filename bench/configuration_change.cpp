// How long the requests of a host wait while its configuration changes: the
// real AVex.dll, loaded from this program's folder and started without its
// engine, with one host thread doing Reset + SetSource in a loop on a
// scanning object of its own, each request timed, while the main thread
// changes the configuration through another object, the save on (no-save
// flag 0), as the engine process applies a transfer from the console.
//
//   bench_configuration_change [--entries N[,N...]] [--partials P] [--users U]
//
// For every N (default 10,000 and 100,000) entries per list (sites
// "siteNNNNNN.example", URLs "http://urlNNNNNN.example/page") and P (default
// 1,000) partials, each a fresh start on the plug-in's defaults, the steps:
//   - ApplyConfiguration of the defaults with the lists;
//   - the same plus one URL entry;
//   - the same again, unchanged;
// and once, on a fresh start over a registry without the plug-in's settings
// (so that its first directory sets every name's default filter and saves),
// SetUserDatabase of U (default 100,000) users and one group holding them all.
// Each step prints the call's time, the longest request meanwhile and the
// 99th percentile, and the save's own time and the registry values it wrote,
// taken from the line the store traces per save; beside them the goals.
//
// The requester pauses a quarter of a millisecond between requests: every
// request traces a few lines into the trace file, which would otherwise grow
// by tens of megabytes a second; a lock held longer than the pause is still
// met by a request that waits for the rest of it. AVEX_TRACE is set here for
// the plug-in (a file in the scratch folder, emptied after every step), and
// natively, unless AVEX_REGISTRY names a registry file, so is that, since the
// plug-in's own copy of the registry code would otherwise keep its registry
// in its memory where this program cannot clear it. Registry keys the
// plug-in creates are deleted at the end, unless they were there before.
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "bench/loaded_plugin.h"
#include "bench/one_group_directory.h"
#include "common/category_table.h"
#include "config/plugin_configuration.h"
#include "host/request_replay.h"
#include "host/scanning_table.h"
#include "plugin/configuration_record.h"
#include "common/result_codes.h"

namespace avex {
namespace {

using Clock = std::chrono::steady_clock;
using bench::LoadedPlugin;
using bench::OneGroupDirectory;
using host::ScanningObjectTable;

double MillisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void SetEnvironment(const char* name, const std::string& value) {
#if defined(_WIN32)
  _putenv_s(name, value.c_str());
#else
  setenv(name, value.c_str(), 1);
#endif
}

std::string Thousands(uint64_t n) {
  std::string digits = std::to_string(n);
  for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3) digits.insert(static_cast<size_t>(at), ",");
  return digits;
}

// What the saves of one step did, as the store traced them.
struct SaveFigures {
  int saves = 0;
  unsigned long written = 0, deletedValues = 0, deletedKeys = 0, milliseconds = 0;
  std::string how;
};

// The plug-in's trace file, read and emptied after every step.
class TraceFile {
 public:
  explicit TraceFile(std::string path) : path_(std::move(path)) { std::filesystem::remove(path_); }
  ~TraceFile() { std::filesystem::remove(path_); }

  const std::string& Path() const { return path_; }

  // The saves traced since the last call.
  SaveFigures TakeSaves() {
    static const char kMark[] = "settings save: wrote ";
    SaveFigures figures;
    {
      std::ifstream trace(path_);
      std::string line;
      while (std::getline(trace, line)) {
        const size_t at = line.find(kMark);
        if (at == std::string::npos) continue;
        unsigned long written = 0, deletedValues = 0, deletedKeys = 0, milliseconds = 0;
        char how[128] = "";
        if (std::sscanf(line.c_str() + at + sizeof kMark - 1, "%lu values, deleted %lu values and %lu keys in %lu ms (%127[^)])",
                        &written, &deletedValues, &deletedKeys, &milliseconds, how) < 4) {
          continue;
        }
        ++figures.saves;
        figures.written += written;
        figures.deletedValues += deletedValues;
        figures.deletedKeys += deletedKeys;
        figures.milliseconds += milliseconds;
        if (!figures.how.empty()) figures.how += ", ";
        figures.how += how;
      }
    }
    std::filesystem::remove(path_);
    return figures;
  }

 private:
  std::string path_;
};

// One host thread's requests on a scanning object of its own, Reset +
// SetSource, each timed, while a step runs: a listed URL, a page of a listed
// site, a URL on no list, in turn.
class Requester {
 public:
  Requester(void* object, uint32_t entries) : object_(object), entries_(entries), thread_([this] { Run(); }) {}

  ~Requester() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      state_ = kStopping;
    }
    changed_.notify_all();
    thread_.join();
  }

  Requester(const Requester&) = delete;
  Requester& operator=(const Requester&) = delete;

  void BeginStep() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      times_.clear();
      state_ = kMeasuring;
    }
    changed_.notify_all();
  }

  // The times in milliseconds of the requests that began during the step,
  // once the last of them has ended.
  std::vector<double> EndStep() {
    std::unique_lock<std::mutex> lock(mutex_);
    state_ = kIdle;
    changed_.wait(lock, [this] { return !inFlight_; });
    return std::move(times_);
  }

 private:
  enum State { kIdle, kMeasuring, kStopping };

  void Run() {
    const ScanningObjectTable& table = host::TableOf(object_);
    char url[96];
    std::unique_lock<std::mutex> lock(mutex_);
    for (uint64_t n = 0;; ++n) {
      changed_.wait(lock, [this] { return state_ != kIdle; });
      if (state_ == kStopping) return;
      inFlight_ = true;
      lock.unlock();
      const unsigned index = static_cast<unsigned>((n / 3 * 7919) % entries_);
      static const char* const kShapes[] = {"http://url%06u.example/page", "http://site%06u.example/news/index.html",
                                            "http://unlisted%06u.example/page.html"};
      std::snprintf(url, sizeof url, kShapes[n % 3], index);
      const Clock::time_point start = Clock::now();
      table.Reset(object_, 1);
      table.SetSource(object_, url, "text/html", 0x0A000001, "pat");
      const double milliseconds = MillisecondsSince(start);
      lock.lock();
      times_.push_back(milliseconds);
      inFlight_ = false;
      changed_.notify_all();
      lock.unlock();
      std::this_thread::sleep_for(std::chrono::microseconds(250));
      lock.lock();
    }
  }

  void* object_;
  uint32_t entries_;
  std::mutex mutex_;
  std::condition_variable changed_;
  State state_ = kIdle;
  bool inFlight_ = false;
  std::vector<double> times_;
  std::thread thread_;
};

// Where the trace and the native registry file go: natively a memory file
// system when there is one. On a disk, the rename that replaces a registry
// file of megabytes flushes it, and the requester's trace lines, appended
// to the same disk, wait for that flush: a stall of the file system, not of
// the plug-in (under Wine the registry lives in the wine server's memory).
std::filesystem::path ScratchFolder() {
#if !defined(_WIN32)
  std::error_code error;
  if (std::filesystem::is_directory("/dev/shm", error)) return "/dev/shm";
#endif
  return std::filesystem::temp_directory_path();
}

// The goals of one step; an unset one does not apply to it.
struct Goals {
  std::optional<double> callSeconds;
  std::optional<unsigned long> saveMilliseconds;
  std::optional<unsigned long> valuesWritten;
};

constexpr double kLongestRequestGoalMs = 5;

std::string Verdict(bool met) { return met ? "met" : "missed"; }

// Runs `call` as one step while the requester times requests, and prints its figures beside its goals.
template <typename Call>
void RunStep(const char* what, Requester* requester, TraceFile* trace, const Goals& goals, Call&& call) {
  trace->TakeSaves();
  requester->BeginStep();
  const Clock::time_point start = Clock::now();
  const uint32_t result = call();
  const double callSeconds = MillisecondsSince(start) / 1000;
  std::vector<double> times = requester->EndStep();
  const SaveFigures save = trace->TakeSaves();

  std::sort(times.begin(), times.end());
  const double longest = times.empty() ? 0 : times.back();
  const double p99 = times.empty() ? 0 : times[(times.size() * 99 + 99) / 100 - 1];
  std::printf("  %s: %s, call %.3f s\n", what, ResultName(result), callSeconds);
  std::printf("    requests meanwhile %zu, longest %.1f ms, 99th percentile %.2f ms\n", times.size(), longest, p99);
  if (save.saves == 0) {
    std::printf("    save: n/a (no save line in the trace)\n");
  } else {
    std::printf("    save%s: %lu ms, %s values written (deleted %s values and %s keys; %s)\n",
                save.saves == 1 ? "" : (" (" + std::to_string(save.saves) + " saves)").c_str(), save.milliseconds,
                Thousands(save.written).c_str(), Thousands(save.deletedValues).c_str(),
                Thousands(save.deletedKeys).c_str(), save.how.c_str());
  }
  std::string verdicts = "longest request <= 5 ms: " + Verdict(!times.empty() && longest <= kLongestRequestGoalMs);
  char limit[64];
  if (goals.callSeconds) {
    std::snprintf(limit, sizeof limit, "; call <= %g s: ", *goals.callSeconds);
    verdicts += limit + Verdict(callSeconds <= *goals.callSeconds);
  }
  if (goals.saveMilliseconds) {
    std::snprintf(limit, sizeof limit, "; save <= %lu ms: ", *goals.saveMilliseconds);
    verdicts += limit + (save.saves == 0 ? "n/a" : Verdict(save.milliseconds <= *goals.saveMilliseconds));
  }
  if (goals.valuesWritten) {
    std::snprintf(limit, sizeof limit, "; %lu values written: ", *goals.valuesWritten);
    verdicts += limit + (save.saves == 0 ? "n/a" : Verdict(save.written <= *goals.valuesWritten));
  }
  std::printf("    goals: %s\n", verdicts.c_str());
}

std::vector<uint8_t> RecordOf(const PluginConfiguration& config) {
  std::vector<uint8_t> record(WriteConfigurationRecord(config, nullptr, 0));
  WriteConfigurationRecord(config, record.data(), static_cast<uint32_t>(record.size()));
  return record;
}

std::string UrlEntry(uint32_t i) {
  char text[48];
  std::snprintf(text, sizeof text, "http://url%06u.example/page", static_cast<unsigned>(i));
  return text;
}

// The plug-in's configuration as it answers GetConfiguration.
bool FetchConfiguration(void* object, PluginConfiguration* config) {
  const ScanningObjectTable& table = host::TableOf(object);
  uint32_t size = 0;
  const uint32_t length = table.GetConfiguration(object, nullptr, &size);
  std::vector<uint8_t> record(length);
  size = length;
  return table.GetConfiguration(object, record.data(), &size) == ResultOk &&
         ReadConfigurationRecord(record.data(), length, config);
}

// The three applies on a fresh start with `entries` per list over the defaults.
bool RunApplies(TraceFile* trace, uint32_t entries, uint32_t partials) {
  LoadedPlugin plugin;
  if (plugin.SettingsStoredBefore()) {
    std::printf("  warning: the plug-in's settings were stored before this run; the applies go over them\n");
  }
  if (!plugin.Start(false)) return false;
  void* changer = plugin.Fabricate();
  void* requests = plugin.Fabricate();
  PluginConfiguration config;
  if (changer == nullptr || requests == nullptr || !FetchConfiguration(changer, &config)) {
    std::printf("  PlugFabricateInterface or GetConfiguration failed\n");
    return false;
  }
  ManualLists& lists = config.settings.lists;
  for (uint32_t i = 0; i < entries; ++i) {
    char site[32];
    std::snprintf(site, sizeof site, "site%06u.example", static_cast<unsigned>(i));
    lists.InsertSite({site, 2});
    lists.InsertUrl({UrlEntry(i), CategoryBlocked});
  }
  for (uint32_t i = 0; i < partials; ++i) {
    char partial[32];
    std::snprintf(partial, sizeof partial, "partial%06u", static_cast<unsigned>(i));
    lists.AppendPartial({partial, 1});
  }
  const std::vector<uint8_t> overDefaults = RecordOf(config);
  lists.InsertUrl({UrlEntry(entries), CategoryBlocked});
  const std::vector<uint8_t> plusOne = RecordOf(config);
  std::printf("\n%s entries per list and %s partials, a record of %.2f MB (10^6 bytes):\n", Thousands(entries).c_str(),
              Thousands(partials).c_str(), overDefaults.size() / 1e6);

  const ScanningObjectTable& table = host::TableOf(changer);
  table.SetNoSaveFlag(changer, 0);
  const auto apply = [&](const std::vector<uint8_t>& record) {
    return [&] { return table.ApplyConfiguration(changer, record.data(), static_cast<uint32_t>(record.size())); };
  };
  {
    Requester requester(requests, entries);
    RunStep("apply over the defaults", &requester, trace, Goals{std::nullopt, 8000, std::nullopt}, apply(overDefaults));
    RunStep("the same plus one URL entry", &requester, trace, Goals{0.5, 100, std::nullopt}, apply(plusOne));
    RunStep("the same again, unchanged", &requester, trace, Goals{0.5, std::nullopt, 0}, apply(plusOne));
  }
  plugin.Release(requests);
  plugin.Release(changer);
  return true;
}

// The first SetUserDatabase of a fresh start that found no stored settings.
bool RunFirstDirectory(TraceFile* trace, uint32_t users) {
  LoadedPlugin plugin;
  const OneGroupDirectory directory(users);
  std::printf("\nSetUserDatabase of %s users and one group holding them all, fresh start, no stored settings:\n",
              Thousands(users).c_str());
  if (plugin.SettingsStoredBefore()) {
    std::printf("  n/a: the plug-in's settings were stored before this run, so its first directory does not save\n");
    return true;
  }
  if (!plugin.Start(false)) return false;
  void* changer = plugin.Fabricate();
  void* requests = plugin.Fabricate();
  if (changer == nullptr || requests == nullptr) {
    std::printf("  PlugFabricateInterface failed\n");
    return false;
  }
  {
    Requester requester(requests, users);
    RunStep("first SetUserDatabase", &requester, trace, Goals{20.0, std::nullopt, std::nullopt},
            [&] { return host::TableOf(changer).SetUserDatabase(changer, &directory.database); });
  }
  plugin.Release(requests);
  plugin.Release(changer);
  return true;
}

bool ParseCount(const std::string& text, uint32_t* count) {
  char* end = nullptr;
  const unsigned long value = std::strtoul(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || value == 0 || value > 999999) return false;
  *count = static_cast<uint32_t>(value);
  return true;
}

bool ParseCounts(const std::string& text, std::vector<uint32_t>* counts) {
  counts->clear();
  std::stringstream list(text);
  std::string item;
  uint32_t count = 0;
  while (std::getline(list, item, ',')) {
    if (!ParseCount(item, &count)) return false;
    counts->push_back(count);
  }
  return !counts->empty();
}

int Main(int argc, char** argv) {
  std::vector<uint32_t> entries = {10000, 100000};
  uint32_t partials = 1000, users = 100000;
  for (int i = 1; i < argc; i += 2) {
    const std::string flag = argv[i], value = i + 1 < argc ? argv[i + 1] : "";
    const bool parsed = (flag == "--entries" && ParseCounts(value, &entries)) ||
                        (flag == "--partials" && ParseCount(value, &partials)) ||
                        (flag == "--users" && ParseCount(value, &users));
    if (!parsed) {
      std::fprintf(stderr, "usage: %s [--entries N[,N...]] [--partials P] [--users U]\n", argv[0]);
      return 2;
    }
  }

  const std::filesystem::path temporary = ScratchFolder();
  const std::string tag = "avex-configuration-change-" + std::to_string(Clock::now().time_since_epoch().count());
  TraceFile trace((temporary / (tag + ".trace")).string());
  SetEnvironment("AVEX_TRACE", trace.Path());
#if !defined(_WIN32)
  std::optional<std::string> ownRegistry;
  const char* registry = std::getenv("AVEX_REGISTRY");
  if (registry == nullptr || *registry == '\0') {
    ownRegistry = (temporary / (tag + ".reg")).string();
    SetEnvironment("AVEX_REGISTRY", *ownRegistry);
  }
#endif
  std::printf("%u-bit build, %u hardware threads; goals: every request <= %g ms; over the defaults save <= 8 s;\n"
              "one entry more: save <= 100 ms, call <= 0.5 s; unchanged: 0 values written, call <= 0.5 s;\n"
              "first SetUserDatabase <= 20 s\n",
              static_cast<unsigned>(8 * sizeof(void*)), std::thread::hardware_concurrency(), kLongestRequestGoalMs);
  int status = 0;
  for (uint32_t count : entries) {
    if (!RunApplies(&trace, count, partials)) status = 1;
  }
  if (!RunFirstDirectory(&trace, users)) status = 1;
#if !defined(_WIN32)
  if (ownRegistry) std::filesystem::remove(*ownRegistry);
#endif
  return status;
}

}  // namespace
}  // namespace avex

int main(int argc, char** argv) { return avex::Main(argc, argv); }
