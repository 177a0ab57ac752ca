// PluginLibrary: the plug-in library as every host of ours holds it (the
// harness, the proxy, the benchmarks and the tests): loaded by path, its
// eight entry points resolved by name, and started as the proxy server's
// engine process or console starts it.
//
// The object never frees the library by itself: a host process leaves it
// loaded until it ends, as the proxy server does (freeing it at exit would
// run under the loader lock); Close is for the tests that load it afresh.
// One thread at a time.
#pragma once

#include <cstdint>
#include <string>

#include "host/plugin_exports.h"
#include "platform/modules.h"

namespace avex::host {

// The path of AVex.dll in the folder of this program.
std::string PluginBesideThisProgram();

class PluginLibrary {
 public:
  // Loads the library at `path` and resolves its entry points. On failure
  // answers false with nothing loaded, and `error` says why ("cannot load
  // PATH: error 126", "PATH lacks PlugStop").
  bool Load(const std::string& path, std::string* error);

  // Gives the host's version 2 and starts the plug-in; true when PlugStart
  // answers 1. `startType` 0 starts the engine, 1 does not; `consoleFlag` 1
  // is the console's start.
  bool Start(int32_t startType, int32_t consoleFlag) const;

  // Frees the library; the plug-in must have been stopped. Nothing when none
  // is loaded.
  void Close();

  bool Loaded() const { return library_ != nullptr; }
  const PluginExports& Exports() const { return exports_; }

 private:
  platform::LibraryHandle library_ = nullptr;
  PluginExports exports_;
};

}  // namespace avex::host
