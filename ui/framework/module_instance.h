// The module that holds this code and its resources: AVex.dll in the plug-in,
// the test program in the user-interface tests. Dialog templates, bitmaps and
// strings are always loaded from it, never from the host's executable.
#pragma once

#include <windows.h>

namespace avex::ui {

HINSTANCE ModuleInstance();

// Registers the common controls the dialog uses (tree view, list view, track
// bar); safe to call more than once.
void InitialiseCommonControls();

}  // namespace avex::ui
