#include "ui/pages/url_test_run.h"

#include <cctype>
#include <cstdio>
#include <memory>

#include "common/category_table.h"
#include "engine/engine_library.h"
#include "engine/engine_paths.h"
#include "engine/engine_setup.h"
#include "platform/code_page.h"
#include "plugin/plugin_application.h"
#include "plugin/plugin_names.h"
#include "common/result_codes.h"
#include "plugin/scanning_interface.h"
#include "ui/pages/internet_session.h"

namespace avex::ui {

namespace {

constexpr char kUserAgent[] = "AurivexVerificationTest";
constexpr char kTestUser[] = "<system>";

struct DestroyScanningObject {
  void operator()(ScanningInterface* object) const { object->Destroy(); }
};
using ScanningObject = std::unique_ptr<ScanningInterface, DestroyScanningObject>;

bool Blocks(uint32_t result) { return (result & ResultReject) == ResultReject; }

const char* NameOf(int32_t categoryId) {
  const CategoryInfo* category = FindCategory(categoryId);
  return category != nullptr ? category->name : "";
}

// The console holds no engine until its first test loads one.
bool EngineReady(PluginApplication& application, const ResultLineSink& addLine) {
  if (application.Engine() != nullptr) return true;
  std::string engineDirectory;
  if (!FindEngineDirectory(kModuleName, &engineDirectory)) return false;
  addLine("Loading Aurivex libraries");
  return BringUpConsoleEngine(TheEngineLibrary(), &application.EngineRefs(), application.Configuration()->settings,
                              engineDirectory);
}

void ShowListDecision(const ScanningInterface& object, uint32_t result, const ResultLineSink& addLine) {
  const int32_t category = object.Request().recordedCategory;
  if (category == CategoryAllowed) {
    addLine("The page has been explicitly allowed");
  } else {
    addLine(std::string("The page has been classified as ") + NameOf(category));
  }
  addLine(Blocks(result) ? "This page will be blocked with the current settings (based on list)"
                         : "This page will be allowed with the current settings (based on list)");
}

struct FetchedPage {
  std::string data;
  std::string contentType;
};

// False, after its line, when the URL could not be opened or its reply was
// cut short: a page that did not arrive whole is not scored.
bool Fetch(const InternetSession& session, const std::string& url, FetchedPage* page, const ResultLineSink& addLine) {
  addLine("Connecting");
  std::unique_ptr<OpenedUrl> opened = session.Open(url);
  if (opened == nullptr) {
    addLine("Unable to connect to the URL");
    return false;
  }
  addLine("Connected. Retrieving page");
  if (!opened->ReadText(&page->data)) {
    addLine("Unable to connect to the URL");
    return false;
  }
  page->contentType = opened->ContentType();
  opened.reset();
  addLine("Page retrieved");
  addLine("Verifying page data");
  std::string& type = page->contentType;
  while (!type.empty() && std::isspace(static_cast<unsigned char>(type.back()))) type.pop_back();
  platform::LowerInPlace(&type);
  return true;
}

void ShowScores(const ScanningInterface& object, uint32_t result, const ResultLineSink& addLine) {
  const RequestState& request = object.Request();
  const size_t decidingRow = CategoryIndexOf(request.recordedCategory);
  for (size_t row = 0; row < EngineCategoryRows; ++row) {
    if (!CategoryTable[row].hasResponse || request.percentages[row] == 0) continue;
    char line[128];
    std::snprintf(line, sizeof line, row == decidingRow ? "%s: %3.0f %% [failed]" : "%s: %3.0f %%",
                  CategoryTable[row].name, static_cast<double>(request.percentages[row]));
    addLine(line);
  }
  addLine(Blocks(result) ? "This page will be blocked with the current settings"
                         : "This page will not be blocked with the current settings");
}

}  // namespace

void RunUrlTest(const std::string& url, const FilterSettings& settings, const ResultLineSink& addLine) {
  PluginApplication& application = TheApplication();
  ScanningObject object(new ScanningInterface(application));
  const InternetSession session(kUserAgent);

  if (!EngineReady(application, addLine)) {
    addLine("unable to initialise scanning engine");
    return;
  }

  object->SetForceFiltering(1);
  object->SetSnapshot(settings);
  ApplyTestSettings(application.EngineRefs(), settings, application.Configuration()->settings);

  const uint32_t byUrl = object->SetSource(url.c_str(), nullptr, 0, kTestUser);
  if (byUrl != ResultOk && byUrl != ResultFailed) {
    ShowListDecision(*object, byUrl, addLine);
    return;
  }

  FetchedPage page;
  if (!Fetch(session, url, &page, addLine)) return;

  if (object->SetSource(url.c_str(), page.contentType.c_str(), 0, kTestUser) == ResultNotApplicable) {
    addLine("The Aurivex ACR engine does not classify " + page.contentType + " content");
    addLine("This page will not be blocked with the current settings");
    return;
  }
  object->PutData(page.data.data(), static_cast<uint32_t>(page.data.size()));
  ShowScores(*object, object->CheckData(), addLine);
}

}  // namespace avex::ui
