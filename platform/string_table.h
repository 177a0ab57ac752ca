// Texts of the library's string table, by id.
//
// The texts are written once, in resources/string_texts.inc: the Win32 build
// carries them as the STRINGTABLE resource of the module that holds this code
// (loaded with LoadString), the POSIX build compiles them in.
#pragma once

#include <cstdint>
#include <string>

namespace avex::platform {

// The text with `id`; empty when the table has none. Any thread.
std::string LoadText(uint32_t id);

}  // namespace avex::platform
