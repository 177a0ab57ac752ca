// avexhost: drives the plug-in the way the proxy host does and prints what
// the host sees.
//
//   avexhost PLUGIN [--api-version N] [--start-type N] [--console N] [--vendor-key]
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "host/plugin_exports.h"
#include "host/scanning_table.h"
#include "platform/registry.h"

namespace {

using avex::host::PluginExports;

struct Options {
  std::string plugin;
  uint32_t apiVersion = 2;
  int32_t startType = 0;
  int32_t consoleFlag = 0;
  bool vendorKey = false;
};

int Usage() {
  std::fprintf(stderr,
               "usage: avexhost PLUGIN [--api-version N] [--start-type N] [--console N] "
               "[--vendor-key]\n");
  return 2;
}

bool ParseOptions(int argc, char** argv, Options* options) {
  if (argc < 2) return false;
  options->plugin = argv[1];
  for (int i = 2; i < argc; ++i) {
    const std::string flag = argv[i];
    const bool hasValue = i + 1 < argc;
    if (flag == "--vendor-key") {
      options->vendorKey = true;
    } else if (flag == "--api-version" && hasValue) {
      options->apiVersion = static_cast<uint32_t>(std::strtoul(argv[++i], nullptr, 0));
    } else if (flag == "--start-type" && hasValue) {
      options->startType = static_cast<int32_t>(std::strtol(argv[++i], nullptr, 0));
    } else if (flag == "--console" && hasValue) {
      options->consoleFlag = static_cast<int32_t>(std::strtol(argv[++i], nullptr, 0));
    } else {
      return false;
    }
  }
  return true;
}

uint32_t ReadLittleEndian32(const unsigned char* bytes) {
  return bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

// Prints the 534-byte information record field by field, as the host reads it.
void PrintInfoRecord(void* object) {
  const auto& table = avex::host::TableOf(object);
  unsigned char record[534] = {};
  const uint32_t size = table.GetPluginInfo(object, nullptr);
  const uint32_t result = table.GetPluginInfo(object, record);
  std::printf("GetPluginInfo(null) = %u\n", size);
  std::printf("GetPluginInfo(record) = 0x%08X\n", result);
  if (result != 0) return;
  for (int field = 0; field < 5; ++field) {
    std::printf("  record[%2d] = 0x%08X\n", field * 4, ReadLittleEndian32(record + field * 4));
  }
  std::printf("  record[20] display name = \"%.256s\"\n", reinterpret_cast<char*>(record + 20));
  std::printf("  record[277] company name = \"%.256s\"\n", reinterpret_cast<char*>(record + 277));
}

void PrintVendorKey() {
  namespace registry = avex::platform::registry;
  const char* key = "SOFTWARE\\Orlo Ltd\\Aurivex PlugIn";
  std::printf("vendor key HKLM\\%s%s\n", key, registry::KeyExists(key) ? "" : " is missing");
  for (const std::string& name : registry::ValueNames(key)) {
    const auto text = registry::QueryString(key, name);
    std::printf("  \"%s\" = \"%s\"\n", name.c_str(), text ? text->c_str() : "(not a string)");
  }
}

int Run(const Options& options) {
  uint32_t error = 0;
  avex::platform::LibraryHandle library = avex::platform::OpenLibrary(options.plugin, &error);
  if (library == nullptr) {
    std::printf("cannot load %s: error %u\n", options.plugin.c_str(), error);
    return 1;
  }
  PluginExports plug;
  std::string missing;
  if (!avex::host::ResolvePluginExports(library, &plug, &missing)) {
    std::printf("missing exports: %s\n", missing.c_str());
    return 1;
  }
  std::printf("loaded %s: all eight exports present\n", options.plugin.c_str());
  std::printf("PlugDisplayName() before the version = \"%s\"\n", plug.PlugDisplayName());
  std::printf("PlugApiVersion(%u) = %u\n", options.apiVersion, plug.PlugApiVersion(options.apiVersion));
  std::printf("PlugMode() = %u\n", plug.PlugMode());
  std::printf("PlugDisplayName() = \"%s\"\n", plug.PlugDisplayName());
  for (int32_t service = 1; service <= 3; ++service) {
    std::printf("PlugSupportsService(%d) = %s\n", service,
                plug.PlugSupportsService(service) ? "true" : "false");
  }
  std::printf("PlugStart(%d, %d) = %d\n", options.startType, options.consoleFlag,
              plug.PlugStart(options.startType, options.consoleFlag));
  if (options.vendorKey) PrintVendorKey();

  void* object = plug.PlugFabricateInterface();
  std::printf("PlugFabricateInterface() = %s\n", object ? "object" : "null");
  if (object != nullptr) {
    PrintInfoRecord(object);
    std::printf("PlugReleaseInterface(object) = %d\n", plug.PlugReleaseInterface(object));
  }
  std::printf("PlugReleaseInterface(null) = %d\n", plug.PlugReleaseInterface(nullptr));
  std::printf("PlugStop() = %d\n", plug.PlugStop());
  // The library stays loaded until the process ends, as with the real host.
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!ParseOptions(argc, argv, &options)) return Usage();
  return Run(options);
}
