// The modal loop of our dialogs. The console's thread runs it while the
// configuration dialog is open: every message for a window inside the dialog
// is first offered to the window objects from its target up to the dialog
// (PreTranslateMessage), innermost first; what none consumes is translated
// and dispatched.
//
// A C++ exception must not unwind through the system's window code, so
// window procedures catch what their handlers throw and record it here; the
// loop ends and RunModalLoop throws it on the thread that called it.
#pragma once

#include <windows.h>

#include <exception>

namespace avex::ui {

// Runs until `*running` turns false, or a handler failed (then throws), or
// the thread's queue is asked to quit (the quit request is posted again for
// the host's own loop, and the loop returns).
void RunModalLoop(HWND dialog, const bool* running);

// Called by window procedures in their catch block.
void RecordHandlerFailure(std::exception_ptr failure);

// Throws the failure a window procedure recorded on this thread, if any.
void RethrowHandlerFailure();

}  // namespace avex::ui
