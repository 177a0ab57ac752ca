#include "platform/code_page.h"

#include <windows.h>

namespace avex::platform {

// The system's functions know the double-byte code pages, so a trail byte is
// never folded as if it were a letter.
void LowerInPlace(std::string* text) {
  if (!text->empty()) CharLowerBuffA(&(*text)[0], static_cast<DWORD>(text->size()));
}

void UpperInPlace(std::string* text) {
  if (!text->empty()) CharUpperBuffA(&(*text)[0], static_cast<DWORD>(text->size()));
}

bool IsLeadByte(unsigned char byte) { return IsDBCSLeadByte(byte) != FALSE; }

uint32_t AnsiCodePage() { return GetACP(); }

}  // namespace avex::platform
