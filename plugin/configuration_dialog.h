// The console's configuration dialog, as the scanning object's
// ShowConfiguration reaches it. The user-interface layer defines it on
// Windows; the native build has no dialog.
#pragma once

#include <cstdint>

namespace avex {

class PluginApplication;

// Runs the configuration dialog modally on the calling thread, over the live
// configuration of `application`: ResultOk when it was closed with OK (the
// pages have written their values into the configuration), ResultNotCompleted
// when it was closed any other way, ResultNotSupported where there is no
// dialog. Throws when the dialog cannot be built or run.
uint32_t RunConfigurationDialog(PluginApplication& application);

}  // namespace avex
