#include "csdk/engine.h"

#include "csdk/engine_call.h"
#include "csdk/reply_classifier.h"
#include "csdk/url_request.h"

namespace avex::csdk {

uint32_t Engine::initialise(const char* identification) {
  return EngineCall("initialise", {identification}, [&] {
    if (identification == nullptr || *identification == '\0') return CsdkBadIdentification;
    return state_->Initialise();
  });
}

uint32_t Engine::getConfigInterface(EngineConfig** config) {
  if (config != nullptr) *config = nullptr;
  return EngineCall("getConfigInterface", {}, [&] {
    if (config == nullptr) return CsdkInvalidArgument;
    *config = &configuration_;
    return CsdkOk;
  });
}

uint32_t Engine::createRequestObject(RequestObject** request) {
  if (request != nullptr) *request = nullptr;
  return EngineCall("createRequestObject", {}, [&] {
    if (request == nullptr) return CsdkInvalidArgument;
    if (!state_->IsInitialised()) return CsdkNotInitialised;
    *request = new UrlRequest(state_);
    return CsdkOk;
  });
}

uint32_t Engine::getReplyObject(ReplyObject** reply) {
  if (reply != nullptr) *reply = nullptr;
  return EngineCall("getReplyObject", {}, [&] {
    if (reply == nullptr) return CsdkInvalidArgument;
    if (!state_->IsInitialised()) return CsdkNotInitialised;
    *reply = new ReplyClassifier(state_);
    return CsdkOk;
  });
}

}  // namespace avex::csdk
