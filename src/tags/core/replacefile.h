// The one way the tag units replace a file whose size changes: a new file
// in its folder, put in its place only after every byte was written.
#pragma once

#include "tags/core/stream.h"

#include <functional>
#include <string>

namespace tags {

// Calls write on a new file that takes target's place only once write
// returned 0 and every byte reached the disk (common::ReplacementFile: no
// name of it is visible before, so a kill mid-save leaves nothing behind).
// target should be the resolved path, not a link. The new file gets
// target's permissions and, where allowed, its owner. Returns 0 when target
// was replaced; write's own non-zero result when it refused; -1 when the
// new file could not be written or put in place. On every failure target
// is untouched.
int ReplaceFileThroughTemp(const std::string& target, const std::function<int(TFileStream& out)>& write);

}  // namespace tags
