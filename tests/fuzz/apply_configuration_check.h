// One configuration transfer record, from whatever source, pushed through a
// scanning object as the host would push it: applied, written back out,
// carried to a second object, cut short (and refused there), and then used
// by requests. Shared by the libFuzzer target and the replay of its kept
// corpus, so that both targets see every kept record.
//
// The scanning objects run without an engine and with the no-save flag set:
// nothing reaches the registry or an engine library, and every call starts
// from the default configuration, so a record's outcome never depends on the
// records before it. One thread at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace avex::fuzz {

// Empty when every rule of the transfer held for the `size` bytes at `data`
// (null with a size of 0 is a record too); otherwise a sentence naming the
// first rule that broke. A crash or a sanitizer report is the other way a
// record fails.
std::string CheckApplyConfiguration(const uint8_t* data, size_t size);

}  // namespace avex::fuzz
