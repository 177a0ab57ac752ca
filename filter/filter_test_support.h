// A request ready to run through the filter functions against fakes: a live
// configuration with logging on, a snapshot, a fake engine and a logger that
// keeps the event texts.
#pragma once

#include <string>
#include <vector>

#include "filter/fake_engine_objects.h"
#include "filter/filter_context.h"
#include "filter/request_state.h"
#include "tests/keeping_logger.h"

namespace avex::testing {

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
