#include "csdk/reply_classifier.h"

#include <algorithm>

#include "csdk/engine_call.h"
#include "csdk/page_text.h"

namespace avex::csdk {

uint32_t ReplyClassifier::init(const char* url, uint32_t zero1, uint32_t zero2, uint32_t zero3) {
  return EngineCall("ReplyObject.init", {url, zero1, zero2, zero3}, [&] {
    if (url == nullptr) return CsdkInvalidArgument;
    content_.clear();
    content_.reserve(kWantedBytes);
    started_ = true;
    return CsdkOk;
  });
}

uint32_t ReplyClassifier::setHeaderParameters(uint32_t zero1, uint32_t status, uint32_t zero2) {
  return EngineCall("setHeaderParameters", {zero1, status, zero2},
                    [&] { return started_ ? CsdkOk : CsdkNotInitialised; });
}

uint32_t ReplyClassifier::putData(const void* data, uint32_t length, uint8_t* complete, uint32_t one) {
  return EngineCall("putData", {length, one}, [&] {
    if (complete == nullptr || (data == nullptr && length > 0)) return CsdkInvalidArgument;
    if (!started_) return CsdkNotInitialised;
    size_t taken = std::min<size_t>(length, kWantedBytes - content_.size());
    if (taken > 0) content_.append(static_cast<const char*>(data), taken);
    *complete = content_.size() >= kWantedBytes ? 1 : 0;
    return CsdkOk;
  });
}

uint32_t ReplyClassifier::getClassification(ClassificationResult** result, uint8_t* flag) {
  if (result != nullptr) *result = nullptr;
  return EngineCall("getClassification", {}, [&] {
    if (result == nullptr || flag == nullptr) return CsdkInvalidArgument;
    if (!started_) return CsdkNotInitialised;
    EngineState::View engine = state_->Current();
    if (engine.data == nullptr) return CsdkNotInitialised;
    std::string text = VisibleText(content_);
    classification_.SetConfidences(engine.data->lexicon.Score(Words(text)));
    *result = &classification_;
    *flag = content_.size() >= kWantedBytes ? 1 : 0;
    return CsdkOk;
  });
}

uint32_t ReplyClassifier::release() {
  // The caller forgets the object whatever the answer, so even a refused
  // release must delete it.
  uint32_t status = EngineCall("ReplyObject.release", {}, [] { return CsdkOk; });
  delete this;
  return status;
}

}  // namespace avex::csdk
