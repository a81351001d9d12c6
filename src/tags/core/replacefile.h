// The one way the tag units replace a file whose size changes: a new file
// beside it, renamed over it only after every byte was written.
#pragma once

#include "tags/core/stream.h"

#include <functional>
#include <string>

namespace tags {

// Calls write on a new temporary file beside target (which should be the
// resolved path, not a link), flushes it to disk, gives it the target's
// permissions and, where allowed, its owner, and renames it over target.
// Returns 0 when target was replaced; write's own non-zero result when it
// refused; -1 when the temporary file could not be written or renamed. On
// every failure the temporary file is removed and target is untouched.
int ReplaceFileThroughTemp(const std::string& target, const std::function<int(TFileStream& out)>& write);

}  // namespace tags
