// The command line of settings_saver, the child of the settings kill test:
// it saves or loads the configuration in a process of its own, so that the
// test can kill it at any moment or let it end itself at a crash point.
//
//   settings_saver save <seed> <entries> [<phase> <write>]
//       saves GeneratedConfiguration(seed, entries)
//   settings_saver load [<phase> <write>]
//       loads the stored configuration
//   settings_saver start
//       ends at once (the cost of a start)
//
// With a phase ("write", "apply" or "drop": writing the journal, applying it
// to the root, dropping it) and a write number counted from 1, the program
// ends itself abruptly, as a kill would, just before that registry write of
// that phase, with kSaverCrashedExitCode.
#pragma once

namespace avex::testing {

inline constexpr int kSaverDoneExitCode = 0;
inline constexpr int kSaverBadArgumentsExitCode = 2;
inline constexpr int kSaverLoadFailedExitCode = 3;
inline constexpr int kSaverCrashedExitCode = 9;

}  // namespace avex::testing
