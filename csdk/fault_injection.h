// Fault injection: the environment variable CSDK_FAULTS makes chosen engine
// calls fail with chosen status codes, so that tests can drive every failure
// path of the plug-in.
//
// The value is a list of "operation=code" entries separated by commas, for
// example "setUseRsaci=0x80000001,initialise=0x80004005,init=3". Codes are
// hexadecimal after "0x", otherwise decimal; spaces around names and codes
// are ignored, entries that do not parse are skipped, and a code of 0 means
// no fault. Operation names are the journal's (call_journal.h) and compare
// case-sensitively. The variable is read on every call, so a change takes
// effect at the next call. Any thread; never throws.
#pragma once

#include <cstdint>

namespace avex::csdk {

// The status code `operation` is to fail with, or 0.
uint32_t InjectedFault(const char* operation) noexcept;

}  // namespace avex::csdk
