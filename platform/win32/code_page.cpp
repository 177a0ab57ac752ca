#include "platform/code_page.h"

#include <windows.h>

namespace avex::platform {

namespace {

// The folding of a single-byte ANSI code page, taken once from the system's
// own functions: folding a URL for every request then calls nothing (the
// system's functions go through wide strings and the heap each time). A
// double-byte code page folds whole characters, which no byte table can, so
// there every call goes to the system.
struct FoldTables {
  bool singleByte = false;
  char lower[256];
  char upper[256];
};

const FoldTables& Tables() {
  static const FoldTables tables = [] {
    FoldTables made{};
    CPINFO info;
    if (!GetCPInfo(CP_ACP, &info) || info.MaxCharSize != 1) return made;
    for (int byte = 0; byte < 256; ++byte) made.lower[byte] = made.upper[byte] = static_cast<char>(byte);
    CharLowerBuffA(made.lower, sizeof made.lower);
    CharUpperBuffA(made.upper, sizeof made.upper);
    made.singleByte = true;
    return made;
  }();
  return tables;
}

void FoldInPlace(std::string* text, const char (&table)[256], DWORD(WINAPI* system)(LPSTR, DWORD)) {
  if (text->empty()) return;
  if (!Tables().singleByte) {
    system(&(*text)[0], static_cast<DWORD>(text->size()));
    return;
  }
  for (char& c : *text) c = table[static_cast<unsigned char>(c)];
}

}  // namespace

void LowerInPlace(std::string* text) { FoldInPlace(text, Tables().lower, CharLowerBuffA); }

void UpperInPlace(std::string* text) { FoldInPlace(text, Tables().upper, CharUpperBuffA); }

bool IsLeadByte(unsigned char byte) { return IsDBCSLeadByte(byte) != FALSE; }

uint32_t AnsiCodePage() { return GetACP(); }

}  // namespace avex::platform
