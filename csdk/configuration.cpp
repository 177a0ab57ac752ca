#include "csdk/configuration.h"

#include "csdk/engine_boolean.h"
#include "csdk/engine_call.h"

namespace avex::csdk {

uint32_t Configuration::SetFlag(const char* operation, uint32_t use, bool EngineSettings::*flag) {
  return EngineCall(operation, {CallArgument::Flag(use)}, [&] {
    state_->Update([&](EngineSettings& settings) { settings.*flag = EngineBoolean(use); });
    return CsdkOk;
  });
}

uint32_t Configuration::SetPath(const char* operation, const char* path, std::string EngineSettings::*setting,
                                bool namesData) {
  return EngineCall(operation, {path}, [&] {
    if (path == nullptr || *path == '\0') return CsdkInvalidArgument;
    auto change = [&](EngineSettings& settings) { settings.*setting = path; };
    if (namesData) return state_->UpdateDataLocation(change);
    state_->Update(change);
    return CsdkOk;
  });
}

uint32_t Configuration::setCSDKRootDir(const char* path) {
  return SetPath("setCSDKRootDir", path, &EngineSettings::rootDirectory, true);
}

uint32_t Configuration::setUseSafeSurf(uint32_t use) {
  return SetFlag("setUseSafeSurf", use, &EngineSettings::useSafeSurf);
}

uint32_t Configuration::setUseRsaci(uint32_t use) { return SetFlag("setUseRsaci", use, &EngineSettings::useRsaci); }

uint32_t Configuration::setUseImageHandler(uint32_t use) {
  return SetFlag("setUseImageHandler", use, &EngineSettings::useImageHandler);
}

uint32_t Configuration::setUseUrlClassificationCache(uint32_t use) {
  return SetFlag("setUseUrlClassificationCache", use, &EngineSettings::useUrlCache);
}

uint32_t Configuration::setUrlClassificationCachePath(const char* path) {
  return SetPath("setUrlClassificationCachePath", path, &EngineSettings::urlCachePath, true);
}

uint32_t Configuration::setUseStaticList(uint32_t use) {
  return SetFlag("setUseStaticList", use, &EngineSettings::useStaticList);
}

uint32_t Configuration::setUseOEMStaticList(uint32_t use) {
  return SetFlag("setUseOEMStaticList", use, &EngineSettings::useOemStaticList);
}

uint32_t Configuration::setStaticListAutomaticUpdateStatus(uint32_t use) {
  return SetFlag("setStaticListAutomaticUpdateStatus", use, &EngineSettings::staticListAutomaticUpdate);
}

uint32_t Configuration::setStaticListUpdateServer(const char* host) {
  return EngineCall("setStaticListUpdateServer", {host}, [&] {
    if (host == nullptr) return CsdkInvalidArgument;
    state_->Update([&](EngineSettings& settings) { settings.staticListUpdateServer = host; });
    return CsdkOk;
  });
}

uint32_t Configuration::setStaticListUpdatePath(const char* path) {
  return SetPath("setStaticListUpdatePath", path, &EngineSettings::staticListUpdatePath, false);
}

uint32_t Configuration::setStaticListAutomaticUpdateInterval(int32_t minutes) {
  return EngineCall("setStaticListAutomaticUpdateInterval", {minutes}, [&] {
    if (minutes < 1) return CsdkInvalidArgument;
    state_->Update([&](EngineSettings& settings) { settings.staticListUpdateInterval = minutes; });
    return CsdkOk;
  });
}

uint32_t Configuration::setStaticListPath(const char* path) {
  return SetPath("setStaticListPath", path, &EngineSettings::staticListPath, true);
}

}  // namespace avex::csdk
