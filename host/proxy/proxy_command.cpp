#include "host/proxy/proxy_command.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "host/proxy/listener.h"
#include "host/proxy/plugin_host.h"
#include "host/proxy/proxy_settings.h"
#include "host/proxy/record_applier.h"
#include "platform/registry_fixture.h"

namespace avex::host::proxy {

namespace {

// Loads and starts the plug-in as the proxy server's engine process does.
bool StartPlugin(const ProxySettings& settings, PluginHost* plugin, LineOutput* output) {
  std::string missing;
  if (!plugin->library.Load(settings.plugin, &missing)) {
    output->Write(missing);
    return false;
  }
  if (!settings.usersFile.empty()) {
    if (!plugin->users.Load(settings.usersFile, &missing)) {
      output->Write(missing);
      return false;
    }
    plugin->publishUsers = true;
  }
  const uint32_t version = plugin->Exports().PlugApiVersion(2);
  const int32_t started = plugin->Exports().PlugStart(0, 0);
  output->Write("loaded " + settings.plugin + " (" + plugin->Exports().PlugDisplayName() + "): PlugApiVersion(2) = " +
                std::to_string(version) + ", PlugStart(0, 0) = " + std::to_string(started));
  return started == 1;
}

}  // namespace

int RunProxyCommand(int argc, char** argv) {
  ProxySettings settings;
  std::string error;
  if (!ParseProxyArguments(argc, argv, &settings, &error)) {
    std::fprintf(stderr, "avexhost proxy: %s\nusage:\n%s", error.c_str(), kProxyUsage);
    return 2;
  }
  if (settings.plugin.empty()) settings.plugin = PluginBesideThisProgram();
  LineOutput output;
  if (!settings.settingsFile.empty()) {
#if !defined(_WIN32)
    // The plug-in library keeps its own copy of the registry code: only a file reaches both.
    if (std::getenv("AVEX_REGISTRY") == nullptr) {
      std::fprintf(stderr, "avexhost proxy: --settings needs AVEX_REGISTRY to name the registry file natively\n");
      return 2;
    }
#endif
    if (!platform::registry::ImportRegFile(settings.settingsFile)) {
      std::fprintf(stderr, "avexhost proxy: cannot import %s\n", settings.settingsFile.c_str());
      return 1;
    }
  }

  PluginHost plugin(&output);
  if (!settings.passThrough && !StartPlugin(settings, &plugin, &output)) return 1;
  Listener listener(settings, settings.passThrough ? nullptr : &plugin, &output);
  if (!listener.Open(&error)) {
    output.Write(error);
    return 1;
  }
  std::unique_ptr<RecordApplier> applier;
  if (!settings.applyRecords.empty()) {
    applier = std::make_unique<RecordApplier>(&plugin, settings.applyRecords, settings.applyEvery);
    if (!applier->Start(&error)) {
      output.Write(error);
      return 1;
    }
  }
  output.Write("listening on " + listener.Address() + (settings.passThrough ? " (pass-through: no plug-in)" : "") +
               "; at most " + std::to_string(settings.maxConnections) + " connections at once" +
               (settings.passThrough ? "" : "; requests without credentials go as user \"" + settings.defaultUser + "\""));
  listener.Run();
  applier.reset();
  std::string summary = "stopped: " + std::to_string(listener.Served()) + " connections served, " +
                        std::to_string(listener.Refused()) + " refused";
  if (!settings.passThrough) {
    summary += "; scanning objects fabricated " + std::to_string(plugin.fabricated.load()) + ", released " +
               std::to_string(plugin.released.load()) + "; PlugStop() = " +
               std::to_string(plugin.Exports().PlugStop());
  }
  output.Write(summary);
  return 0;
}

}  // namespace avex::host::proxy
