// EngineLibrary: the engine library ("csdk.dll") loaded at run time.
//
// States: not loaded, loaded (its `init` failed), initialised. EngineInitCSDK
// moves towards initialised, UnloadEngine back to not loaded from either other
// state. The process has one instance (TheEngineLibrary); tests make their
// own. It takes no lock: PlugStart, PlugStop and the console's engine test
// never run at the same time. Destruction does not unload the library (a
// global destructor runs under the system loader lock): call UnloadEngine.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "engine/engine_loader.h"
#include "platform/modules.h"

namespace avex {

inline constexpr char kEngineLibraryFileName[] = "csdk.dll";

// The status for a library that cannot be loaded or lacks an entry point:
// the low 16 bits of the system's error in the upper half, 2 in the lower.
constexpr uint32_t EngineLoadErrorCode(uint32_t systemError) { return (systemError & 0xFFFFu) << 16 | 2u; }

class EngineLibrary final : public EngineLoader {
 public:
  EngineLibrary() = default;
  EngineLibrary(const EngineLibrary&) = delete;
  EngineLibrary& operator=(const EngineLibrary&) = delete;

  // The library path is "<directory>\<fileName>" when a directory is stored,
  // else the file name alone. A failed `init` leaves the library loaded, and
  // its code is answered; an `init` answering EngineAlreadyInitialised counts
  // as success.
  uint32_t EngineInitCSDK(const char* directory, const char* fileName) override;
  // Also forgets the stored directory and file name.
  uint32_t UnloadEngine() override;
  uint32_t GetCSDKInterface(EngineInterface** engine) override;
  uint32_t FreeCSDKInterface() override;

  bool Loaded() const { return library_ != nullptr; }
  bool Initialised() const { return initialised_; }
  const std::optional<std::string>& StoredDirectory() const { return directory_; }
  const std::optional<std::string>& StoredFileName() const { return fileName_; }

 private:
  uint32_t Load();

  platform::LibraryHandle library_ = nullptr;
  bool initialised_ = false;
  std::optional<std::string> directory_;
  std::optional<std::string> fileName_;
  EngineInitEntry init_ = nullptr;
  EngineUninitEntry uninit_ = nullptr;
  GetCSDKInterfaceEntry getInterface_ = nullptr;
  FreeCSDKInterfaceEntry freeInterface_ = nullptr;
};

// The process-wide engine library.
EngineLibrary& TheEngineLibrary();

}  // namespace avex
