// A tiny engine library for the loader tests: the four entry points of the
// engine and one EngineInterface. The status `init` and `uninit` answer comes
// from AVEX_FAKE_ENGINE_INIT and AVEX_FAKE_ENGINE_UNINIT (any base strtoul
// reads; 0 when unset). Built without FreeCSDKInterface as well, to show a
// library that lacks an entry point.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "engine/engine_objects.h"
#include "platform/calling_conventions.h"

namespace {

uint32_t StatusFromEnvironment(const char* name) {
  const char* text = std::getenv(name);
  return text ? static_cast<uint32_t>(std::strtoul(text, nullptr, 0)) : 0u;
}

// Answers `initialise` with 0 only for the plug-in's identification string,
// so a test sees that the object works across the library boundary.
class FakeEngine final : public avex::EngineInterface {
 public:
  uint32_t initialise(const char* identification) override {
    return identification && std::strcmp(identification, avex::kEngineIdentification) == 0 ? 0u : 1u;
  }
  uint32_t getConfigInterface(avex::EngineConfig** config) override {
    *config = nullptr;
    return 1;
  }
  uint32_t createRequestObject(avex::RequestObject** request) override {
    *request = nullptr;
    return 1;
  }
  uint32_t getReplyObject(avex::ReplyObject** reply) override {
    *reply = nullptr;
    return 1;
  }
};

FakeEngine engine;

}  // namespace

extern "C" {

AVEX_EXPORT uint32_t init() { return StatusFromEnvironment("AVEX_FAKE_ENGINE_INIT"); }

AVEX_EXPORT uint32_t uninit() { return StatusFromEnvironment("AVEX_FAKE_ENGINE_UNINIT"); }

AVEX_EXPORT uint32_t GetCSDKInterface(avex::EngineInterface** result) {
  *result = &engine;
  return 0;
}

#if !defined(FAKE_ENGINE_WITHOUT_FREE_INTERFACE)
AVEX_EXPORT uint32_t FreeCSDKInterface() { return 0; }
#endif

}  // extern "C"
