#include "host/dialog_tour.h"

#include <cstdio>

namespace avex::host {

struct DialogTour::Run {};

DialogTour::DialogTour(const std::string&, uint32_t, const std::string&) : run_(new Run) {
  std::printf("pictures of the configuration dialog need the Windows build\n");
}

DialogTour::~DialogTour() = default;

}  // namespace avex::host
