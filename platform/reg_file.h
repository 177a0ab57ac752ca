// The REGEDIT4 text format (what `regedit /E` writes and `regedit /S` reads).
//
// The parser turns a text into the registry operations it stands for, below
// HKEY_LOCAL_MACHINE only; the writer produces such a text. Both backends use
// the parser to import test fixtures (registry_fixture.h), and the POSIX
// backend keeps its file-backed tree in this format. The dialect is the one
// Wine's regedit reads: strings with the escapes \\ \" \n \r (another escaped
// character stands for itself, \0 makes the line invalid), dword:, hex:,
// hex(N):, "name"=- to delete a value, [-key] to delete a key tree, @ for the
// default value, hex data continued on the next line after a trailing
// backslash, comments starting with ';' or '#'. Plain functions over values;
// any thread; nothing is shared.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace avex::platform::regfile {

// Registry value types as the system numbers them.
constexpr uint32_t kTypeString = 1;   // REG_SZ
constexpr uint32_t kTypeBinary = 3;   // REG_BINARY
constexpr uint32_t kTypeDword = 4;    // REG_DWORD

struct Operation {
  enum class Kind {
    CreateKey,    // [key]: create the key (and its parents)
    DeleteKey,    // [-key]: delete the key with everything below it
    SetValue,     // "name"=data in the current key
    DeleteValue,  // "name"=- in the current key
  };
  Kind kind;
  std::string key;   // path below HKEY_LOCAL_MACHINE, backslashes; "" for the root
  std::string name;  // value name; "" for the default value (@)
  uint32_t type = 0;
  // The value's bytes: a string without its terminating zero, a DWORD as four
  // little-endian bytes, anything else as written.
  std::string data;
};

// Parses `text`. False (and no operations) when it does not start with the
// "REGEDIT4" header (or "Windows Registry Editor Version 5.00"); lines that do
// not parse, and sections of other root keys, are skipped as regedit skips them.
bool Parse(const std::string& text, std::vector<Operation>* operations);

// Builds a REGEDIT4 text: header first, then one section per key in the order
// given, each with its values.
class Writer {
 public:
  Writer();
  void Key(const std::string& path);  // "" is HKEY_LOCAL_MACHINE itself
  void Value(const std::string& name, uint32_t type, const std::string& data);
  const std::string& Text() const { return text_; }

 private:
  std::string text_;
};

// The quoted, escaped form of a name or string ("a\"b" for a"b).
std::string Quote(const std::string& text);

}  // namespace avex::platform::regfile
