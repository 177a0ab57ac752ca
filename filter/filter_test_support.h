// A request ready to run through the filter functions against fakes: a live
// configuration with logging on, a snapshot, a fake engine and a logger that
// keeps the event texts.
#pragma once

#include <string>
#include <vector>

#include "filter/fake_engine_objects.h"
#include "filter/filter_context.h"
#include "filter/request_state.h"

namespace avex::testing {

class KeepingLogger final : public HostLogger {
 public:
  // The event texts, without the address, user and thread columns.
  std::vector<std::string> texts;

  uint32_t WriteEvent(uint32_t, uint32_t, const char* line, const char*) override {
    std::string text = line;
    for (int column = 0; column < 3; ++column) text.erase(0, text.find('\t') + 1);
    texts.push_back(text);
    return 0;
  }
};

struct FilterFixture {
  FilterFixture() {
    live.hostLoggingCapable = 1;
    state.logger = &logger;
  }

  FilterContext Context(bool withEngine = true) {
    return FilterContext{live, lock, snapshot, false, withEngine ? &engine : nullptr};
  }

  PluginConfiguration live;
  SharedDataLock lock{"AVexFilterTest", 5000};
  FilterSettings snapshot;
  FakeEngine engine;
  FakeResult result;
  KeepingLogger logger;
  RequestState state;
};

}  // namespace avex::testing
