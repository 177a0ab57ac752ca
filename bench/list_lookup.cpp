// Decisions per second of the manual-list stage of a request.
//
//   bench_list_lookup [--seconds S]
//       LookupManualClassification with 10, 1,000 and 100,000 entries in each
//       list, against the walk that searches the lists themselves.
//   bench_list_lookup --peer DIR [--seconds S]
//       The peer workload of bench/peer_workload.py in DIR: domains become the
//       site list, urls the URL list, partials the partial list, and every
//       line of requests.txt is normalised and looked up, as a request's
//       SetSource does. Prints lines in the form squidGuard's run prints them,
//       and the rate of the bare shared-data lock beside them.

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "common/category_table.h"
#include "lists/manual_lists.h"
#include "lists/partial_matcher.h"
#include "lists/url.h"
#include "platform/named_mutex.h"
#include "bench/text_generator.h"

namespace avex {
namespace {

using Clock = std::chrono::steady_clock;

// Keeps the decisions measured from being optimised away.
volatile uint64_t decisionSink = 0;

// Decisions per second of `decide` over `requests`, round and round, for about
// `seconds`: the best of five rounds (the machine may be busy with other
// work). Batches grow until one is long enough that reading the clock costs
// nothing.
template <typename Decide>
double Measure(const std::vector<std::string>& requests, double seconds, Decide&& decide) {
  constexpr int kRounds = 5;
  double best = 0;
  size_t next = 0, batch = 1;
  for (int round = 0; round < kRounds; ++round) {
    uint64_t done = 0, found = 0;
    const Clock::time_point start = Clock::now();
    double elapsed = 0;
    while (elapsed < seconds / kRounds) {
      const Clock::time_point batchStart = Clock::now();
      for (size_t i = 0; i < batch; ++i) {
        found += decide(requests[next]) ? 1 : 0;
        if (++next == requests.size()) next = 0;
      }
      done += batch;
      const Clock::time_point now = Clock::now();
      if (std::chrono::duration<double>(now - batchStart).count() < 0.005) batch *= 2;
      elapsed = std::chrono::duration<double>(now - start).count();
    }
    decisionSink = decisionSink + found;
    best = std::max(best, done / elapsed);
  }
  return best;
}

double MillisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

using bench::TextGenerator;

struct Workload {
  ManualLists lists;
  std::vector<std::string> requests;  // normalised
};

// `entries` in each list; requests: 20 % whole listed URLs, 20 % pages of
// listed sites, 10 % URLs that contain a listed keyword, the rest misses.
Workload MakeWorkload(uint32_t entries, uint32_t requestCount) {
  TextGenerator text(entries);
  Workload workload;
  std::vector<std::string> urls, sites, keywords;
  for (uint32_t i = 0; i < entries; ++i) {
    urls.push_back("http://" + text.Host() + text.Path() + (text.Below(2) ? ".html" : ""));
    sites.push_back(text.Host());
    std::string keyword = text.Keyword();
    // Typed by people: some entries keep capitals, which matching ignores.
    if (text.Below(4) == 0) keyword[0] = static_cast<char>(keyword[0] - 'a' + 'A');
    keywords.push_back(keyword);
    workload.lists.InsertUrl({urls.back(), CategoryBlocked});
    workload.lists.InsertSite({sites.back(), 2});
    workload.lists.AppendPartial({keyword, 1});
  }
  for (uint32_t i = 0; i < requestCount; ++i) {
    const uint32_t kind = text.Below(100);
    std::string url;
    if (kind < 20) {
      url = urls[text.Below(entries)];
    } else if (kind < 40) {
      url = "http://" + sites[text.Below(entries)] + text.Path() + ".html";
    } else if (kind < 50) {
      url = "http://" + text.Host() + text.Path() + "/" + keywords[text.Below(entries)] + "/index.html";
    } else {
      url = (text.Below(4) ? "http://" : "https://") + text.Host() + text.Path() + ".html?id=" +
            std::to_string(text.Below(1000000)) + "&ref=" + text.Word(1, 2);
    }
    workload.requests.push_back(NormaliseUrl(url));
  }
  return workload;
}

void RunSizes(double seconds) {
  std::printf("LookupManualClassification with the same number of entries in each list, "
              "indexed and walked;\nrequests: 20%% URL-list hits, 20%% site hits, 10%% partial "
              "hits, 50%% misses. \"partials only\": the same\nrequests against the partial "
              "list alone, so that every request scans the automaton.\n");
  std::printf("%12s %18s %15s %8s %15s %9s %13s %9s %10s\n", "entries/list", "indexed lookups/s",
              "walk lookups/s", "ratio", "partials only/s", "build ms", "automaton KB",
              "mean URL", "agree");
  double indexedAt10 = 0, partialsAt10 = 0, indexedAtLargest = 0, partialsAtLargest = 0;
  for (const uint32_t entries : {10u, 1000u, 100000u}) {
    const Workload workload = MakeWorkload(entries, 20000);
    size_t urlBytes = 0;
    for (const std::string& url : workload.requests) urlBytes += url.size();
    ManualLists partialsOnly;
    for (const ManualEntry& entry : workload.lists.partials()) partialsOnly.AppendPartial(entry);

    const Clock::time_point buildStart = Clock::now();
    workload.lists.PrepareIndex();
    const double buildMs = MillisecondsSince(buildStart);
    partialsOnly.PrepareIndex();
    const size_t automatonKb = PartialMatcher(workload.lists.partials()).MemoryBytes() / 1024;

    const double indexed = Measure(workload.requests, seconds, [&](const std::string& url) {
      return LookupManualClassification(workload.lists, url).has_value();
    });
    const double walk = Measure(workload.requests, seconds / 2, [&](const std::string& url) {
      return LookupManualClassificationByWalk(workload.lists, url).has_value();
    });
    const double partials = Measure(workload.requests, seconds, [&](const std::string& url) {
      return LookupManualClassification(partialsOnly, url).has_value();
    });

    // Both ways must give every request the same answer.
    const size_t checked = entries >= 100000 ? 300 : 3000;
    size_t agree = 0;
    for (size_t i = 0; i < checked; ++i) {
      const std::string& url = workload.requests[i];
      agree += LookupManualClassification(workload.lists, url) ==
               LookupManualClassificationByWalk(workload.lists, url);
    }

    std::printf("%12u %18.0f %15.0f %7.0fx %15.0f %9.1f %13zu %9zu %4zu/%-5zu\n", entries,
                indexed, walk, indexed / walk, partials, buildMs, automatonKb,
                urlBytes / workload.requests.size(), agree, checked);
    if (entries == 10) {
      indexedAt10 = indexed;
      partialsAt10 = partials;
    }
    indexedAtLargest = indexed;
    partialsAtLargest = partials;
  }
  std::printf("at 100000 entries per list, of the figure at 10: indexed lookups %.2f, "
              "partials only %.2f\n",
              indexedAtLargest / indexedAt10, partialsAtLargest / partialsAt10);
}

std::vector<std::string> ReadLines(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "cannot read %s\n", path.c_str());
    std::exit(1);
  }
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) lines.push_back(line);
  }
  return lines;
}

