#include "host/proxy/scanning_session.h"

#include <algorithm>

#include "host/request_replay.h"
#include "host/scanning_table.h"

namespace avex::host::proxy {

ScanningSession::ScanningSession(PluginHost* plugin) : plugin_(plugin) {
  object_ = plugin_->Exports().PlugFabricateInterface();
  if (object_ == nullptr) return;
  ++plugin_->fabricated;
  const ScanningObjectTable& table = TableOf(object_);
  table.SetLogger(object_, &plugin_->events);
  if (plugin_->publishUsers) table.SetUserDatabase(object_, &plugin_->users.Database());
}

ScanningSession::~ScanningSession() {
  if (object_ == nullptr) return;
  if (plugin_->Exports().PlugReleaseInterface(object_) == 1) ++plugin_->released;
}

uint32_t ScanningSession::Begin(const std::string& url, const char* contentType, uint32_t clientAddress,
                                const std::string& user) {
  const ScanningObjectTable& table = TableOf(object_);
  table.Reset(object_, 1);
  return table.SetSource(object_, url.c_str(), contentType, clientAddress, user.c_str());
}

uint32_t ScanningSession::PutData(const char* data, size_t size) {
  // The count crosses the boundary as 32 bits.
  constexpr size_t kLargestBlock = 1u << 30;
  uint32_t result = ResultOk;
  for (size_t at = 0; at < size && result == ResultOk; at += kLargestBlock) {
    result = TableOf(object_).PutData(object_, data + at, static_cast<uint32_t>(std::min(kLargestBlock, size - at)));
  }
  return result;
}

uint32_t ScanningSession::CheckData() { return TableOf(object_).CheckData(object_); }

std::string ScanningSession::BlockPage() { return host::BlockPage(object_, 1); }

}  // namespace avex::host::proxy
