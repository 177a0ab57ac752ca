// What `avexhost proxy` is told on its command line.
#pragma once

#include <chrono>
#include <cstddef>
#include <string>
#include <vector>

namespace avex::host::proxy {

struct ProxySettings {
  std::string plugin;        // AVex.dll; default: beside avexhost
  std::string listen = "127.0.0.1:8080";
  // For requests without a Proxy-Authorization header: without a name the
  // plug-in would answer them unfiltered.
  std::string defaultUser = "guest";
  std::string usersFile;     // user_directory.h format
  std::string settingsFile;  // REGEDIT4 file imported into the registry before PlugStart
  std::string stopFile;      // the proxy stops once this file exists (Wine has no clean Ctrl+C)
  bool passThrough = false;  // relay only: the plug-in is neither loaded nor asked
  size_t maxConnections = 256;
  // A client that sends nothing for this long is let go (idle keep-alive, slow request).
  std::chrono::milliseconds clientTimeout{30000};
  // An origin server that accepts no connection, or sends nothing, for this long gets a 504.
  std::chrono::milliseconds upstreamTimeout{30000};
  // Configuration record files applied in turn while serving, one a period
  // after the last apply ended (record_applier.h); none when empty.
  std::vector<std::string> applyRecords;
  std::chrono::milliseconds applyEvery{0};
};

// Reads the arguments after `proxy`; false with `error` set on a wrong one.
bool ParseProxyArguments(int argc, char** argv, ProxySettings* settings, std::string* error);

extern const char kProxyUsage[];

}  // namespace avex::host::proxy
