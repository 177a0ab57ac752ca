// JournalingEngine: an in-process engine for the tests of the engine
// sequences. It plays the loader, the EngineInterface and the EngineConfig at
// once and writes every call with its arguments to one journal, in order
// ("setUseRsaci 1", "EngineInitCSDK 'C:\P\' 'csdk.dll'"; texts quoted, so an empty
// one shows).
//
// Any operation can be made to answer a chosen status (`failures`, by
// operation name); the calls that hand out an object fill the caller's
// pointer, also when failing, unless the operation is in `leavesNull`.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "engine/engine_loader.h"
#include "engine/engine_objects.h"

namespace avex::testing {

class JournalingEngine final : public EngineLoader, public EngineInterface, public EngineConfig {
 public:
  std::vector<std::string> journal;
  std::map<std::string, uint32_t> failures;
  std::set<std::string> leavesNull;

  EngineInterface* Interface() { return this; }
  EngineConfig* Config() { return this; }

  uint32_t EngineInitCSDK(const char* directory, const char* fileName) override {
    return Call("EngineInitCSDK", Text(directory) + " " + Text(fileName));
  }
  uint32_t UnloadEngine() override { return Call("UnloadEngine"); }
  uint32_t GetCSDKInterface(EngineInterface** engine) override {
    return Hand("GetCSDKInterface", engine, Interface());
  }
  uint32_t FreeCSDKInterface() override { return Call("FreeCSDKInterface"); }

  uint32_t initialise(const char* identification) override { return Call("initialise", Text(identification)); }
  uint32_t getConfigInterface(EngineConfig** config) override {
    return Hand("getConfigInterface", config, Config());
  }
  uint32_t createRequestObject(RequestObject** request) override {
    *request = nullptr;
    return Call("createRequestObject");
  }
  uint32_t getReplyObject(ReplyObject** reply) override {
    *reply = nullptr;
    return Call("getReplyObject");
  }

  uint32_t setCSDKRootDir(const char* path) override { return Call("setCSDKRootDir", Text(path)); }
  uint32_t setUseSafeSurf(uint32_t use) override { return Call("setUseSafeSurf", Number(use)); }
  uint32_t setUseRsaci(uint32_t use) override { return Call("setUseRsaci", Number(use)); }
  uint32_t setUseImageHandler(uint32_t use) override { return Call("setUseImageHandler", Number(use)); }
  uint32_t setUseUrlClassificationCache(uint32_t use) override {
    return Call("setUseUrlClassificationCache", Number(use));
  }
  uint32_t setUrlClassificationCachePath(const char* path) override {
    return Call("setUrlClassificationCachePath", Text(path));
  }
  uint32_t setUseStaticList(uint32_t use) override { return Call("setUseStaticList", Number(use)); }
  uint32_t setUseOEMStaticList(uint32_t use) override { return Call("setUseOEMStaticList", Number(use)); }
  uint32_t setStaticListAutomaticUpdateStatus(uint32_t use) override {
    return Call("setStaticListAutomaticUpdateStatus", Number(use));
  }
  uint32_t setStaticListUpdateServer(const char* host) override {
    return Call("setStaticListUpdateServer", Text(host));
  }
  uint32_t setStaticListUpdatePath(const char* path) override { return Call("setStaticListUpdatePath", Text(path)); }
  uint32_t setStaticListAutomaticUpdateInterval(int32_t minutes) override {
    return Call("setStaticListAutomaticUpdateInterval", std::to_string(minutes));
  }
  uint32_t setStaticListPath(const char* path) override { return Call("setStaticListPath", Text(path)); }

 private:
  static std::string Text(const char* text) { return text ? "'" + std::string(text) + "'" : "null"; }
  static std::string Number(uint32_t value) { return std::to_string(value); }

  uint32_t Call(const std::string& operation, const std::string& arguments = std::string()) {
    journal.push_back(arguments.empty() ? operation : operation + " " + arguments);
    const auto failure = failures.find(operation);
    return failure == failures.end() ? 0u : failure->second;
  }

  template <typename Object>
  uint32_t Hand(const std::string& operation, Object** out, Object* object) {
    if (!leavesNull.count(operation)) *out = object;
    return Call(operation);
  }
};

}  // namespace avex::testing
