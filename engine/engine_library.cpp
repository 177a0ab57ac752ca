#include "engine/engine_library.h"

namespace avex {

EngineLibrary& TheEngineLibrary() {
  static EngineLibrary library;
  return library;
}

uint32_t EngineLibrary::Load() {
  const std::string path = directory_ ? *directory_ + "\\" + fileName_.value_or("") : fileName_.value_or("");
  uint32_t error = 0;
  platform::LibraryHandle library = platform::OpenLibrary(path, &error);
  if (library == nullptr) return EngineLoadErrorCode(error);

  void* init = platform::LibrarySymbol(library, "init", &error);
  void* uninit = init ? platform::LibrarySymbol(library, "uninit", &error) : nullptr;
  void* getInterface = uninit ? platform::LibrarySymbol(library, "GetCSDKInterface", &error) : nullptr;
  void* freeInterface = getInterface ? platform::LibrarySymbol(library, "FreeCSDKInterface", &error) : nullptr;
  if (freeInterface == nullptr) {
    platform::CloseLibrary(library);  // `error` was read by LibrarySymbol already
    return EngineLoadErrorCode(error);
  }
  library_ = library;
  init_ = reinterpret_cast<EngineInitEntry>(init);
  uninit_ = reinterpret_cast<EngineUninitEntry>(uninit);
  getInterface_ = reinterpret_cast<GetCSDKInterfaceEntry>(getInterface);
  freeInterface_ = reinterpret_cast<FreeCSDKInterfaceEntry>(freeInterface);
  return 0;
}

uint32_t EngineLibrary::EngineInitCSDK(const char* directory, const char* fileName) {
  if (initialised_) return EngineAlreadyInitialised;
  if (directory) directory_ = directory;
  if (fileName) fileName_ = fileName;
  if (!Loaded()) {
    const uint32_t loaded = Load();
    if (loaded != 0) return loaded;
  }
  const uint32_t status = init_();
  if (status != 0 && status != EngineAlreadyInitialised) return status;
  initialised_ = true;
  return 0;
}

uint32_t EngineLibrary::UnloadEngine() {
  const uint32_t result = initialised_ ? uninit_() : EngineNotInitialised;
  initialised_ = false;
  if (Loaded()) {
    platform::CloseLibrary(library_);
    library_ = nullptr;
    init_ = nullptr;
    uninit_ = nullptr;
    getInterface_ = nullptr;
    freeInterface_ = nullptr;
  }
  directory_.reset();
  fileName_.reset();
  return result;
}

uint32_t EngineLibrary::GetCSDKInterface(EngineInterface** engine) {
  if (!initialised_) return EngineNotInitialised;
  return getInterface_(engine);
}

uint32_t EngineLibrary::FreeCSDKInterface() {
  if (!initialised_) return EngineNotInitialised;
  return freeInterface_();
}

}  // namespace avex
