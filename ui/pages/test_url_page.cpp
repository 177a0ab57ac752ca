#include "ui/pages/test_url_page.h"

#include "common/category_table.h"
#include "lists/manual_list_file.h"
#include "lists/url.h"
#include "plugin/plugin_names.h"
#include "ui/framework/button_menu.h"
#include "ui/pages/url_test_run.h"

namespace avex::ui {

namespace {

// The buttons of the configuration dialog that could close it.
constexpr int kFrameButtons[] = {IDC_CONFIGURATION_OK, IDC_CONFIGURATION_CANCEL, IDC_CONFIGURATION_HELP};

}  // namespace

CTestUrlPage::CTestUrlPage(CCategoriesPage& categories, CManualClassificationsPage& manualClassifications,
                           const WindowObject& frame)
    : CTabPage(IDD_TEST_URL), categories_(categories), manualClassifications_(manualClassifications), frame_(frame) {
  SetIcon(kIcon);
}

CTestUrlPage::~CTestUrlPage() {
  // The worker never waits for this thread, so it always comes to an end.
  if (worker_.joinable()) worker_.join();
}

DataExchangeTable CTestUrlPage::DataExchangeFields() { return {TextField(IDC_TEST_URL_TEXT, &urlText_)}; }

bool CTestUrlPage::PreTranslateMessage(MSG& message) {
  if (message.message == WM_KEYDOWN && message.wParam == VK_RETURN &&
      (message.hwnd == Item(IDC_TEST_URL_TEXT) || message.hwnd == Item(IDC_TEST_URL_TEST))) {
    StartTest();
    return true;
  }
  return CTabPage::PreTranslateMessage(message);
}

LRESULT CTestUrlPage::OnUrlTextChanged(WORD, WORD, HWND, BOOL&) {
  if (!testing_) EnableButtons();
  return 0;
}

LRESULT CTestUrlPage::OnTest(WORD, WORD, HWND, BOOL&) {
  StartTest();
  return 0;
}

void CTestUrlPage::EnableButtons() {
  const bool hasText = GetWindowTextLengthA(Item(IDC_TEST_URL_TEXT)) > 0;
  EnableItem(IDC_TEST_URL_TEST, hasText);
  EnableItem(IDC_TEST_URL_CLASSIFY, hasText);
}

bool CTestUrlPage::TakeNormalisedUrl() {
  if (!DoDataExchange(true)) return false;
  urlText_ = NormaliseUrl(urlText_);
  DoDataExchange(false);
  return true;
}

void CTestUrlPage::StartTest() {
  // One test at a time: it reads the settings copy until it ends.
  if (testing_ || !TakeNormalisedUrl()) return;
  categories_.CopyCurrentSettings(settings_);
  manualClassifications_.WriteRowsInto(&settings_.lists);
  {
    std::lock_guard<std::mutex> lock(progressMutex_);
    pendingLines_.clear();
    workerFinished_ = false;
  }
  SendMessageA(Item(IDC_TEST_URL_RESULTS), LB_RESETCONTENT, 0, 0);
  worker_ = std::thread(&CTestUrlPage::RunTest, this, hwnd_, TestedUrl());
  testing_ = true;
  EnableItem(IDC_TEST_URL_TEST, false);
  EnableItem(IDC_TEST_URL_CLASSIFY, false);
  for (int id : kFrameButtons) frame_.EnableItem(id, false);
}

void CTestUrlPage::RunTest(HWND page, std::string url) {
  try {
    RunUrlTest(url, settings_, [&](const std::string& line) { Report(page, line, false); });
  } catch (...) {
    // Only running out of memory gets here; the test ends with the lines it has.
  }
  Report(page, std::string(), true);
}

void CTestUrlPage::Report(HWND page, std::string line, bool finished) {
  {
    std::lock_guard<std::mutex> lock(progressMutex_);
    if (finished) {
      workerFinished_ = true;
    } else {
      pendingLines_.push_back(std::move(line));
    }
  }
  PostMessageA(page, kTestProgressMessage, 0, 0);
}

LRESULT CTestUrlPage::OnTestProgress(UINT, WPARAM, LPARAM, BOOL&) {
  std::vector<std::string> lines;
  bool finished = false;
  {
    std::lock_guard<std::mutex> lock(progressMutex_);
    lines.swap(pendingLines_);
    finished = workerFinished_;
  }
  HWND results = Item(IDC_TEST_URL_RESULTS);
  for (const std::string& line : lines) {
    // Inserting at the end keeps the order the lines came in.
    SendMessageA(results, LB_INSERTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(line.c_str()));
  }
  if (finished && testing_) {
    worker_.join();
    testing_ = false;
    for (int id : kFrameButtons) frame_.EnableItem(id, true);
    EnableButtons();
  }
  return 0;
}

LRESULT CTestUrlPage::OnClassify(WORD, WORD, HWND, BOOL&) {
  if (!TakeNormalisedUrl()) return 0;
  if (const UINT command = ChooseClassification()) Classify(command);
  return 0;
}

UINT CTestUrlPage::ChooseClassification() {
  std::vector<MenuChoice> choices = {{kClassifyCommand, CategoryAllowedLabel}};
  for (size_t row = 0; row < CategoryCount; ++row) {
    if (CategoryTable[row].hasResponse) {
      choices.push_back({static_cast<UINT>(kClassifyCommand + row + 1), CategoryTable[row].description});
    }
  }
  return ChooseFromButtonMenu(hwnd_, Item(IDC_TEST_URL_CLASSIFY), choices);
}

void CTestUrlPage::Classify(UINT command) {
  const bool allow = command == kClassifyCommand;
  const size_t row = command - kClassifyCommand - 1;
  if (!allow && row >= CategoryCount) return;
  const int32_t categoryId = allow ? CategoryAllowed : CategoryTable[row].id;
  const std::string label = allow ? CategoryAllowedLabel : CategoryTable[row].description;
  const std::string url = TestedUrl();
  HWND owner = GetAncestor(hwnd_, GA_ROOT);
  if (manualClassifications_.AddRow(url, categoryId, ManualEntryUrl)) {
    const std::string text = "The URL (" + url + ") has been added to the list of manual classifications (" + label +
                             ") as an exact match entry. Any variants of this should be added manually";
    MessageBoxA(owner, text.c_str(), kProductName, MB_OK | MB_ICONINFORMATION);
  } else {
    const std::string text = "The URL (" + url + ") has not been added because it already exists.";
    MessageBoxA(owner, text.c_str(), kProductName, MB_OK | MB_ICONERROR);
  }
}

}  // namespace avex::ui
