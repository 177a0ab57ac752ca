// The URL classification cache: confidences the engine keeps for URLs it
// has classified before.
//
// The file has one URL a line: "URL code=confidence,code=confidence...",
// separated by blanks, each confidence a decimal number from 0 to 1 and each
// code from 0 to 31; codes not named have confidence 0
// ("http://cached.example/lobby 2=0.92,3=0.1"). URLs are compared as URL
// keys (url_key.h), exactly; a URL listed twice keeps its last line. Lines
// that do not parse are skipped. Loaded once, then read-only: any number of
// threads may look up.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>

#include "csdk/category_codes.h"

namespace avex::csdk {

class UrlCache {
 public:
  // Reads the cache at `path`; false when the file cannot be opened.
  bool Load(const std::string& path);

  // The confidences cached for the URL with key `key`, or null. The answer
  // lives as long as the cache.
  const Confidences* Lookup(std::string_view key) const;

 private:
  std::unordered_map<std::string, Confidences> entries_;
};

}  // namespace avex::csdk
