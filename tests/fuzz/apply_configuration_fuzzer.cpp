// libFuzzer target: every input is a configuration transfer record.
#include <cstdio>
#include <cstdlib>

#include "tests/fuzz/apply_configuration_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string fault = avex::fuzz::CheckApplyConfiguration(data, size);
  if (!fault.empty()) {
    // An abort is what libFuzzer keeps as a crash, with the input beside it.
    std::fprintf(stderr, "ApplyConfiguration: %s\n", fault.c_str());
    std::abort();
  }
  return 0;
}
