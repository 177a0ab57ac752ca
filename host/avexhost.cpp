// avexhost: drives the plug-in the way the proxy host does and prints what
// the host sees.
//
//   avexhost PLUGIN [--api-version N] [--start-type N] [--console N] [--vendor-key]
//                   [--users FILE] [--requests FILE] [--html]
//                   [--config-in FILE] [--no-save] [--config-out FILE]
//
// --users publishes users and groups (see user_directory.h); --requests feeds
// one request per line: URL, content type ("-" for none), client address,
// user, reply body file ("-" for none; relative to the requests file), tab
// separated, and prints the text block page of a blocked one (--html: the
// HTML page too). --config-in applies a configuration record from a file (as the
// console's record reaches the engine process), --config-out writes the
// object's record to a file.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "host/plugin_exports.h"
#include "host/scanning_table.h"
#include "host/user_directory.h"
#include "platform/registry.h"

namespace {

using avex::host::PluginExports;
using avex::host::ScanningObjectTable;

struct Options {
  std::string plugin;
  uint32_t apiVersion = 2;
  int32_t startType = 0;
  int32_t consoleFlag = 0;
  bool vendorKey = false;
  bool html = false;
  bool noSave = false;
  std::string users;
  std::string requests;
  std::string configIn;
  std::string configOut;
};

int Usage() {
  std::fprintf(stderr,
               "usage: avexhost PLUGIN [--api-version N] [--start-type N] [--console N] [--vendor-key]\n"
               "                [--users FILE] [--requests FILE] [--html]\n"
               "                [--config-in FILE] [--no-save] [--config-out FILE]\n");
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
    } else if (flag == "--html") {
      options->html = true;
    } else if (flag == "--no-save") {
      options->noSave = true;
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
    } else if (flag == "--config-in" && hasValue) {
      options->configIn = argv[++i];
    } else if (flag == "--config-out" && hasValue) {
      options->configOut = argv[++i];
    } else {
      return false;
    }
  }
  return true;
}

