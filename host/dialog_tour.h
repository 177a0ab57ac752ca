// The dialog tour: while the configuration dialog runs, another thread shows
// each of its pages in turn, saves a picture of the dialog with that page as
// FOLDER/NN-title.png, prints each path, and closes the dialog with OK.
// Pictures need the Windows build; elsewhere the tour only says so.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace avex::host {

class DialogTour {
 public:
  // Starts the tour of the dialog that thread `uiThread` is about to show.
  DialogTour(const std::string& folder, uint32_t uiThread);
  // Waits for the tour to end.
  ~DialogTour();
  DialogTour(const DialogTour&) = delete;
  DialogTour& operator=(const DialogTour&) = delete;

 private:
  struct Run;
  std::unique_ptr<Run> run_;
};

}  // namespace avex::host
