// The classification engine's objects as the engine library implements them.
//
// The engine is built by another compiler and calls go by position, so each
// class below is an abstract table whose virtual functions are exactly the
// engine's operations in the engine's order: no virtual destructor and
// nothing else virtual. Every operation returns a 32-bit status, 0 meaning
// success, except where noted. A boolean travels as a one-byte truth value in
// a 32-bit argument: the receiving side reads only its low byte.
#pragma once

#include <cstdint>

namespace avex {

// The engine's answer for a URL or a reply. Owned by the engine object that
// produced it; valid until that object's next call or its release.
class ClassificationResult {
 public:
  // Confidence from 0 to 1 that the page belongs to engine category `code`.
  virtual double getConfidence(int32_t code) = 0;
  // Bit n set: the URL belongs to the category whose code is n.
  virtual uint32_t getCategoryMask() = 0;

 protected:
  ~ClassificationResult() = default;
};

// Classifies a URL without its content (the URL cache and the static list).
class RequestObject {
 public:
  // `kind` receives 0 (no answer), 1 (from the URL classification cache) or
  // 2 or 3 (from the static URL list); `result` the classification.
  virtual uint32_t request(const char* url, ClassificationResult** result, uint32_t* kind) = 0;
  virtual uint32_t release() = 0;

 protected:
  ~RequestObject() = default;
};

// Classifies the content of one reply.
class ReplyObject {
 public:
  virtual uint32_t init(const char* url, uint32_t zero1, uint32_t zero2, uint32_t zero3) = 0;
  virtual uint32_t setHeaderParameters(uint32_t zero1, uint32_t status, uint32_t zero2) = 0;
  // `complete` receives a one-byte flag: set once the engine needs no more data.
  virtual uint32_t putData(const void* data, uint32_t length, uint8_t* complete, uint32_t one) = 0;
  virtual uint32_t getClassification(ClassificationResult** result, uint8_t* flag) = 0;
  virtual uint32_t release() = 0;

 protected:
  ~ReplyObject() = default;
};

// The engine's settings.
class EngineConfig {
 public:
  virtual uint32_t setCSDKRootDir(const char* path) = 0;
  virtual uint32_t setUseSafeSurf(uint32_t use) = 0;
  virtual uint32_t setUseRsaci(uint32_t use) = 0;
  virtual uint32_t setUseImageHandler(uint32_t use) = 0;
  virtual uint32_t setUseUrlClassificationCache(uint32_t use) = 0;
  virtual uint32_t setUrlClassificationCachePath(const char* path) = 0;
  virtual uint32_t setUseStaticList(uint32_t use) = 0;
  virtual uint32_t setUseOEMStaticList(uint32_t use) = 0;
  virtual uint32_t setStaticListAutomaticUpdateStatus(uint32_t use) = 0;
  virtual uint32_t setStaticListUpdateServer(const char* host) = 0;
  virtual uint32_t setStaticListUpdatePath(const char* path) = 0;
  virtual uint32_t setStaticListAutomaticUpdateInterval(int32_t minutes) = 0;
  virtual uint32_t setStaticListPath(const char* path) = 0;

 protected:
  ~EngineConfig() = default;
};

// The one engine object of a process, from the library's GetCSDKInterface.
class EngineInterface {
 public:
  virtual uint32_t initialise(const char* identification) = 0;
  virtual uint32_t getConfigInterface(EngineConfig** config) = 0;
  virtual uint32_t createRequestObject(RequestObject** request) = 0;
  virtual uint32_t getReplyObject(ReplyObject** reply) = 0;

 protected:
  ~EngineInterface() = default;
};

// The engine library's entry points (cdecl, resolved by name).
using EngineInitEntry = uint32_t (*)();
using EngineUninitEntry = uint32_t (*)();
using GetCSDKInterfaceEntry = uint32_t (*)(EngineInterface** engine);
using FreeCSDKInterfaceEntry = uint32_t (*)();

// Status codes the plug-in gives a meaning of its own.
constexpr uint32_t EngineAlreadyInitialised = 0xC4000004;
constexpr uint32_t EngineNotInitialised = 0xC1000002;

// The identification string the plug-in passes to `initialise`.
inline constexpr char kEngineIdentification[] = "TARN-AVEX-30-CORVANE";

}  // namespace avex
