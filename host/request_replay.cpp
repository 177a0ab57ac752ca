#include "host/request_replay.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <vector>

#include "common/category_table.h"
#include "common/result_codes.h"
#include "host/scanning_table.h"

namespace avex::host {

namespace {

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

std::string CategoryName(long id) {
  if (id == CategoryAllowed) return CategoryAllowedLabel;
  const CategoryInfo* row = FindCategory(static_cast<int32_t>(id));
  return row != nullptr ? row->name : std::to_string(id);
}

// The text after `marker` up to `end`, or empty.
std::string Between(const std::string& text, const std::string& marker, char end) {
  const size_t at = text.find(marker);
  if (at == std::string::npos) return std::string();
  const size_t from = at + marker.size();
  return text.substr(from, text.find(end, from) - from);
}

// What the trace and the event lines of one request tell about its decision.
struct Decision {
  std::string stage = "-";
  std::string category = "-";
  std::string score = "-";
};

// `trace` holds the trace texts of the request, its event texts among them.
Decision ReadDecision(uint32_t result, const std::string& trace, const std::string& htmlPage) {
  Decision decision;
  const auto has = [&](const char* text) { return trace.find(text) != std::string::npos; };
  const auto idAfter = [&](const char* marker) { return std::strtol(Between(trace, marker, ' ').c_str(), nullptr, 10); };
  if (result == ResultIgnore) decision.stage = "user not filtered";
  if (result == ResultNotApplicable) decision.stage = "content type";
  if (result == ResultNoSource) decision.stage = "no source";
  if (has("Page allowed by Tarn")) {
    decision = {"manual list", CategoryAllowedLabel, "100"};
  } else if (has("by Tarn Classification list but not")) {
    decision = {"manual list", CategoryName(idAfter("Page classified as ")), "100"};
  } else if (has("Page rejected by Tarn Classification List")) {
    decision = {"manual list", Between(htmlPage, "Content blocked [", ']'), "100"};
  } else if (has("Page rejected by Aurivex Cache")) {
    decision = {"engine cache", CategoryName(idAfter(") category ")), "-"};
    const std::string percent = Between(trace, "[AI Cache - ", 'p');
    if (!percent.empty()) decision.score = std::to_string(std::atoi(percent.c_str()));
  } else if (has("by Aurivex list but not")) {
    decision = {"engine static list", CategoryName(idAfter("Page classified as ")), "100"};
  } else if (has("Page rejected by Aurivex List")) {
    decision = {"engine static list", Between(htmlPage, "Content blocked [", ']'), "100"};
  } else if (has("Page rejected by Aurivex (")) {
    decision = {"content score", CategoryName(idAfter(") category ")), "-"};
    const std::string percent = Between(trace, "[AI - ", 'p');
    decision.score = percent.empty() ? "-" : std::to_string(std::atoi(percent.c_str()));
  } else if (has("Page accepted by Aurivex")) {
    decision.stage = "content score";
  } else if (result == ResultOk || has("Page unclassified")) {
    decision.stage = has("Request for (") || has("Unable to construct") ? "engine lookup failed, scanned"
                                                                          : "lists found nothing, scanned";
  }
  if (decision.stage == "content score" && (has("Request for (") || has("Unable to construct"))) {
    decision.stage = "engine lookup failed, then content score";
  }
  if (result == ResultFailed && decision.stage == "-") decision.stage = "engine failure";
  return decision;
}

std::string ReadFrom(const std::string& path, std::streamoff* position) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return std::string();
  file.seekg(*position);
  std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  *position += static_cast<std::streamoff>(text.size());
  return text;
}

}  // namespace

std::string BlockPage(void* object, uint32_t type) {
  const ScanningObjectTable& table = TableOf(object);
  uint32_t length = 0;
  table.GetResponse(object, type, nullptr, &length);
  std::string page(length + 1, '\0');
  uint32_t size = length + 1;
  if (table.GetResponse(object, type, &page[0], &size) != 0) return std::string();
  page.resize(length);
  return page;
}

bool ReplayRequests(void* object, const ReplayOptions& options) {
  std::ifstream file(options.requestsFile);
  if (!file) return false;
  const ScanningObjectTable& table = TableOf(object);
  std::streamoff traceAt = 0;
  if (!options.traceFile.empty()) ReadFrom(options.traceFile, &traceAt);
  int number = 0;
  std::string line;
  std::printf("%3s  %-6s %-11s %-13s %-18s %-6s %s\n", "#", "user", "client", "result", "category", "score",
              "stage / URL");
  while (std::getline(file, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    std::vector<std::string> fields;
    std::stringstream split(line);
    for (std::string field; std::getline(split, field, '\t');) fields.push_back(field);
    if (fields.size() < 3) {
      std::printf("skipped (needs user, client address, URL): %s\n", line.c_str());
      continue;
    }
    ++number;
    const std::string& user = fields[0];
    const std::string& url = fields[2];
    const char* contentType = fields.size() > 3 && fields[3] != "-" ? fields[3].c_str() : nullptr;

    std::fflush(stdout);
    table.Reset(object, 1);
    uint32_t result = table.SetSource(object, url.c_str(), contentType, ParseAddress(fields[1]), user.c_str());
    if (result == ResultOk) {
      std::string body;
      if (fields.size() > 4 && fields[4] != "-") ReadFile(DirectoryOf(options.requestsFile) + fields[4], &body);
      constexpr size_t kBlock = 4096;
      for (size_t at = 0; at < body.size() && result == ResultOk; at += kBlock) {
        result = table.PutData(object, body.data() + at, static_cast<uint32_t>(std::min(kBlock, body.size() - at)));
      }
      result = table.CheckData(object);
    }
    std::string html, text;
    if (result == ResultReject) {
      html = BlockPage(object, 1);
      text = BlockPage(object, 2);
    }
    const std::string trace = options.traceFile.empty() ? std::string() : ReadFrom(options.traceFile, &traceAt);
    const Decision decision = ReadDecision(result, trace, html);
    std::printf("%3d  %-6s %-11s %-13s %-18s %-6s %s\n     %s\n", number, user.c_str(), fields[1].c_str(),
                ResultName(result) + 6, decision.category.c_str(), decision.score.c_str(), decision.stage.c_str(),
                url.c_str());
    if (result == ResultReject && !options.pagesFolder.empty()) {
      char name[16];
      std::snprintf(name, sizeof name, "%02d", number);
      const std::string base = options.pagesFolder + "/" + name;
      std::ofstream(base + ".html", std::ios::binary) << html;
      std::ofstream(base + ".txt", std::ios::binary) << text;
      std::printf("     block page: %s.html\n", base.c_str());
    }
  }
  return true;
}

}  // namespace avex::host
