// The "dump" command: one JSON object per file with what TTags found.
#pragma once

#include "tags/facade/tagslibrary.h"

#include <string>

namespace tags::cli {

struct DumpLine {
    std::string Json;  // without the line feed
    int Result;        // the load's result code
};

// Reuses tags, as the player does, so every file also checks that a load
// leaves nothing of the previous one behind.
DumpLine DumpFile(TTags& tags, const std::string& fileName, bool native);

}  // namespace tags::cli
