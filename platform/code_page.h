// Case folding in the system's ANSI code page.
//
// The Win32 backend uses the system's multi-byte aware functions, so the
// trail bytes of a double-byte character are never folded; the POSIX backend
// implements code page 1252 (Western European), the one the Windows systems
// we run on use. Both fold in place and may be called from any thread.
#pragma once

#include <cstdint>
#include <string>

namespace avex::platform {

void LowerInPlace(std::string* text);
void UpperInPlace(std::string* text);

// True when `byte` starts a double-byte character in the ANSI code page.
bool IsLeadByte(unsigned char byte);

// The ANSI code page number (1252 on the POSIX backend).
uint32_t AnsiCodePage();

}  // namespace avex::platform
