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

void Tour(const std::string& folder, uint32_t uiThread) {
  HWND dialog = DialogDriver::WaitForDialog(uiThread);
  if (dialog == nullptr) {
    std::printf("the configuration dialog did not appear\n");
    return;
  }
  DialogDriver driver(dialog);
  const std::vector<std::string> pages = driver.TreeItems();
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

DialogTour::DialogTour(const std::string& folder, uint32_t uiThread) : run_(new Run) {
  run_->thread = std::thread(Tour, folder, uiThread);
}

DialogTour::~DialogTour() { run_->thread.join(); }

}  // namespace avex::host
