// The chunks of a RIFF WAVE or RF64 file, private to WAVTagLibrary.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tags/core/stream.h"

namespace tags::wav {

struct TRiffChunk {
    std::string Id;
    int64_t Header = 0;    // where its identifier is
    int64_t Size = 0;      // the data's size ("data" in RF64: the ds64 size)
    int64_t End = 0;       // past its data and pad byte (may lie past the stream's end by that byte)
    std::string ListType;  // the first four data bytes of a "LIST"
};

struct TRiffLayout {
    int Result = 0;     // 0, 7 (a chunk runs past the end), 9 (not RIFF WAVE or RF64)
    int64_t Start = 0;  // the RIFF header, after a leading ID3v2 tag
    bool RF64 = false;  // the sizes live in "ds64"
    uint64_t RiffSize = 0;
    uint64_t DataSize = 0, SampleCount = 0;  // from "ds64"
    int64_t WalkEnd = 0;                     // where the walk stopped: the end of the RIFF body
    std::vector<TRiffChunk> Chunks;
};

// Walks the file's chunks; the stream position is not restored.
TRiffLayout WalkRiff(TStream& s);

}  // namespace tags::wav
