#include "host/proxy/request_log.h"

namespace avex::host::proxy {

void LogRequest(LineOutput* output, const RequestRecord& record) {
  // A URL of a megabyte would drown the log; its start tells enough.
  constexpr size_t kShownUrl = 2000;
  std::string url = record.url.substr(0, kShownUrl);
  if (record.url.size() > kShownUrl) url += "...";
  const long long ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                           std::chrono::steady_clock::now() - record.started).count();
  output->Write("request " + record.client + " " + (record.user.empty() ? "-" : record.user) + " " +
                record.method + " " + url + " " + std::to_string(record.status) + " " + record.result + " " +
                std::to_string(record.bytes) + " bytes " + std::to_string(ms) + " ms");
}

}  // namespace avex::host::proxy
