#include "host/proxy/proxy_settings.h"

#include <cstdlib>
#include <sstream>

namespace avex::host::proxy {

const char kProxyUsage[] =
    "       avexhost proxy [--listen ADDRESS:PORT] [--user NAME] [--users FILE] [--settings FILE.reg]\n"
    "                      [--plugin AVex.dll] [--pass-through] [--max-connections N]\n"
    "                      [--client-timeout SECONDS] [--upstream-timeout SECONDS] [--stop-file FILE]\n"
    "                      [--apply-records FILE.rec,FILE.rec... --apply-every SECONDS]\n"
    "       --user names the user of requests without Proxy-Authorization (\"guest\" when not given)\n";

namespace {

bool ParseSeconds(const std::string& text, std::chrono::milliseconds* value) {
  char* end = nullptr;
  const double seconds = std::strtod(text.c_str(), &end);
  if (end == text.c_str() || *end != '\0' || !(seconds > 0) || seconds > 86400) return false;
  *value = std::chrono::milliseconds(static_cast<long long>(seconds * 1000 + 0.5));
  return true;
}

bool ParseFileList(const std::string& text, std::vector<std::string>* files) {
  files->clear();
  std::stringstream list(text);
  std::string file;
  while (std::getline(list, file, ',')) {
    if (file.empty()) return false;
    files->push_back(file);
  }
  return !files->empty();
}

}  // namespace

bool ParseProxyArguments(int argc, char** argv, ProxySettings* settings, std::string* error) {
  for (int i = 0; i < argc; ++i) {
    const std::string flag = argv[i];
    if (flag == "--pass-through") {
      settings->passThrough = true;
      continue;
    }
    if (i + 1 >= argc) {
      *error = "unknown option or missing value: " + flag;
      return false;
    }
    const std::string value = argv[++i];
    if (flag == "--listen") {
      settings->listen = value;
    } else if (flag == "--user") {
      settings->defaultUser = value;
    } else if (flag == "--users") {
      settings->usersFile = value;
    } else if (flag == "--settings") {
      settings->settingsFile = value;
    } else if (flag == "--plugin") {
      settings->plugin = value;
    } else if (flag == "--stop-file") {
      settings->stopFile = value;
    } else if (flag == "--max-connections") {
      char* end = nullptr;
      const unsigned long count = std::strtoul(value.c_str(), &end, 10);
      if (end == value.c_str() || *end != '\0' || count == 0 || count > 10000) {
        *error = "--max-connections needs a number from 1 to 10000";
        return false;
      }
      settings->maxConnections = count;
    } else if (flag == "--client-timeout") {
      if (!ParseSeconds(value, &settings->clientTimeout)) {
        *error = "--client-timeout needs a number of seconds above 0";
        return false;
      }
    } else if (flag == "--upstream-timeout") {
      if (!ParseSeconds(value, &settings->upstreamTimeout)) {
        *error = "--upstream-timeout needs a number of seconds above 0";
        return false;
      }
    } else if (flag == "--apply-records") {
      if (!ParseFileList(value, &settings->applyRecords)) {
        *error = "--apply-records needs record files separated by commas";
        return false;
      }
    } else if (flag == "--apply-every") {
      if (!ParseSeconds(value, &settings->applyEvery)) {
        *error = "--apply-every needs a number of seconds above 0";
        return false;
      }
    } else {
      *error = "unknown option: " + flag;
      return false;
    }
  }
  if (settings->applyRecords.empty() != (settings->applyEvery.count() == 0)) {
    *error = "--apply-records and --apply-every go together";
    return false;
  }
  if (!settings->applyRecords.empty() && settings->passThrough) {
    *error = "--apply-records needs the plug-in, not --pass-through";
    return false;
  }
  return true;
}

}  // namespace avex::host::proxy
