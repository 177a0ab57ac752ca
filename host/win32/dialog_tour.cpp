#include "host/dialog_tour.h"

#include <cctype>
#include <cstdio>
#include <thread>

#include "host/win32/dialog_driver.h"
#include "resources/resource_ids.h"

namespace avex::host {

namespace {

std::string FileNameOf(size_t position, const std::string& title) {
  char prefix[8];
  std::snprintf(prefix, sizeof prefix, "%02zu-", position);
  std::string name = prefix;
  for (char c : title) {
    name += std::isalnum(static_cast<unsigned char>(c)) ? static_cast<char>(std::tolower(static_cast<unsigned char>(c))) : '-';
  }
  return name + ".png";
}

// Tests `url` on the Test URL page and waits for the verdict, the last line.
void TestUrl(const DialogDriver& driver, const std::string& url) {
  driver.SelectTreeItem("Test URL");
  DialogDriver::WaitFor([&] { return driver.ActivePageTitle() == "Test URL"; });
  driver.Type(IDC_TEST_URL_TEXT, url);
  driver.Click(IDC_TEST_URL_TEST);
  DialogDriver::WaitFor(
      [&] {
        const std::vector<std::string> lines = driver.ListBoxLines(IDC_TEST_URL_RESULTS);
        return !lines.empty() && lines.back().rfind("This page will", 0) == 0 && driver.IsEnabled(IDC_TEST_URL_TEST);
      },
      60000);
  for (const std::string& line : driver.ListBoxLines(IDC_TEST_URL_RESULTS)) std::printf("    %s\n", line.c_str());
}

void Tour(const std::string& folder, uint32_t uiThread, const std::string& testUrl) {
  HWND dialog = DialogDriver::WaitForDialog(uiThread);
  if (dialog == nullptr) {
    std::printf("the configuration dialog did not appear\n");
    return;
  }
  DialogDriver driver(dialog);
  const std::vector<std::string> pages = driver.TreeItems();
  if (!testUrl.empty()) {
    std::printf("  Test URL of http://%s:\n", testUrl.c_str());
    TestUrl(driver, testUrl);
    const std::string path = folder + "/" + FileNameOf(0, "test url result");
    std::printf("  Test URL result: %s\n", driver.Screenshot(path) ? path.c_str() : "no picture");
    std::fflush(stdout);
  }
  for (size_t i = 0; i < pages.size(); ++i) {
    driver.SelectTreeItem(pages[i]);
    DialogDriver::WaitFor([&] { return driver.ActivePageTitle() == pages[i]; });
    const std::string path = folder + "/" + FileNameOf(i + 1, pages[i]);
    std::printf("  %s: %s\n", pages[i].c_str(), driver.Screenshot(path) ? path.c_str() : "no picture");
    std::fflush(stdout);
  }
  // A dialog that does not take OK must not keep the caller waiting.
  if (!driver.Click(IDC_CONFIGURATION_OK)) PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
}

}  // namespace

struct DialogTour::Run {
  std::thread thread;
};

DialogTour::DialogTour(const std::string& folder, uint32_t uiThread, const std::string& testUrl)
    : run_(new Run) {
  run_->thread = std::thread(Tour, folder, uiThread, testUrl);
}

DialogTour::~DialogTour() { run_->thread.join(); }

}  // namespace avex::host
