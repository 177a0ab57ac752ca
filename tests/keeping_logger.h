// A host logger for tests: keeps every line it is handed, whole and as its
// event text (without the address, user and thread columns).
#pragma once

#include <string>
#include <vector>

#include "common/host_interfaces.h"

namespace avex::testing {

class KeepingLogger final : public HostLogger {
 public:
  std::vector<std::string> lines;
  std::vector<std::string> texts;

  uint32_t WriteEvent(uint32_t, uint32_t, const char* line, const char*) override {
    lines.push_back(line);
    std::string text = line;
    for (int column = 0; column < 3; ++column) text.erase(0, text.find('\t') + 1);
    texts.push_back(text);
    return 0;
  }

  void Clear() {
    lines.clear();
    texts.clear();
  }
};

}  // namespace avex::testing
