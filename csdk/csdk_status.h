// Status codes of the stand-in engine's operations (0 means success).
//
// The two codes the plug-in gives a meaning of its own keep their values;
// the others are ours and say why a call was refused.
#pragma once

#include <cstdint>

#include "engine/engine_objects.h"

namespace avex::csdk {

constexpr uint32_t CsdkOk = 0;
// A pointer that must be given is null, or a value is out of range.
constexpr uint32_t CsdkInvalidArgument = 0xC1000001;
// `init` has not run, the engine has not been initialised, or a reply
// object is used before its `init`.
constexpr uint32_t CsdkNotInitialised = EngineNotInitialised;
// `initialise` was given no identification string.
constexpr uint32_t CsdkBadIdentification = 0xC1000003;
// The phrase lexicon under the engine root cannot be read.
constexpr uint32_t CsdkDataNotFound = 0xC1000004;
// FreeCSDKInterface without an engine object to free.
constexpr uint32_t CsdkNoInterface = 0xC1000005;
constexpr uint32_t CsdkOutOfMemory = 0xC1000006;
// An unexpected failure inside the engine.
constexpr uint32_t CsdkInternalError = 0xC1000007;
// `init` called again while the library is initialised.
constexpr uint32_t CsdkAlreadyInitialised = EngineAlreadyInitialised;

}  // namespace avex::csdk
