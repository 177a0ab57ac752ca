// libFuzzer target: every input is an element to look for and a file.
#include <cstdio>
#include <cstdlib>

#include "tests/fuzz/tag_content_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string fault = avex::fuzz::CheckTagContent(data, size);
  if (!fault.empty()) {
    // An abort is what libFuzzer keeps as a crash, with the input beside it.
    std::fprintf(stderr, "TagContent: %s\n", fault.c_str());
    std::abort();
  }
  return 0;
}
