// The table of operations through which the host drives a scanning object.
//
// The host calls these by position, so the virtual functions below are
// exactly the host's operations in the host's order: no virtual destructor
// and nothing else virtual (an MSVC-built host expects this table). The
// first seventeen have no body here; the last five have the defaults the
// host may rely on.
#pragma once

#include <cstdint>
#include <new>

#include "common/host_interfaces.h"
#include "common/result_codes.h"

namespace avex {

class ScanningInterfaceBase {
 public:
  virtual uint32_t SetUserDatabase(const HostUserDatabase* users) = 0;
  virtual uint32_t GetConfiguration(void* buffer, uint32_t* size) = 0;
  virtual uint32_t GetPluginInfo(void* buffer) = 0;
  virtual void SetNoSaveFlag(uint32_t value) = 0;
  virtual uint32_t GetNoSaveFlag() = 0;
  virtual uint32_t SetHostFlag(uint32_t value) = 0;
  virtual uint32_t SetState(uint32_t state) = 0;
  virtual uint32_t SetSource(const char* url, const char* contentType, uint32_t clientAddress,
                             const char* userName) = 0;
  virtual uint32_t PutData(const void* data, uint32_t count) = 0;
  virtual uint32_t NotSupportedRecorded(uint32_t first, uint32_t second) = 0;
  virtual uint32_t NotSupportedUnrecorded(uint32_t first, uint32_t second) = 0;
  virtual uint32_t CheckData() = 0;
  virtual uint32_t GetResponse(uint32_t type, char* buffer, uint32_t* size) = 0;
  virtual uint32_t GetLastResult() = 0;
  virtual void SetLogger(HostLogger* logger) = 0;
  virtual uint32_t ShowConfiguration(void* window) = 0;
  virtual uint32_t ApplyConfiguration(const void* buffer, uint32_t count) = 0;

  virtual uint32_t GetInfo(uint32_t /*query*/, void* /*result*/, uint32_t /*size*/) {
    return ResultNotSupported;
  }
  virtual void Reset(bool active) { active_ = active; }
  virtual bool IsActive() { return active_; }
  virtual bool QueryOption() { return false; }
  // Frees the memory only; a derived class that owns anything destroys
  // itself in its own Destroy.
  virtual void Destroy() { ::operator delete(static_cast<void*>(this)); }

 protected:
  ScanningInterfaceBase() = default;
  ~ScanningInterfaceBase() = default;

  bool active_ = true;
};

}  // namespace avex
