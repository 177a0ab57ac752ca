// The request object: classifies a URL from what the engine knows of it
// without its content.
//
// `request` answers, in this order: the URL classification cache when it is
// switched on (result kind 1, the cached confidences, the mask of those of at
// least one half), the static URL list when it is switched on (kind 2, the
// listed mask, confidence 1 for each listed category), otherwise kind 0 with
// an empty classification. The classification is never null on success.
// One thread at a time; `release` deletes the object.
#pragma once

#include <memory>

#include "csdk/classification.h"
#include "csdk/engine_state.h"
#include "engine/engine_objects.h"

namespace avex::csdk {

class UrlRequest final : public RequestObject {
 public:
  explicit UrlRequest(std::shared_ptr<EngineState> state) : state_(std::move(state)) {}

  uint32_t request(const char* url, ClassificationResult** result, uint32_t* kind) override;
  uint32_t release() override;

 private:
  std::shared_ptr<EngineState> state_;
  Classification classification_;
};

}  // namespace avex::csdk
