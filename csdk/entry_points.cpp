// The library's four entry points, exported by name, cdecl.
//
// `init` must come first; GetCSDKInterface hands out the one engine object
// of the process (the same one on every call) until FreeCSDKInterface or
// `uninit` deletes it. Any thread.
#include <cstdint>
#include <mutex>

#include "csdk/engine.h"
#include "csdk/engine_call.h"
#include "platform/calling_conventions.h"

namespace avex::csdk {
namespace {

std::mutex libraryMutex;
bool libraryInitialised = false;
Engine* engine = nullptr;

// The caller of `uninit` and FreeCSDKInterface lets go of the engine
// whatever they answer, so both delete it even when refused.
void DeleteEngine(bool endLibrary) {
  std::lock_guard<std::mutex> lock(libraryMutex);
  delete engine;
  engine = nullptr;
  if (endLibrary) libraryInitialised = false;
}

}  // namespace
}  // namespace avex::csdk

using namespace avex::csdk;

extern "C" AVEX_EXPORT uint32_t init() {
  return EngineCall("init", {}, [] {
    std::lock_guard<std::mutex> lock(libraryMutex);
    if (libraryInitialised) return CsdkAlreadyInitialised;
    libraryInitialised = true;
    return CsdkOk;
  });
}

extern "C" AVEX_EXPORT uint32_t uninit() {
  uint32_t status = EngineCall("uninit", {}, [] {
    std::lock_guard<std::mutex> lock(libraryMutex);
    return libraryInitialised ? CsdkOk : CsdkNotInitialised;
  });
  DeleteEngine(true);
  return status;
}

extern "C" AVEX_EXPORT uint32_t GetCSDKInterface(avex::EngineInterface** result) {
  if (result != nullptr) *result = nullptr;
  return EngineCall("GetCSDKInterface", {}, [&] {
    if (result == nullptr) return CsdkInvalidArgument;
    std::lock_guard<std::mutex> lock(libraryMutex);
    if (!libraryInitialised) return CsdkNotInitialised;
    if (engine == nullptr) engine = new Engine();
    *result = engine;
    return CsdkOk;
  });
}

extern "C" AVEX_EXPORT uint32_t FreeCSDKInterface() {
  uint32_t status = EngineCall("FreeCSDKInterface", {}, [] {
    std::lock_guard<std::mutex> lock(libraryMutex);
    return engine != nullptr ? CsdkOk : CsdkNoInterface;
  });
  DeleteEngine(false);
  return status;
}
