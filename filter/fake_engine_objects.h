// In-process engine objects for the filter tests: each answers what the test
// sets and counts the calls it gets. Unlike the engine library they may throw,
// which is how a failing confidence query is shown.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/engine_objects.h"

namespace avex::testing {

class FakeResult final : public ClassificationResult {
 public:
  std::map<int32_t, double> confidences;
  uint32_t mask = 0;
  int32_t throwFor = -1;  // a code whose query throws

  double getConfidence(int32_t code) override {
    if (code == throwFor) throw std::runtime_error("confidence query failed");
    const auto found = confidences.find(code);
    return found == confidences.end() ? 0.0 : found->second;
  }
  uint32_t getCategoryMask() override { return mask; }
};

class FakeRequest final : public RequestObject {
 public:
  uint32_t status = 0;
  uint32_t kind = 0;
  ClassificationResult* result = nullptr;
  std::vector<std::string> urls;
  int released = 0;

  uint32_t request(const char* url, ClassificationResult** out, uint32_t* outKind) override {
    urls.push_back(url);
    *out = result;
    *outKind = kind;
    return status;
  }
  uint32_t release() override { return ++released, 0; }
};

class FakeReply final : public ReplyObject {
 public:
  uint32_t initStatus = 0;
  uint32_t headerStatus = 0;
  uint32_t putStatus = 0;
  uint32_t classificationStatus = 0;
  size_t completeAfter = SIZE_MAX;  // bytes after which the reply needs no more
  ClassificationResult* result = nullptr;
  std::string initUrl;
  size_t fed = 0;
  int inits = 0;
  int puts = 0;
  int released = 0;

  uint32_t init(const char* url, uint32_t, uint32_t, uint32_t) override {
    ++inits;
    initUrl = url;
    return initStatus;
  }
  uint32_t setHeaderParameters(uint32_t, uint32_t, uint32_t) override { return headerStatus; }
  uint32_t putData(const void*, uint32_t length, uint8_t* complete, uint32_t) override {
    ++puts;
    fed += length;
    if (fed >= completeAfter) *complete = 1;
    return putStatus;
  }
  uint32_t getClassification(ClassificationResult** out, uint8_t* flag) override {
    *out = result;
    *flag = 1;
    return classificationStatus;
  }
  uint32_t release() override { return ++released, 0; }
};

// Hands out the same request and reply object every time.
class FakeEngine final : public EngineInterface {
 public:
  FakeRequest requestObject;
  FakeReply replyObject;
  uint32_t createStatus = 0;
  uint32_t replyStatus = 0;
  int requestsCreated = 0;
  int repliesCreated = 0;

  uint32_t initialise(const char*) override { return 0; }
  uint32_t getConfigInterface(EngineConfig** config) override { return *config = nullptr, 1; }
  uint32_t createRequestObject(RequestObject** request) override {
    ++requestsCreated;
    *request = createStatus == 0 ? &requestObject : nullptr;
    return createStatus;
  }
  uint32_t getReplyObject(ReplyObject** reply) override {
    ++repliesCreated;
    *reply = replyStatus == 0 ? &replyObject : nullptr;
    return replyStatus;
  }
};

}  // namespace avex::testing
