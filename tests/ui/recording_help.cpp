// A stand-in for the system's HTML Help library (hhctrl.ocx), loaded in its
// place from the test program's folder: it shows nothing and appends every
// call it gets (owner window, file, command, data) as a line to the file
// that AVEX_HELP_JOURNAL names.
#include <windows.h>

#include <cstdio>

extern "C" HWND WINAPI HtmlHelpA(HWND owner, LPCSTR file, UINT command, DWORD_PTR data) {
  char journal[MAX_PATH] = {};
  if (GetEnvironmentVariableA("AVEX_HELP_JOURNAL", journal, sizeof journal) == 0) return nullptr;
  if (FILE* out = std::fopen(journal, "a")) {
    std::fprintf(out, "%p|%s|%u|%lu\n", static_cast<void*>(owner), file != nullptr ? file : "(null)", command,
                 static_cast<unsigned long>(data));
    std::fclose(out);
  }
  return nullptr;
}
