// A request ready to run through the filter functions against fakes: a live
// configuration with logging on (published by each Context()), a snapshot, a fake engine and a logger that
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

  // Publishes `live` as it is now and answers the context that reads it.
  FilterContext Context(bool withEngine = true, bool consoleMode = false) {
    ConfigurationSnapshot replaced;
    published.Publish(std::make_shared<const PluginConfiguration>(live), &replaced);
    return FilterContext{published, lock, snapshot, consoleMode, withEngine ? &engine : nullptr};
  }

  // The live configuration as the tests edit it.
  PluginConfiguration live;
  LiveConfiguration published;
  SharedDataLock lock{"AVexFilterTest", 5000};
  FilterSettings snapshot;
  FakeEngine engine;
  FakeResult result;
  KeepingLogger logger;
  RequestState state;
};

}  // namespace avex::testing
