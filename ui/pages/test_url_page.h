// CTestUrlPage: how a URL would be treated with the settings as edited on the
// other pages, before they are applied. "Test" runs the test on a worker
// thread and lists what it finds; "Classify..." adds the URL as an exact
// entry to the Manual classifications page. The page changes no setting.
//
// While a test runs, nothing that could start another test or close the
// dialog is enabled, and the dialog asks Testing() before it closes. The
// worker hands its result lines over through a queue and a posted message,
// so it never waits for the user-interface thread; the page's destruction
// waits for a running worker.
#pragma once

#include <windows.h>

#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "config/filter_settings.h"
#include "resources/resource_ids.h"
#include "ui/pages/categories_page.h"
#include "ui/pages/manual_classifications_page.h"
#include "ui/framework/tab_page.h"

namespace avex::ui {

class CTestUrlPage : public CTabPage {
 public:
  static constexpr int kIcon = 12;
  // The classification menu: "Allow", then category row r as kClassifyCommand + r + 1.
  static constexpr UINT kClassifyCommand = 1925;
  // Posted by the worker when it has result lines, or has finished.
  static constexpr UINT kTestProgressMessage = WM_USER + 1;

  // `frame` is the configuration dialog, whose OK, Cancel and Help stay
  // disabled while a test runs.
  CTestUrlPage(CCategoriesPage& categories, CManualClassificationsPage& manualClassifications,
               const WindowObject& frame);
  ~CTestUrlPage() override;

  bool Testing() const { return testing_; }

  // Enter in the edit box or on "Test" starts a test, even while "Test" is disabled.
  bool PreTranslateMessage(MSG& message) override;

  BEGIN_MSG_MAP(CTestUrlPage)
    COMMAND_HANDLER(IDC_TEST_URL_TEXT, EN_CHANGE, OnUrlTextChanged)
    COMMAND_ID_HANDLER(IDC_TEST_URL_TEST, OnTest)
    COMMAND_ID_HANDLER(IDC_TEST_URL_CLASSIFY, OnClassify)
    MESSAGE_HANDLER(kTestProgressMessage, OnTestProgress)
    CHAIN_MSG_MAP(CTabPage)
  END_MSG_MAP()

 protected:
  DataExchangeTable DataExchangeFields() override;

 private:
  LRESULT OnUrlTextChanged(WORD, WORD, HWND, BOOL&);
  LRESULT OnTest(WORD, WORD, HWND, BOOL&);
  LRESULT OnClassify(WORD, WORD, HWND, BOOL&);
  LRESULT OnTestProgress(UINT, WPARAM, LPARAM, BOOL&);

  // Reads the edit box and shows its text normalised; false when the data
  // exchange refused it.
  bool TakeNormalisedUrl();
  std::string TestedUrl() const { return "http://" + urlText_; }
  void StartTest();
  // On the worker thread.
  void RunTest(HWND page, std::string url);
  void Report(HWND page, std::string line, bool finished);
  void EnableButtons();
  // The chosen command of the classification menu; 0 when none was chosen.
  UINT ChooseClassification();
  void Classify(UINT command);

  CCategoriesPage& categories_;
  CManualClassificationsPage& manualClassifications_;
  const WindowObject& frame_;
  std::string urlText_;
  // The settings a test runs with; the worker reads them while it runs.
  FilterSettings settings_;
  bool testing_ = false;
  std::thread worker_;

  // What the worker has reported and the page has not shown yet.
  std::mutex progressMutex_;
  std::vector<std::string> pendingLines_;
  bool workerFinished_ = false;
};

}  // namespace avex::ui
