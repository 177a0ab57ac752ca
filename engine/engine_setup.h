// The sequences that bring the engine up, configure it and take it down.
//
// Each runs on the caller's thread against `loader` (TheEngineLibrary() in the
// plug-in) and the process's EngineReferences, takes no lock, and never lets
// an engine status escape as anything but its own result. Booleans reach the
// engine as 0 or 1. Steps emit their texts to the diagnostic trace.
#pragma once

#include <string>

#include "config/filter_settings.h"
#include "config/plugin_configuration.h"
#include "engine/engine_loader.h"
#include "engine/engine_references.h"

namespace avex {

// The engine process's bring-up (PlugStart, start type 0) from the engine
// directory (with its trailing backslash): loads and initialises the library,
// builds the paths, obtains the engine and its configuration object, applies
// `settings` and calls `initialise`. False when the library does not
// initialise, a path is too long, the engine or its configuration object
// cannot be had, or `initialise` fails; the library then stays initialised
// with whatever references were obtained (ShutDownEngine releases them). A
// failing setter is only traced.
bool StartEngine(EngineLoader& loader, EngineReferences* references, const FilterSettings& settings,
                 const std::string& engineDirectory);

// Passes the engine switches and the update server of an applied
// configuration to the engine; only outside console mode and while a
// configuration object is held. Results are ignored.
void ReconfigureEngine(const EngineReferences& references, const PluginConfiguration& configuration,
                       bool consoleMode);

// The console's bring-up before its first URL test; true at once when an
// engine is held already. On success the engine stays loaded for later
// tests; on failure the library is unloaded again (unless it never
// initialised) and no reference is kept.
bool BringUpConsoleEngine(EngineLoader& loader, EngineReferences* references, const FilterSettings& settings,
                          const std::string& engineDirectory);

// The settings of one console URL test: the filter switches of the page's
// copy, the URL cache switch of the live settings. Results are ignored;
// nothing happens without a configuration object.
void ApplyTestSettings(const EngineReferences& references, const FilterSettings& pageSettings,
                       const FilterSettings& liveSettings);

// PlugStop: when an engine is held, frees it, unloads the library and forgets
// both references.
void ShutDownEngine(EngineLoader& loader, EngineReferences* references);

}  // namespace avex
