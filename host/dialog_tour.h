// The dialog tour: while the configuration dialog runs, another thread shows
// each of its pages in turn, saves a picture of the dialog with that page as
// FOLDER/NN-title.png, prints each path, and closes the dialog with OK.
// Given a URL, it also tests it on the Test URL page first and saves the
// page with its verdict.
// Pictures need the Windows build; elsewhere the tour only says so.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace avex::host {

class DialogTour {
 public:
  // Starts the tour of the dialog that thread `uiThread` is about to show;
  // `testUrl` (without "http://") may be empty.
  DialogTour(const std::string& folder, uint32_t uiThread, const std::string& testUrl);
  // Waits for the tour to end.
  ~DialogTour();
  DialogTour(const DialogTour&) = delete;
  DialogTour& operator=(const DialogTour&) = delete;

 private:
  struct Run;
  std::unique_ptr<Run> run_;
};

}  // namespace avex::host
