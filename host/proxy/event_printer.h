// The host's event log for the proxy: every line the plug-in's logger hands
// over goes to standard output with a time stamp. One printer serves every
// connection's scanning object at once.
#pragma once

#include <string>

#include "host/proxy/line_output.h"
#include "common/host_interfaces.h"

namespace avex::host::proxy {

class EventPrinter final : public HostLogger {
 public:
  explicit EventPrinter(LineOutput* output) : output_(output) {}

  uint32_t WriteEvent(uint32_t, uint32_t kind, const char* line, const char* source) override {
    output_->Write("event (kind " + std::to_string(kind) + ", " + (source ? source : "(null)") + "): " +
                   (line ? line : "(null)"));
    return 0;
  }

 private:
  LineOutput* output_;
};

}  // namespace avex::host::proxy
