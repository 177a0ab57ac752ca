#include "platform/code_page.h"

#include "platform/posix/cp1252.h"

namespace avex::platform {

void LowerInPlace(std::string* text) {
  for (char& c : *text) c = static_cast<char>(cp1252::Lower(static_cast<unsigned char>(c)));
}

void UpperInPlace(std::string* text) {
  for (char& c : *text) c = static_cast<char>(cp1252::Upper(static_cast<unsigned char>(c)));
}

// Code page 1252 is single-byte.
bool IsLeadByte(unsigned char) { return false; }

uint32_t AnsiCodePage() { return 1252; }

}  // namespace avex::platform
