// Configuration records applied to the plug-in while the proxy serves, as the
// proxy server hands the engine process every transfer from the console: the
// record files in turn, one a period after the last apply ended, through a
// scanning object of the applier's own with the save on. Each apply's result
// and duration go to standard error as one line:
//
//   configuration apply N: FILE, BYTES bytes: RESULT in MILLISECONDS ms
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "host/proxy/plugin_host.h"

namespace avex::host::proxy {

class RecordApplier {
 public:
  RecordApplier(PluginHost* plugin, std::vector<std::string> files, std::chrono::milliseconds period);
  ~RecordApplier();  // waits for an apply under way, then releases the object
  RecordApplier(const RecordApplier&) = delete;
  RecordApplier& operator=(const RecordApplier&) = delete;

  // Reads every file, fabricates the object and starts applying; false with
  // `error` set when a file cannot be read or the plug-in gives no object.
  bool Start(std::string* error);

 private:
  void Run();
  void Apply(size_t number);

  PluginHost* plugin_;
  std::vector<std::string> files_;
  std::vector<std::string> records_;
  std::chrono::milliseconds period_;
  void* object_ = nullptr;
  std::mutex mutex_;
  std::condition_variable stop_;
  bool stopping_ = false;
  std::thread thread_;
};

}  // namespace avex::host::proxy