void RunPeer(const std::string& dir, double seconds) {
  const std::vector<std::string> domains = ReadLines(dir + "/domains");
  const std::vector<std::string> urls = ReadLines(dir + "/urls");
  const std::vector<std::string> partials = ReadLines(dir + "/partials");
  const std::vector<std::string> requests = ReadLines(dir + "/requests.txt");

  ManualLists lists;
  for (const std::string& domain : domains) lists.InsertSite({domain, CategoryBlocked});
  // The workload's URL entries have no scheme (squidGuard strips it before it
  // compares); ours are whole request URLs, so they get the requests' scheme.
  for (const std::string& url : urls) lists.InsertUrl({"http://" + url, CategoryBlocked});
  ManualLists withPartials = lists;
  for (const std::string& partial : partials) withPartials.AppendPartial({partial, CategoryBlocked});

  std::string normalised;
  normalised.reserve(4096);
  auto decider = [&normalised](const ManualLists& lists) {
    return [&normalised, &lists](const std::string& request) {
      NormaliseUrlInto(request, &normalised);
      return LookupManualClassification(lists, normalised).has_value();
    };
  };

  struct Config {
    const ManualLists* lists;
    std::string label;
  };
  const Config configs[] = {
      {&lists, "lists (" + std::to_string(domains.size()) + " sites + " +
                   std::to_string(urls.size()) + " urls)"},
      {&withPartials, "lists + " + std::to_string(partials.size()) + " partials"},
  };
  for (const Config& config : configs) {
    const Clock::time_point buildStart = Clock::now();
    config.lists->PrepareIndex();
    const double buildMs = MillisecondsSince(buildStart);
    auto decide = decider(*config.lists);
    // squidGuard's run with expressions takes the first tenth of the requests.
    uint64_t blocked = 0, blockedInFirstTenth = 0;
    for (size_t i = 0; i < requests.size(); ++i) {
      const bool hit = decide(requests[i]);
      blocked += hit;
      if (i < requests.size() / 10) blockedInFirstTenth += hit;
    }
    size_t agree = 0;
    const size_t checked = std::min<size_t>(requests.size(), 1000);
    for (size_t i = 0; i < checked; ++i) {
      NormaliseUrlInto(requests[i], &normalised);
      agree += LookupManualClassification(*config.lists, normalised) ==
               LookupManualClassificationByWalk(*config.lists, normalised);
    }
    const double rate = Measure(requests, seconds, decide);
    std::printf("AVex %s: %llu blocked of %zu; %.0f decisions/s\n", config.label.c_str(),
                static_cast<unsigned long long>(blocked), requests.size(), rate);
    std::printf("  %llu blocked of the first %zu; index built in %.0f ms, automaton %zu KB; "
                "the walk agrees on %zu of %zu\n",
                static_cast<unsigned long long>(blockedInFirstTenth), requests.size() / 10, buildMs,
                PartialMatcher(config.lists->partials()).MemoryBytes() / 1024, agree, checked);
  }

  // Every SetSource takes the system-wide shared-data lock; its bare cost
  // bounds the request rate whatever the lists cost.
  platform::NamedMutex lock("AVexListBenchMutex");
  uint64_t failedWaits = 0;
  const double lockRate = Measure(requests, seconds / 2, [&](const std::string&) {
    const platform::NamedMutex::Wait wait = lock.Acquire(120000);
    if (wait != platform::NamedMutex::Wait::Acquired && wait != platform::NamedMutex::Wait::Abandoned) {
      ++failedWaits;
      return false;
    }
    lock.Release();
    return true;
  });
  if (failedWaits != 0) {
    std::printf("bare shared-data lock: %llu waits failed\n", static_cast<unsigned long long>(failedWaits));
  }
  std::printf("bare shared-data lock: %.0f acquire+release/s\n", lockRate);
}

int Main(int argc, char** argv) {
  double seconds = 1.0;
  std::string peerDir;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--peer") == 0 && i + 1 < argc) {
      peerDir = argv[++i];
    } else if (std::strcmp(argv[i], "--seconds") == 0 && i + 1 < argc) {
      seconds = std::atof(argv[++i]);
    } else {
      std::fprintf(stderr, "usage: %s [--peer DIR] [--seconds S]\n", argv[0]);
      return 2;
    }
  }
  if (peerDir.empty()) {
    RunSizes(seconds);
  } else {
    RunPeer(peerDir, seconds);
  }
  return 0;
}

}  // namespace
}  // namespace avex

int main(int argc, char** argv) { return avex::Main(argc, argv); }
