#include "engine/engine_setup.h"

#include "engine/engine_library.h"
#include "platform/trace.h"

namespace avex {

namespace {

// A boolean as the engine reads it: a one-byte truth value in 32 bits.
uint32_t Flag(uint32_t value) { return value != 0 ? 1u : 0u; }

bool InitialisedOrAlready(uint32_t status) { return status == 0 || status == EngineAlreadyInitialised; }

// The failure text of a start step whose failure only gets traced.
void TraceIfFailed(const void* object, const char* operation, uint32_t status) {
  if (status != 0) platform::Trace(object, "Unable to %s: %x\n", operation, status);
}

bool BuildPathsOrTrace(const void* object, const std::string& engineDirectory, UpdateDirectoryForm form,
                       EnginePaths* paths) {
  if (BuildEnginePaths(engineDirectory, form, paths)) return true;
  platform::Trace(object, "Engine paths longer than %u characters under: %s\n",
                  static_cast<unsigned>(kMaxEnginePathLength), engineDirectory.c_str());
  return false;
}

// Obtains the engine's interface. A failed call's pointer is not trusted, and
// a successful call that leaves it null gave nothing usable either.
uint32_t AcquireEngine(EngineLoader& loader, EngineInterface** engine) {
  *engine = nullptr;
  const uint32_t status = loader.GetCSDKInterface(engine);
  if (status != 0) *engine = nullptr;
  return status;
}

uint32_t AcquireConfig(EngineInterface* engine, EngineConfig** config) {
  *config = nullptr;
  const uint32_t status = engine->getConfigInterface(config);
  if (status != 0) *config = nullptr;
  return status;
}

void ConfigureForStart(const void* object, EngineConfig* config, const EnginePaths& paths,
                       const FilterSettings& settings) {
  platform::Trace(object, "CSDK Root Dir: %s\n", paths.root.c_str());
  TraceIfFailed(object, "setCSDKRootDir", config->setCSDKRootDir(paths.root.c_str()));

  const uint32_t safeSurf = Flag(settings.useSafeSurf);
  platform::Trace(object, "Use SafeSurf: %d\n", static_cast<int>(safeSurf));
  TraceIfFailed(object, "setUseSafeSurf", config->setUseSafeSurf(safeSurf));

  const uint32_t rsaci = Flag(settings.useRsaci);
  platform::Trace(object, "Use RSACI: %d\n", static_cast<int>(rsaci));
  TraceIfFailed(object, "setUseRsaci", config->setUseRsaci(rsaci));

  platform::Trace(object, "Use ImageHandler: 0\n");
  TraceIfFailed(object, "setUseImageHandler", config->setUseImageHandler(0));

  const uint32_t urlCache = Flag(settings.useUrlCache);
  platform::Trace(object, "Use URL Cache: %d\n", static_cast<int>(urlCache));
  TraceIfFailed(object, "setUseUrlClassificationCache", config->setUseUrlClassificationCache(urlCache));

  platform::Trace(object, "Use URL Cache Path: %s\n", paths.urlCache.c_str());
  TraceIfFailed(object, "setUrlClassificationCachePath",
                config->setUrlClassificationCachePath(paths.urlCache.c_str()));

  TraceIfFailed(object, "setUseStaticList", config->setUseStaticList(1));

  platform::Trace(object, "Use Static List Path: %s\n", paths.staticList.c_str());
  TraceIfFailed(object, "setStaticListPath", config->setStaticListPath(paths.staticList.c_str()));

  platform::Trace(object, "Use OEM Static List: 0\n");
  TraceIfFailed(object, "setUseOEMStaticList", config->setUseOEMStaticList(0));

  const uint32_t updates = Flag(settings.useStaticListUpdates);
  platform::Trace(object, "Use Static List Updates: %d\n", static_cast<int>(updates));
  TraceIfFailed(object, "setStaticListAutomaticUpdateStatus", config->setStaticListAutomaticUpdateStatus(updates));

  const int32_t interval = static_cast<int32_t>(settings.staticListUpdateInterval);
  platform::Trace(object, "Use Static List Update Intervals: %d\n", static_cast<int>(interval));
  TraceIfFailed(object, "setStaticListAutomaticUpdateInterval",
                config->setStaticListAutomaticUpdateInterval(interval));

  platform::Trace(object, "Use Static List Update Path: %s\n", paths.staticListUpdate.c_str());
  TraceIfFailed(object, "setStaticListUpdatePath", config->setStaticListUpdatePath(paths.staticListUpdate.c_str()));
}

}  // namespace

bool StartEngine(EngineLoader& loader, EngineReferences* references, const FilterSettings& settings,
                 const std::string& engineDirectory) {
  const void* object = references;
  platform::Trace(object, "Param1 for EngineInitCSDK: %s\n", engineDirectory.c_str());
  platform::Trace(object, "Param2 for EngineInitCSDK: %s\n", kEngineLibraryFileName);
  const uint32_t loaded = loader.EngineInitCSDK(engineDirectory.c_str(), kEngineLibraryFileName);
  if (!InitialisedOrAlready(loaded)) {
    platform::Trace(object, "Uninitialised: %x\n", loaded);
    return false;
  }
  platform::Trace(object, "Initialised\n");

  if (!BuildPathsOrTrace(object, engineDirectory, UpdateDirectoryForm::Start, &references->paths)) return false;
  const EnginePaths& paths = references->paths;
  platform::Trace(object, "Path (SDK Base): %s\n", paths.root.c_str());
  platform::Trace(object, "Path (URL Cache): %s\n", paths.urlCache.c_str());
  platform::Trace(object, "Path (Static List): %s\n", paths.staticList.c_str());
  platform::Trace(object, "Path (Static List Updates): %s\n", paths.staticListUpdate.c_str());

  references->config = nullptr;
  const uint32_t gotEngine = AcquireEngine(loader, &references->engine);
  if (references->engine == nullptr) {
    platform::Trace(object, "No CSDK Interface: %x\n", gotEngine);
    return false;
  }
  platform::Trace(object, "CSDK Interface Retrieved\n");

  const uint32_t gotConfig = AcquireConfig(references->engine, &references->config);
  if (references->config == nullptr) {
    platform::Trace(object, "No Config Interface: %x\n", gotConfig);
    return false;
  }
  platform::Trace(object, "Config Interface Retrieved\n");

  ConfigureForStart(object, references->config, paths, settings);

  const uint32_t initialised = references->engine->initialise(kEngineIdentification);
  if (initialised != 0) {
    platform::Trace(object, "Unable to initialise: %x\n", initialised);
    return false;
  }
  platform::Trace(object, "Initialised Interface without problems\n");
  return true;
}

void ReconfigureEngine(const EngineReferences& references, const PluginConfiguration& configuration,
                       bool consoleMode) {
  EngineConfig* config = references.config;
  if (consoleMode || config == nullptr) return;
  const FilterSettings& settings = configuration.settings;
  config->setUseSafeSurf(Flag(settings.useSafeSurf));
  config->setUseRsaci(Flag(settings.useRsaci));
  config->setStaticListAutomaticUpdateStatus(Flag(settings.useStaticListUpdates));
  config->setStaticListAutomaticUpdateInterval(static_cast<int32_t>(settings.staticListUpdateInterval));
  config->setStaticListUpdateServer(configuration.updateServer.name.c_str());
}

bool BringUpConsoleEngine(EngineLoader& loader, EngineReferences* references, const FilterSettings& settings,
                          const std::string& engineDirectory) {
  if (references->engine != nullptr) return true;
  const void* object = references;
  if (!InitialisedOrAlready(loader.EngineInitCSDK(engineDirectory.c_str(), kEngineLibraryFileName))) {
    return false;
  }
  if (!BuildPathsOrTrace(object, engineDirectory, UpdateDirectoryForm::Console, &references->paths)) {
    loader.UnloadEngine();
    return false;
  }
  AcquireEngine(loader, &references->engine);
  if (references->engine == nullptr) {
    loader.UnloadEngine();
    return false;
  }
  const EnginePaths& paths = references->paths;
  EngineInterface* engine = references->engine;

  // The console takes whatever configuration object it is given, whatever
  // the call answers; it only needs one to call the setters at all.
  references->config = nullptr;
  engine->getConfigInterface(&references->config);
  if (EngineConfig* config = references->config) {
    config->setCSDKRootDir(paths.root.c_str());
    config->setStaticListPath(paths.staticList.c_str());
    config->setUrlClassificationCachePath(paths.urlCache.c_str());
    config->setUseImageHandler(0);
    config->setUseUrlClassificationCache(Flag(settings.useUrlCache));
    config->setUseOEMStaticList(0);
  }

  if (engine->initialise(kEngineIdentification) == 0) return true;
  loader.FreeCSDKInterface();
  loader.UnloadEngine();
  references->engine = nullptr;
  references->config = nullptr;
  return false;
}

void ApplyTestSettings(const EngineReferences& references, const FilterSettings& pageSettings,
                       const FilterSettings& liveSettings) {
  EngineConfig* config = references.config;
  if (config == nullptr) return;
  config->setUseSafeSurf(Flag(pageSettings.useSafeSurf));
  config->setUseRsaci(Flag(pageSettings.useRsaci));
  config->setUseImageHandler(0);
  config->setUseUrlClassificationCache(Flag(liveSettings.useUrlCache));
  config->setUseOEMStaticList(0);
}

void ShutDownEngine(EngineLoader& loader, EngineReferences* references) {
  if (references->engine == nullptr) return;
  loader.FreeCSDKInterface();
  loader.UnloadEngine();
  references->engine = nullptr;
  references->config = nullptr;
}

}  // namespace avex
