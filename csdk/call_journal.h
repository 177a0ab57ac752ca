// The call journal: one line per engine call, appended to the file that the
// environment variable CSDK_JOURNAL names, so that a test can see exactly
// which calls the plug-in made and with what.
//
// A line is the operation's name followed by its arguments, each after one
// space: "setUseRsaci 1", "request http://example.com". Texts are written as
// given, with control characters as \xNN and a null text as "(null)";
// booleans as the truth value the engine reads from their low byte; numbers
// in decimal. Each line is one append, so lines of several threads and
// processes never mix. Without CSDK_JOURNAL nothing is written. Any thread;
// never throws and never fails the call it records.
#pragma once

#include <cstdint>
#include <initializer_list>

#include "csdk/engine_boolean.h"

namespace avex::csdk {

// One argument of a journaled call, referred to, not copied.
class CallArgument {
 public:
  CallArgument(const char* text) : kind_(Kind::Text), text_(text) {}
  CallArgument(uint32_t number) : kind_(Kind::Unsigned), unsigned_(number) {}
  CallArgument(int32_t number) : kind_(Kind::Signed), signed_(number) {}

  // A boolean as the engine reads it: only its low byte counts.
  static CallArgument Flag(uint32_t value) { return CallArgument(static_cast<uint32_t>(EngineBoolean(value))); }

  enum class Kind { Text, Unsigned, Signed };
  Kind kind() const { return kind_; }
  const char* text() const { return text_; }
  uint32_t unsignedValue() const { return unsigned_; }
  int32_t signedValue() const { return signed_; }

 private:
  Kind kind_;
  union {
    const char* text_;
    uint32_t unsigned_;
    int32_t signed_;
  };
};

void JournalCall(const char* operation, std::initializer_list<CallArgument> arguments) noexcept;

}  // namespace avex::csdk
