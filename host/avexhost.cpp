// avexhost: drives the plug-in the way the proxy host does and prints what
// the host sees.
//
//   avexhost PLUGIN [--api-version N] [--start-type N] [--console N] [--vendor-key]
//                   [--users FILE] [--requests FILE] [--pages DIR]
//                   [config apply FILE] [configure [--screens DIR [--test-url URL]]] [config get FILE]
//   avexhost config edit FILE SETTING...
//   avexhost proxy [--listen ADDRESS:PORT] [--user NAME] [--users FILE] ... (host/proxy/proxy_command.h)
//
// --users publishes users and groups (user_directory.h); --requests replays
// requests (request_replay.h), on an object fabricated after any applied
// configuration, and --pages keeps their block pages. `config get` writes the
// configuration record of the process to a file, `config apply` hands a
// record file to the process, as the host carries it between the engine
// process and the console (a console run sets the no-save flag, as the
// console does: it never writes the registry). `configure` opens the
// configuration dialog (ShowConfiguration) after any applied record, as the
// console does, and --screens saves a picture of every page into DIR and
// closes it with OK; --test-url first tests URL (without "http://") on the
// Test URL page. `config edit` changes one setting in a record file
// (record_edit.h).
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "common/result_codes.h"
#include "host/dialog_tour.h"
#include "host/plugin_exports.h"
#include "host/plugin_library.h"
#include "host/proxy/proxy_command.h"
#include "host/proxy/proxy_settings.h"
#include "host/record_edit.h"
#include "host/request_replay.h"
#include "host/scanning_table.h"
#include "host/user_directory.h"
#include "platform/registry.h"
#include "platform/thread_id.h"

namespace {

using avex::host::PluginExports;
using avex::host::ScanningObjectTable;

struct Options {
  std::string plugin;
  uint32_t apiVersion = 2;
  int32_t startType = 0;
  int32_t consoleFlag = 0;
  bool vendorKey = false;
  std::string users;
  std::string requests;
  std::string pages;
  std::string configIn;
  std::string configOut;
  bool configure = false;
  std::string screens;
  std::string testUrl;
};

int Usage() {
  std::fprintf(stderr,
               "usage: avexhost PLUGIN [--api-version N] [--start-type N] [--console N] [--vendor-key]\n"
               "                [--users FILE] [--requests FILE] [--pages DIR]\n"
               "                [config apply FILE] [configure [--screens DIR [--test-url URL]]] [config get FILE]\n"
               "       avexhost config edit FILE SETTING...\n%s",
               avex::host::proxy::kProxyUsage);
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
    } else if (flag == "config" && i + 2 < argc && std::strcmp(argv[i + 1], "apply") == 0) {
      options->configIn = argv[i + 2];
      i += 2;
    } else if (flag == "config" && i + 2 < argc && std::strcmp(argv[i + 1], "get") == 0) {
      options->configOut = argv[i + 2];
      i += 2;
    } else if (flag == "configure") {
      options->configure = true;
    } else if (flag == "--test-url" && hasValue) {
      options->testUrl = argv[++i];
    } else if (flag == "--screens" && hasValue) {
      options->screens = argv[++i];
    } else if (flag == "--pages" && hasValue) {
      options->pages = argv[++i];
    } else if (flag == "--api-version" && hasValue) {
      options->apiVersion = static_cast<uint32_t>(std::strtoul(argv[++i], nullptr, 0));
    } else if (flag == "--start-type" && hasValue) {
      options->startType = static_cast<int32_t>(std::strtol(argv[++i], nullptr, 0));
    } else if (flag == "--console" && hasValue) {
      options->consoleFlag = static_cast<int32_t>(std::strtol(argv[++i], nullptr, 0));
    } else if (flag == "--users" && hasValue) {
      options->users = argv[++i];
    } else if (flag == "--requests" && hasValue) {
      options->requests = argv[++i];
    } else {
      return false;
    }
  }
  return true;
}

