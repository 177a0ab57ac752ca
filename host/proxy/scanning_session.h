// One connection's scanning object, from its fabrication when the connection
// starts to its release when the connection ends, called slot by slot as the
// proxy server calls it: per request Reset and SetSource, then PutData and
// CheckData while the plug-in asks for the reply, GetResponse for a block.
#pragma once

#include <cstdint>
#include <string>

#include "common/result_codes.h"
#include "host/proxy/plugin_host.h"

namespace avex::host::proxy {

class ScanningSession {
 public:
  // Fabricates the object and hands it the event printer and the users.
  explicit ScanningSession(PluginHost* plugin);
  ~ScanningSession();  // releases the object
  ScanningSession(const ScanningSession&) = delete;
  ScanningSession& operator=(const ScanningSession&) = delete;

  // False when the plug-in gave no object; every request then passes unasked.
  bool Ready() const { return object_ != nullptr; }

  // Reset, then SetSource; `contentType` null when the reply names none.
  uint32_t Begin(const std::string& url, const char* contentType, uint32_t clientAddress, const std::string& user);
  uint32_t PutData(const char* data, size_t size);
  uint32_t CheckData();
  // The HTML block page of the request that was just rejected.
  std::string BlockPage();

 private:
  PluginHost* plugin_;
  void* object_ = nullptr;
};

}  // namespace avex::host::proxy