const char* ResultName(uint32_t result) {
  switch (result) {
    case 0x00000000: return "ResultOk";
    case 0x40000000: return "ResultPass";
    case 0x41000000: return "ResultReject";
    case 0x80000002: return "ResultInvalidParameter";
    case 0x80000004: return "ResultNotReady";
    case 0x80000005: return "ResultNotCompleted";
    case 0x80000006: return "ResultFailed";
    case 0x80000007: return "ResultIgnore";
    case 0x80000009: return "ResultStateRefused";
    case 0x8000000A: return "ResultNoSource";
    case 0x8000000B: return "ResultNotApplicable";
    case 0x8000000C: return "ResultNotSupported";
    case 0x8000000D: return "ResultBufferTooSmall";
    default: return "?";
  }
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

std::string DirectoryOf(const std::string& path) {
  const size_t cut = path.find_last_of("\\/");
  return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

uint32_t ParseAddress(const std::string& text) {
  unsigned a = 0, b = 0, c = 0, d = 0;
  if (std::sscanf(text.c_str(), "%u.%u.%u.%u", &a, &b, &c, &d) != 4) return 0;
  return (a & 255) << 24 | (b & 255) << 16 | (c & 255) << 8 | (d & 255);
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
    std::printf("GetInfo(%u) = %s, answer %u\n", query, ResultName(result), answer);
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

void PrintBlockPage(void* object, uint32_t type) {
  const ScanningObjectTable& table = avex::host::TableOf(object);
  uint32_t length = 0;
  table.GetResponse(object, type, nullptr, &length);
  std::vector<char> page(length + 1);
  uint32_t size = length + 1;
  const uint32_t result = table.GetResponse(object, type, page.data(), &size);
  std::printf("  GetResponse(%s) = %s, %u bytes:\n    %s\n", type == 1 ? "HTML" : "text", ResultName(result),
              size, result == 0 ? page.data() : "");
}

// One request as the proxy runs it: source, then the reply data if asked.
void RunRequest(void* object, const std::vector<std::string>& fields, const std::string& baseDirectory,
                bool html) {
  const ScanningObjectTable& table = avex::host::TableOf(object);
  const std::string& url = fields[0];
  const char* contentType = fields[1] == "-" ? nullptr : fields[1].c_str();
  std::printf("request %s (%s) from %s user %s\n", url.c_str(), contentType ? contentType : "no type",
              fields[2].c_str(), fields[3].c_str());
  table.Reset(object, 1);
  uint32_t result = table.SetSource(object, url.c_str(), contentType, ParseAddress(fields[2]), fields[3].c_str());
  std::printf("  SetSource = %s\n", ResultName(result));
  if (result == 0) {
    std::string body;
    if (fields.size() > 4 && fields[4] != "-" && !ReadFile(baseDirectory + fields[4], &body)) {
      std::printf("  cannot read reply body %s\n", fields[4].c_str());
    }
    constexpr size_t kBlock = 4096;
    for (size_t at = 0; at < body.size() && result == 0; at += kBlock) {
      const size_t count = std::min(kBlock, body.size() - at);
      result = table.PutData(object, body.data() + at, static_cast<uint32_t>(count));
    }
    std::printf("  PutData(%zu bytes) = %s\n", body.size(), ResultName(result));
    result = table.CheckData(object);
    std::printf("  CheckData = %s\n", ResultName(result));
  }
  if (result == 0x41000000) {
    PrintBlockPage(object, 2);
    if (html) PrintBlockPage(object, 1);
  }
}

void RunRequests(void* object, const std::string& path, bool html) {
  std::ifstream file(path);
  if (!file) {
    std::printf("cannot read %s\n", path.c_str());
    return;
  }
  std::string line;
  while (std::getline(file, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    std::vector<std::string> fields;
    std::stringstream split(line);
    for (std::string field; std::getline(split, field, '\t');) fields.push_back(field);
    if (fields.size() < 4) {
      std::printf("skipped (needs URL, type, address, user): %s\n", line.c_str());
      continue;
    }
    RunRequest(object, fields, DirectoryOf(path), html);
  }
}

void ApplyConfigurationFile(void* object, const std::string& path, bool noSave) {
  const ScanningObjectTable& table = avex::host::TableOf(object);
  std::string record;
  if (!ReadFile(path, &record)) {
    std::printf("cannot read %s\n", path.c_str());
    return;
  }
  table.SetNoSaveFlag(object, noSave ? 1 : 0);
  const uint32_t result = table.ApplyConfiguration(object, record.data(), static_cast<uint32_t>(record.size()));
  std::printf("ApplyConfiguration(%zu bytes) = %s\n", record.size(), ResultName(result));
}

void WriteConfigurationFile(void* object, const std::string& path) {
  const ScanningObjectTable& table = avex::host::TableOf(object);
  uint32_t size = 0;
  const uint32_t length = table.GetConfiguration(object, nullptr, &size);
  std::vector<char> record(length);
  size = length;
  const uint32_t result = table.GetConfiguration(object, record.data(), &size);
  std::ofstream(path, std::ios::binary).write(record.data(), static_cast<std::streamsize>(record.size()));
  std::printf("GetConfiguration = %s, %u bytes written to %s\n", ResultName(result), length, path.c_str());
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
  avex::host::UserDirectory users;
  if (!options.users.empty() && !users.Load(options.users, &missing)) {
    std::printf("%s\n", missing.c_str());
    return 1;
  }

  std::printf("loaded %s: all eight exports present\n", options.plugin.c_str());
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

  void* object = plug.PlugFabricateInterface();
  std::printf("PlugFabricateInterface() = %s\n", object ? "object" : "null");
  PrintingLogger logger;
  if (object != nullptr) {
    const ScanningObjectTable& table = avex::host::TableOf(object);
    PrintInfoRecord(object);
    table.SetLogger(object, &logger);
    if (!options.users.empty()) {
      const uint32_t result = table.SetUserDatabase(object, &users.Database());
      std::printf("SetUserDatabase(%u records) = %s\n", users.Database().count, ResultName(result));
    }
    PrintInfoQueries(object);
    if (!options.configIn.empty()) ApplyConfigurationFile(object, options.configIn, options.noSave);
    if (!options.requests.empty()) RunRequests(object, options.requests, options.html);
    if (!options.configOut.empty()) WriteConfigurationFile(object, options.configOut);
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
