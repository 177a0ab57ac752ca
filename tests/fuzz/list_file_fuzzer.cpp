// libFuzzer target: every input is a manual classification list file.
#include <cstdio>
#include <cstdlib>

#include "tests/fuzz/list_file_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string fault = avex::fuzz::CheckListFile(data, size);
  if (!fault.empty()) {
    // An abort is what libFuzzer keeps as a crash, with the input beside it.
    std::fprintf(stderr, "ReadListFile: %s\n", fault.c_str());
    std::abort();
  }
  return 0;
}
