// ScanningInterface: the object through which the host does all per-request
// and per-configuration work. One object serves one thread at a time; what it
// shares with other objects (the live configuration) it reads from a snapshot
// that it takes under the shared-data lock where a request starts.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "common/category_table.h"
#include "config/filter_settings.h"
#include "filter/filter_context.h"
#include "filter/request_state.h"
#include "plugin/scanning_interface_base.h"

namespace avex {

class PluginApplication;

class ScanningInterface final : public ScanningInterfaceBase {
 public:
  // A new object for `application`, with a snapshot of its live settings.
  explicit ScanningInterface(PluginApplication& application);

  uint32_t SetUserDatabase(const HostUserDatabase* users) override;
  uint32_t GetConfiguration(void* buffer, uint32_t* size) override;
  uint32_t GetPluginInfo(void* buffer) override;
  void SetNoSaveFlag(uint32_t value) override;
  uint32_t GetNoSaveFlag() override;
  uint32_t SetHostFlag(uint32_t value) override;
  uint32_t SetState(uint32_t state) override;
  uint32_t SetSource(const char* url, const char* contentType, uint32_t clientAddress,
                     const char* userName) override;
  uint32_t PutData(const void* data, uint32_t count) override;
  uint32_t NotSupportedRecorded(uint32_t first, uint32_t second) override;
  uint32_t NotSupportedUnrecorded(uint32_t first, uint32_t second) override;
  uint32_t CheckData() override;
  uint32_t GetResponse(uint32_t type, char* buffer, uint32_t* size) override;
  uint32_t GetLastResult() override;
  void SetLogger(HostLogger* logger) override;
  uint32_t ShowConfiguration(void* window) override;
  uint32_t ApplyConfiguration(const void* buffer, uint32_t count) override;
  uint32_t GetInfo(uint32_t query, void* result, uint32_t size) override;
  void Reset(bool active) override;
  void Destroy() override;

  // For the plug-in's own test page and tests.
  void SetForceFiltering(uint32_t force) { request_.forceFiltering = force; }
  const FilterSettings& Snapshot() const { return snapshot_; }
  // Replaces the settings snapshot (lists included in console mode), as the
  // object's construction took it from the live settings.
  void SetSnapshot(const FilterSettings& settings);
  const RequestState& Request() const { return request_; }

  // Gives back the engine objects this object holds (the engine is about to
  // go); the object then works as one without an engine. Caller holds the lock.
  void ReleaseEngineObjects();

 private:
  ~ScanningInterface();
  uint32_t Record(uint32_t result) { return lastResult_ = result; }
  FilterContext Context();
  void ReleaseReplyObject();
  const std::string& BlockPage(uint32_t type);
  void AddEmptyResponse(int32_t categoryId);

  PluginApplication& application_;
  uint32_t lastResult_ = 0;
  uint32_t noSaveFlag_ = 0;
  FilterSettings snapshot_;
  // The request being worked on; its active flag mirrors the host-visible one.
  RequestState request_;
  std::string htmlResponse_;
  std::string textResponse_;
};

}  // namespace avex