// The host's event log: prints every line it is handed.
class PrintingLogger final : public avex::HostLogger {
 public:
  uint32_t WriteEvent(uint32_t one, uint32_t kind, const char* line, const char* source) override {
    std::printf("  host log (%u, kind %u, %s): %s\n", one, kind, source ? source : "(null)",
                line ? line : "(null)");
    return 0;
  }
};

uint32_t ReadLittleEndian32(const unsigned char* bytes) {
  return bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

bool ReadFile(const std::string& path, std::string* bytes) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return false;
  bytes->assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  return true;
}

// Prints the 534-byte information record field by field, as the host reads it.
void PrintInfoRecord(void* object) {
  const ScanningObjectTable& table = avex::host::TableOf(object);
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

void PrintInfoQueries(void* object) {
  const ScanningObjectTable& table = avex::host::TableOf(object);
  for (uint32_t query : {4u, 5u, 32u}) {
    uint32_t answer = 0;
    const uint32_t result = table.GetInfo(object, query, &answer, sizeof answer);
    std::printf("GetInfo(%u) = %s, answer %u\n", query, avex::ResultName(result), answer);
  }
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

void ApplyConfigurationFile(void* object, const std::string& path, bool console) {
  const ScanningObjectTable& table = avex::host::TableOf(object);
  std::string record;
  if (!ReadFile(path, &record)) {
    std::printf("cannot read %s\n", path.c_str());
    return;
  }
  table.SetNoSaveFlag(object, console ? 1 : 0);
  const uint32_t result = table.ApplyConfiguration(object, record.data(), static_cast<uint32_t>(record.size()));
  std::printf("ApplyConfiguration(%zu bytes) = %s\n", record.size(), avex::ResultName(result));
}

void WriteConfigurationFile(void* object, const std::string& path) {
  const ScanningObjectTable& table = avex::host::TableOf(object);
  uint32_t size = 0;
  const uint32_t length = table.GetConfiguration(object, nullptr, &size);
  std::vector<char> record(length);
  size = length;
  const uint32_t result = table.GetConfiguration(object, record.data(), &size);
  std::ofstream(path, std::ios::binary).write(record.data(), static_cast<std::streamsize>(record.size()));
  std::printf("GetConfiguration = %s, %u bytes written to %s\n", avex::ResultName(result), length, path.c_str());
}

void ShowConfigurationDialog(void* object, const std::string& screens, const std::string& testUrl) {
  std::unique_ptr<avex::host::DialogTour> tour;
  if (!screens.empty()) {
    std::filesystem::create_directories(screens);
    std::printf("pictures of the configuration dialog:\n");
    tour = std::make_unique<avex::host::DialogTour>(screens, avex::platform::CurrentThreadId(), testUrl);
  }
  const uint32_t result = avex::host::TableOf(object).ShowConfiguration(object, nullptr);
  tour.reset();
  std::printf("ShowConfiguration = %s\n", avex::ResultName(result));
}

// The entry points that answer before the start, then the start.
void StartPlugin(const PluginExports& plug, const Options& options) {
  std::printf("PlugDisplayName() before the version = \"%s\"\n", plug.PlugDisplayName());
  std::printf("PlugApiVersion(%u) = %u\n", options.apiVersion, plug.PlugApiVersion(options.apiVersion));
  std::printf("PlugMode() = %u\n", plug.PlugMode());
  std::printf("PlugDisplayName() = \"%s\"\n", plug.PlugDisplayName());
  for (int32_t service = 1; service <= 3; ++service) {
    std::printf("PlugSupportsService(%d) = %s\n", service, plug.PlugSupportsService(service) ? "true" : "false");
  }
  std::printf("PlugStart(%d, %d) = %d\n", options.startType, options.consoleFlag,
              plug.PlugStart(options.startType, options.consoleFlag));
  if (options.vendorKey) PrintVendorKey();
}

// One scanning object as the console or the engine process uses it between
// requests: its information, the users, the configuration files and the dialog.
void WorkConfigurationObject(const PluginExports& plug, const Options& options,
                             const avex::host::UserDirectory& users, PrintingLogger* logger) {
  void* object = plug.PlugFabricateInterface();
  std::printf("PlugFabricateInterface() = %s\n", object ? "object" : "null");
  if (object == nullptr) return;
  const ScanningObjectTable& table = avex::host::TableOf(object);
  PrintInfoRecord(object);
  table.SetLogger(object, logger);
  if (!options.users.empty()) {
    const uint32_t result = table.SetUserDatabase(object, &users.Database());
    std::printf("SetUserDatabase(%u records) = %s\n", users.Database().count, avex::ResultName(result));
  }
  PrintInfoQueries(object);
  if (!options.configIn.empty()) ApplyConfigurationFile(object, options.configIn, options.consoleFlag != 0);
  if (options.configure) ShowConfigurationDialog(object, options.screens, options.testUrl);
  if (!options.configOut.empty()) WriteConfigurationFile(object, options.configOut);
  std::printf("PlugReleaseInterface(object) = %d\n", plug.PlugReleaseInterface(object));
}

// The requests of the requests file, on a new object: it takes its snapshot
// of the settings as they are now.
void ReplayRequestFile(const PluginExports& plug, const Options& options, PrintingLogger* logger) {
  void* requests = plug.PlugFabricateInterface();
  if (requests == nullptr) return;
  const ScanningObjectTable& table = avex::host::TableOf(requests);
  table.SetLogger(requests, logger);
  const char* trace = std::getenv("AVEX_TRACE");
  avex::host::ReplayOptions replay{options.requests, trace ? trace : "", options.pages};
  if (!replay.pagesFolder.empty()) std::filesystem::create_directories(replay.pagesFolder);
  if (!avex::host::ReplayRequests(requests, replay)) std::printf("cannot read %s\n", options.requests.c_str());
  plug.PlugReleaseInterface(requests);
}

int Run(const Options& options) {
  avex::host::PluginLibrary plugin;
  std::string problem;
  if (!plugin.Load(options.plugin, &problem)) {
    std::printf("%s\n", problem.c_str());
    return 1;
  }
  avex::host::UserDirectory users;
  if (!options.users.empty() && !users.Load(options.users, &problem)) {
    std::printf("%s\n", problem.c_str());
    return 1;
  }
  const PluginExports& plug = plugin.Exports();
  std::printf("loaded %s: all eight exports present\n", options.plugin.c_str());
  StartPlugin(plug, options);
  PrintingLogger logger;
  WorkConfigurationObject(plug, options, users, &logger);
  if (!options.requests.empty()) ReplayRequestFile(plug, options, &logger);
  std::printf("PlugReleaseInterface(null) = %d\n", plug.PlugReleaseInterface(nullptr));
  std::printf("PlugStop() = %d\n", plug.PlugStop());
  // The library stays loaded until the process ends, as with the real host.
  return 0;
}

}  // namespace

int EditRecord(int argc, char** argv) {
  std::string error;
  const std::vector<std::string> setting(argv + 4, argv + argc);
  if (!avex::host::EditConfigurationRecord(argv[3], setting, &error)) {
    std::printf("%s\n", error.c_str());
    return 1;
  }
  std::printf("%s: set", argv[3]);
  for (const std::string& word : setting) std::printf(" %s", word.c_str());
  std::printf("\n");
  return 0;
}

int main(int argc, char** argv) {
  if (argc >= 2 && std::strcmp(argv[1], "proxy") == 0) return avex::host::proxy::RunProxyCommand(argc - 2, argv + 2);
  if (argc >= 4 && std::strcmp(argv[1], "config") == 0 && std::strcmp(argv[2], "edit") == 0) {
    return EditRecord(argc, argv);
  }
  Options options;
  if (!ParseOptions(argc, argv, &options)) return Usage();
  return Run(options);
}
