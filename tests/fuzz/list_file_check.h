// One manual classification list file, from whatever source, read as Import
// reads it and written back as Export writes it. Shared by the libFuzzer
// target and the replay of its kept corpus, so that both targets see every
// kept file.
//
// Each call works on a temporary file of its own. One thread at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace avex::fuzz {

// Empty when every rule of the list file held for the `size` bytes at `data`
// (null with a size of 0 is an empty file); otherwise a sentence naming the
// first rule that broke. A crash or a sanitizer report is the other way a
// file fails.
std::string CheckListFile(const uint8_t* data, size_t size);

}  // namespace avex::fuzz
