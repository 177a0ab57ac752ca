// One line per request on the proxy's output: client, user, method, URL,
// the status the client got, what decided it, the body bytes sent to the
// client and the milliseconds from the request to the end of the reply.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

#include "host/proxy/line_output.h"

namespace avex::host::proxy {

struct RequestRecord {
  std::string client;
  std::string user;
  std::string method = "-";
  std::string url = "-";
  unsigned status = 0;
  // A plug-in result name ("ResultReject"), "pass-through", or what went wrong.
  std::string result;
  uint64_t bytes = 0;
  std::chrono::steady_clock::time_point started = std::chrono::steady_clock::now();
};

void LogRequest(LineOutput* output, const RequestRecord& record);

}  // namespace avex::host::proxy
