// The engine object of a process, handed out by GetCSDKInterface.
//
// It owns the configuration object; `initialise` (with a non-empty
// identification string) loads the data the configuration names and may be
// called again to reload it. Request and reply objects exist only once it has
// succeeded; each belongs to its caller until its `release`. Any thread.
#pragma once

#include <memory>

#include "csdk/configuration.h"
#include "csdk/engine_state.h"
#include "engine/engine_objects.h"

namespace avex::csdk {

class Engine final : public EngineInterface {
 public:
  Engine() : state_(std::make_shared<EngineState>()), configuration_(state_) {}

  uint32_t initialise(const char* identification) override;
  uint32_t getConfigInterface(EngineConfig** config) override;
  uint32_t createRequestObject(RequestObject** request) override;
  uint32_t getReplyObject(ReplyObject** reply) override;

 private:
  std::shared_ptr<EngineState> state_;
  Configuration configuration_;
};

}  // namespace avex::csdk
