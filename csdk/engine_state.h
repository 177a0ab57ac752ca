// The state one engine object shares with the configuration, request and
// reply objects it hands out: the settings and, once initialised, the data.
//
// Request and reply objects keep it alive, so one that outlives the engine
// object still answers. All members may be called from any thread.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>

#include "csdk/csdk_status.h"
#include "csdk/engine_data.h"
#include "csdk/engine_settings.h"

namespace avex::csdk {

class EngineState {
 public:
  // What one lookup or classification works with, taken in one step so
  // that a reload meanwhile cannot mix two generations of data.
  struct View {
    std::shared_ptr<const EngineData> data;  // null until initialised
    bool useUrlCache;
    bool useStaticList;
  };

  View Current() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return View{data_, settings_.useUrlCache, settings_.useStaticList};
  }

  bool IsInitialised() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return data_ != nullptr;
  }

  // (Re)loads the data with the current settings; on failure the engine
  // keeps what it had.
  uint32_t Initialise() {
    std::lock_guard<std::mutex> lock(mutex_);
    return LoadEngineData(settings_, &data_);
  }

  // Applies `change` (a function of EngineSettings&) to a setting that is
  // read afresh by every call.
  template <typename Change>
  void Update(Change change) {
    std::lock_guard<std::mutex> lock(mutex_);
    change(settings_);
  }

  // Applies `change` to a setting that names data. Once initialised the data
  // is reloaded at once; when that fails, the setting and the data stay as
  // they were and the failure is answered.
  template <typename Change>
  uint32_t UpdateDataLocation(Change change) {
    std::lock_guard<std::mutex> lock(mutex_);
    EngineSettings changed = settings_;
    change(changed);
    if (data_ != nullptr) {
      uint32_t status = LoadEngineData(changed, &data_);
      if (status != CsdkOk) return status;
    }
    settings_ = std::move(changed);
    return CsdkOk;
  }

 private:
  mutable std::mutex mutex_;
  EngineSettings settings_;
  std::shared_ptr<const EngineData> data_;
};

}  // namespace avex::csdk
