// The reply object: classifies the content of one reply.
//
// `init` starts a reply (again, when called again); `putData` keeps the
// bytes it is given until it holds kWantedBytes, and from then on sets the
// complete flag and drops further data; `getClassification` scores what it
// holds against the phrase lexicon (phrase_lexicon.h): markup stripped,
// text lower-cased, a confidence per category, the mask of those of at least
// one half, and in the flag byte whether the reply was complete. Calls before
// `init` are refused. One thread at a time; `release` deletes the object, at
// any point of a reply.
#pragma once

#include <memory>
#include <string>

#include "csdk/classification.h"
#include "csdk/engine_state.h"
#include "engine/engine_objects.h"

namespace avex::csdk {

class ReplyClassifier final : public ReplyObject {
 public:
  // Enough of a page to judge it; the rest only costs time.
  static constexpr size_t kWantedBytes = 64 * 1024;

  explicit ReplyClassifier(std::shared_ptr<EngineState> state) : state_(std::move(state)) {}

  uint32_t init(const char* url, uint32_t zero1, uint32_t zero2, uint32_t zero3) override;
  uint32_t setHeaderParameters(uint32_t zero1, uint32_t status, uint32_t zero2) override;
  uint32_t putData(const void* data, uint32_t length, uint8_t* complete, uint32_t one) override;
  uint32_t getClassification(ClassificationResult** result, uint8_t* flag) override;
  uint32_t release() override;

 private:
  std::shared_ptr<EngineState> state_;
  bool started_ = false;
  std::string content_;
  Classification classification_;
};

}  // namespace avex::csdk
