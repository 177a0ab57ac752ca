// A host's user directory for the benchmarks: `users` users and one group
// that lists them all, every record published, as SetUserDatabase takes it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/host_interfaces.h"

namespace avex::bench {

struct OneGroupDirectory {
  std::vector<std::string> names;
  std::vector<HostUserRecord> records;
  std::vector<HostUserRecord*> everyone, published;
  HostUserDatabase database{0, nullptr};

  explicit OneGroupDirectory(uint32_t users) : names(users), records(users + 1) {
    for (uint32_t i = 0; i < users; ++i) {
      names[i] = "user" + std::to_string(i);
      records[i] = HostUserRecord{names[i].c_str(), "", 0, 0, 0, 0, nullptr};
      everyone.push_back(&records[i]);
    }
    records[users] = HostUserRecord{"everyone", "", 1, 0, 0, users, everyone.data()};
    for (HostUserRecord& record : records) published.push_back(&record);
    database = HostUserDatabase{static_cast<uint32_t>(published.size()), published.data()};
  }
};

}  // namespace avex::bench
