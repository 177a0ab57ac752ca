// The static URL list: hosts and URLs with the categories they belong to.
//
// The file has one entry a line: "host-or-URL codes", separated by blanks,
// where codes is a comma-separated list of category codes from 0 to 31
// ("casino.example 2", "mixed.example/games 2,13"). An entry without a '/'
// or '?' is a host and covers its subdomains too; an entry with one is a
// URL and covers the URL and every URL below its path. Entries are compared
// as URL keys (url_key.h), so scheme and letter case do not matter; a key
// listed twice has the categories of both lines. Lines that do not parse are
// skipped. Loaded once, then read-only: any number of threads may look up.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace avex::csdk {

class StaticUrlList {
 public:
  // Reads the list at `path`; false when the file cannot be opened.
  bool Load(const std::string& path);

  // The category mask of the most specific entry that covers the URL with
  // key `key`: the URL itself, then its path cut back one segment (or query)
  // at a time, then its host, then the host's parent domains.
  std::optional<uint32_t> Lookup(std::string_view key) const;

 private:
  std::unordered_map<std::string, uint32_t> masks_;
};

}  // namespace avex::csdk
