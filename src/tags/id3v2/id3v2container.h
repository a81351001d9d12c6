// Where a tag sits in a file, private to ID3v2Library.
#pragma once

#include <cstdint>

#include "tags/id3v2/id3v2library.h"

namespace tags::id3v2 {

// The containers that keep their tag in a chunk; sftUnknown for anything
// else, including a stream that starts with "ID3". The position is restored.
TSourceFileType DetectContainer(TStream& s, int64_t at);

// Bytes taken by the tag that starts at the position (header, body and an
// ID3v2.4 footer), 0 when no tag starts there. The position is restored.
int64_t ExistingTagSize(TStream& s, int64_t at);

}  // namespace tags::id3v2
