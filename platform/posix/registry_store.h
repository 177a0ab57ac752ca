// Where the POSIX backend's registry tree lives: in the process, or, when
// the environment variable AVEX_REGISTRY names a file, in that file (a
// REGEDIT4 text), read and written back under an flock of the file by every
// call, so that processes, and copies of this code in one process, share one
// registry. A new text replaces the file whole (written beside it, then
// renamed over it), so a process killed while writing leaves the old one.
// Within a batch the file is read once and written once.
#pragma once

#include <functional>

#include "platform/posix/registry_tree.h"

namespace avex::platform::registry::store {

using Work = std::function<bool(tree::Key* root, bool* modified)>;

// Runs `work` on the registry: the in-process tree, or the AVEX_REGISTRY file
// under its lock (shared for reads, exclusive for writes), or, inside a
// batch, the tree the batch holds. Returns what `work` returns; false when a
// write could not reach the file.
bool Run(bool write, const Work& work);

// A batch of the calling thread (batches nest): other threads wait for its
// end, and in file mode the file stays locked from start to end.
void BeginBatch();
void EndBatch();

}  // namespace avex::platform::registry::store
