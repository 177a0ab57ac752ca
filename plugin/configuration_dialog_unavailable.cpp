// The native build has no user interface.
#include "plugin/configuration_dialog.h"

#include "common/result_codes.h"

namespace avex {

uint32_t RunConfigurationDialog(PluginApplication&) { return ResultNotSupported; }

}  // namespace avex
